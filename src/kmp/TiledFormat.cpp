#include "TiledFormat.h"

#include "MapRenderer.h"

#include <QCryptographicHash>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

constexpr int TilesetSide = TilesetColumns * CellSize;

QImage blankTilesetPicture()
{
    QImage picture(TilesetSide, TilesetSide, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    return picture;
}

// The first 16 hex digits of the SHA-256 of the picture's pixels: tilesets
// that look different never share a name.
QString digestOf(const QImage &picture)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < picture.height(); ++y)
        hash.addData(QByteArrayView(picture.constScanLine(y), qsizetype(picture.width()) * 4));
    return QString::fromLatin1(hash.result().toHex().left(16));
}

QByteArray tsxOf(const Tileset &tileset)
{
    QByteArray tsx;
    QXmlStreamWriter xml(&tsx);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(u"tileset"_s);
    xml.writeAttribute(u"version"_s, u"1.8"_s);
    xml.writeAttribute(u"name"_s, tileset.name);
    xml.writeAttribute(u"tilewidth"_s, QString::number(CellSize));
    xml.writeAttribute(u"tileheight"_s, QString::number(CellSize));
    xml.writeAttribute(u"tilecount"_s, QString::number(TilesetTiles));
    xml.writeAttribute(u"columns"_s, QString::number(TilesetColumns));
    xml.writeEmptyElement(u"image"_s);
    xml.writeAttribute(u"source"_s, tileset.pngFile);
    xml.writeAttribute(u"width"_s, QString::number(TilesetSide));
    xml.writeAttribute(u"height"_s, QString::number(TilesetSide));
    xml.writeEndElement();
    xml.writeEndDocument();
    return tsx;
}

Tileset named(const QString &name, const QString &filePrefix, QImage picture)
{
    Tileset tileset;
    tileset.name = name;
    const QString stem = filePrefix + digestOf(picture);
    tileset.picture = std::move(picture);
    tileset.tsxFile = stem + u".tsx"_s;
    tileset.pngFile = stem + u".png"_s;
    tileset.tsx = tsxOf(tileset);
    return tileset;
}

} // namespace

QString layerName(Layer layer)
{
    switch (layer) {
    case Layer::Terrain: return u"Terrain"_s;
    case Layer::Sprite1: return u"Sprites 1"_s;
    case Layer::Sprite2: return u"Sprites 2"_s;
    case Layer::Sprite3: return u"Sprites 3"_s;
    }
    return {};
}

QString terrainTilesetName()
{
    return u"Kestrun terrain"_s;
}

QString spriteTilesetName()
{
    return u"Kestrun sprites"_s;
}

LevelFile levelOf(const QByteArray &file)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(file.constData());
    const auto size = std::size_t(file.size());
    LevelFile level;
    level.header = decodeMapHeader({bytes, size});
    if (size > std::size_t(MapHeaderSize))
        level.grid.assignBytes(std::span(bytes + MapHeaderSize, size - MapHeaderSize));
    level.length = int(std::min<qsizetype>(file.size(), MapFileSize));
    level.tail = file.mid(MapFileSize);
    return level;
}

QByteArray bytesOf(const LevelFile &level)
{
    QByteArray file(MapFileSize, '\0');
    const auto header = encodeMapHeader(level.header);
    std::memcpy(file.data(), header.data(), header.size());
    std::memcpy(file.data() + MapHeaderSize, level.grid.bytes().data(), MapGrid::ByteSize);
    const bool nothingPastTheEnd = std::all_of(file.cbegin() + std::clamp(level.length, 0, MapFileSize), file.cend(),
                                               [](char byte) { return byte == 0; });
    if (level.length < MapFileSize && nothingPastTheEnd)
        file.truncate(std::max(level.length, 0));
    return file + level.tail;
}

Tileset terrainTileset()
{
    QImage picture = blankTilesetPicture();
    const MapRenderer renderer;
    for (int code = 0; code < TilesetTiles; ++code)
        renderer.drawTerrain(picture, code % TilesetColumns, code / TilesetColumns, std::uint8_t(code));
    return named(terrainTilesetName(), u"kestrun-terrain-"_s, std::move(picture));
}

Tileset spriteTileset(const SpriteTable &sprites)
{
    QImage picture = blankTilesetPicture();
    for (int index = 0; index < TilesetTiles; ++index)
        MapRenderer::drawBlock(picture, index % TilesetColumns, index / TilesetColumns,
                               sprites.block(std::uint8_t(index)));
    return named(spriteTilesetName(), u"kestrun-sprites-"_s, std::move(picture));
}

} // namespace kestrun::kmp::tiled
