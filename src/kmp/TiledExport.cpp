#include "TiledExport.h"

#include "CellGeometry.h"

#include <QXmlStreamWriter>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

constexpr Layer Layers[] = {Layer::Terrain, Layer::Sprite1, Layer::Sprite2, Layer::Sprite3};

std::uint32_t gidOf(Layer layer, std::uint8_t value)
{
    if (layer == Layer::Terrain)
        return TerrainFirstGid + value;
    return value == 0 ? 0 : SpriteFirstGid + value;
}

// One row of 16 tiles a line, as Tiled writes CSV.
QString csvOf(const MapGrid &grid, Layer layer)
{
    QString csv = u"\n"_s;
    for (int y = 0; y < MapGrid::Height; ++y) {
        for (int x = 0; x < MapGrid::Width; ++x) {
            csv += QString::number(gidOf(layer, grid.layerByte(x, y, layer)));
            if (x < MapGrid::MaxX || y < MapGrid::MaxY)
                csv += u',';
        }
        csv += u'\n';
    }
    return csv;
}

void writeProperty(QXmlStreamWriter &xml, const QString &name, const QString &type, const QString &value)
{
    xml.writeEmptyElement(u"property"_s);
    xml.writeAttribute(u"name"_s, name);
    if (!type.isEmpty())
        xml.writeAttribute(u"type"_s, type);
    xml.writeAttribute(u"value"_s, value);
}

void writeProperties(QXmlStreamWriter &xml, const LevelFile &level)
{
    const MapHeader &header = level.header;
    xml.writeStartElement(u"properties"_s);
    writeProperty(xml, property::Length, u"int"_s, QString::number(level.length + level.tail.size()));
    writeProperty(xml, property::MaxX, u"int"_s, QString::number(header.MaxX));
    writeProperty(xml, property::MaxY, u"int"_s, QString::number(header.MaxY));
    const QByteArray reserved(reinterpret_cast<const char *>(header.Reserved.data()),
                              qsizetype(header.Reserved.size()));
    writeProperty(xml, property::Reserved, {}, QString::fromLatin1(reserved.toHex()));
    writeProperty(xml, property::Signature, u"int"_s, QString::number(header.Signature));
    if (!level.tail.isEmpty())
        writeProperty(xml, property::Tail, {}, QString::fromLatin1(level.tail.toBase64()));
    writeProperty(xml, property::Version, u"int"_s, QString::number(header.Version));
    xml.writeEndElement();
}

void writeTileset(QXmlStreamWriter &xml, std::uint32_t firstGid, const QString &source)
{
    xml.writeEmptyElement(u"tileset"_s);
    xml.writeAttribute(u"firstgid"_s, QString::number(firstGid));
    xml.writeAttribute(u"source"_s, source);
}

} // namespace

QByteArray exportTmx(const LevelFile &level, const QString &terrainTsx, const QString &spriteTsx)
{
    QByteArray tmx;
    QXmlStreamWriter xml(&tmx);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(u"map"_s);
    const std::pair<QString, QString> attributes[] = {
        {u"version"_s, u"1.8"_s},
        {u"orientation"_s, u"orthogonal"_s},
        {u"renderorder"_s, u"right-down"_s},
        {u"width"_s, QString::number(MapGrid::Width)},
        {u"height"_s, QString::number(MapGrid::Height)},
        {u"tilewidth"_s, QString::number(CellSize)},
        {u"tileheight"_s, QString::number(CellSize)},
        {u"infinite"_s, u"0"_s},
        {u"nextlayerid"_s, QString::number(std::size(Layers) + 1)},
        {u"nextobjectid"_s, u"1"_s},
    };
    for (const auto &[name, value] : attributes)
        xml.writeAttribute(name, value);
    // Tiled keeps properties sorted by name; so does this, so a re-save by
    // Tiled changes nothing.
    writeProperties(xml, level);
    writeTileset(xml, TerrainFirstGid, terrainTsx);
    writeTileset(xml, SpriteFirstGid, spriteTsx);
    int id = 1;
    for (const Layer layer : Layers) {
        xml.writeStartElement(u"layer"_s);
        xml.writeAttribute(u"id"_s, QString::number(id++));
        xml.writeAttribute(u"name"_s, layerName(layer));
        xml.writeAttribute(u"width"_s, QString::number(MapGrid::Width));
        xml.writeAttribute(u"height"_s, QString::number(MapGrid::Height));
        xml.writeStartElement(u"data"_s);
        xml.writeAttribute(u"encoding"_s, u"csv"_s);
        xml.writeCharacters(csvOf(level.grid, layer));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return tmx;
}

} // namespace kestrun::kmp::tiled
