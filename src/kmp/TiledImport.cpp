#include "TiledImport.h"

#include "TiledDocument.h"
#include "TiledFormat.h"

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

constexpr Layer Layers[] = {Layer::Terrain, Layer::Sprite1, Layer::Sprite2, Layer::Sprite3};

ImportResult refused(const QString &reason)
{
    ImportResult result;
    result.status = ImportStatus::Refused;
    result.reason = reason;
    return result;
}

// The readers give -1 for a width or height that is not a whole number a map
// could have: such a size is told as not a count of tiles, never as "-1".
QString wrongSize(const QString &what, int width, int height)
{
    if (width < 0 || height < 0)
        return u"%1 gives no size in whole tiles; a level is 16 x 11"_s.arg(what);
    return u"%1 is %2 x %3 tiles; a level is 16 x 11"_s.arg(what).arg(width).arg(height);
}

struct KnownTileset {
    std::uint32_t firstGid = 0;
    QString name;
    int tileCount = -1;
};

// Every tileset's first tile, name and count, external ones read through the loader.
std::optional<std::vector<KnownTileset>> knownTilesets(const TiledDocument &document, const TilesetLoader &load,
                                                       QString &problem)
{
    std::vector<KnownTileset> known;
    for (const TilesetUse &use : document.tilesets) {
        KnownTileset tileset{use.firstGid, use.name, use.tileCount};
        if (!use.source.isEmpty()) {
            const TilesetSource source = load(use.source);
            const TilesetFile file = source.reason.isEmpty() ? readTilesetFile(source.bytes) : TilesetFile{};
            if (!source.reason.isEmpty() || !file.error.isEmpty()) {
                problem = u"tileset %1: %2"_s.arg(use.source, source.reason.isEmpty() ? file.error : source.reason);
                return std::nullopt;
            }
            tileset.name = file.name;
            tileset.tileCount = file.tileCount;
        }
        known.push_back(tileset);
    }
    return known;
}

const KnownTileset *findTileset(const std::vector<KnownTileset> &tilesets, const QString &name)
{
    for (const KnownTileset &tileset : tilesets) {
        if (tileset.name == name && tileset.tileCount == TilesetTiles && tileset.firstGid > 0)
            return &tileset;
    }
    return nullptr;
}

// The tileset a tile belongs to: the one with the highest first tile not above it.
const KnownTileset *ownerOf(const std::vector<KnownTileset> &tilesets, std::uint32_t gid)
{
    const KnownTileset *owner = nullptr;
    for (const KnownTileset &tileset : tilesets) {
        if (tileset.firstGid <= gid && (!owner || tileset.firstGid > owner->firstGid))
            owner = &tileset;
    }
    return owner;
}

std::optional<qint64> integerProperty(const TiledDocument &document, const QString &name, qint64 low, qint64 high,
                                      qint64 absent, QString &problem)
{
    const auto found = document.properties.constFind(name);
    if (found == document.properties.cend())
        return absent;
    bool ok = false;
    const qint64 value = found->value.toLongLong(&ok);
    if (found->type != u"int"_s || !ok || value < low || value > high) {
        problem =
            u"map property %1 is \"%2\", not a whole number from %3 to %4"_s.arg(name, found->value).arg(low).arg(high);
        return std::nullopt;
    }
    return value;
}

template<typename T>
bool readField(const TiledDocument &document, const QString &name, T &field, QString &problem)
{
    const auto value =
        integerProperty(document, name, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), field, problem);
    if (value)
        field = T(*value);
    return value.has_value();
}

// The header fields, length and tail from the map's properties; a property
// not there keeps what the editor writes (and no tail).
bool readFileProperties(const TiledDocument &document, LevelFile &level, QString &problem)
{
    MapHeader &header = level.header;
    header = currentMapHeader();
    if (!readField(document, property::Signature, header.Signature, problem)
        || !readField(document, property::Version, header.Version, problem)
        || !readField(document, property::MaxX, header.MaxX, problem)
        || !readField(document, property::MaxY, header.MaxY, problem))
        return false;
    if (const auto reserved = document.properties.constFind(property::Reserved);
        reserved != document.properties.cend()) {
        const QByteArray hex = reserved->value.toLatin1();
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (hex.size() != 16 || bytes.toHex() != hex.toLower()) {
            problem = u"map property Reserved is \"%1\", not 16 hex digits"_s.arg(reserved->value);
            return false;
        }
        std::copy(bytes.cbegin(), bytes.cend(), header.Reserved.begin());
    }
    if (const auto tail = document.properties.constFind(property::Tail); tail != document.properties.cend()) {
        // Base64 of the largest tail, checked before it is decoded.
        const auto decoded = tail->value.size() <= (MaxTailBytes + 2) / 3 * 4
            ? QByteArray::fromBase64Encoding(tail->value.toLatin1(), QByteArray::AbortOnBase64DecodingErrors)
            : QByteArray::FromBase64Result{{}, QByteArray::Base64DecodingStatus::IllegalInputLength};
        if (!decoded || decoded.decoded.size() > MaxTailBytes) {
            problem = u"map property Tail is not base64 of at most %1 bytes"_s.arg(MaxTailBytes);
            return false;
        }
        level.tail = *decoded;
    }
    const auto length = integerProperty(document, property::Length, 0, MapFileSize + MaxTailBytes,
                                        MapFileSize + level.tail.size(), problem);
    if (!length)
        return false;
    if (*length > MapFileSize || !level.tail.isEmpty()) {
        if (*length != MapFileSize + level.tail.size()) {
            problem = u"map property Length is %1, but the file's 726 bytes and its Tail make %2"_s.arg(*length).arg(
                MapFileSize + level.tail.size());
            return false;
        }
    }
    level.length = int(std::min<qint64>(*length, MapFileSize));
    return true;
}

const TileLayer *findLayer(const TiledDocument &document, const QString &name, QString &problem)
{
    const TileLayer *found = nullptr;
    for (const TileLayer &layer : document.layers) {
        if (layer.name != name)
            continue;
        if (found) {
            problem = u"two tile layers are named \"%1\""_s.arg(name);
            return nullptr;
        }
        found = &layer;
    }
    if (!found)
        problem = u"no tile layer is named \"%1\""_s.arg(name);
    return found;
}

bool readLayer(const TileLayer &layer, Layer into, const std::vector<KnownTileset> &tilesets,
               const KnownTileset &expected, MapGrid &grid, QString &problem)
{
    const QString where = u"layer \"%1\""_s.arg(layer.name);
    if (layer.width != MapGrid::Width || layer.height != MapGrid::Height) {
        problem = wrongSize(where, layer.width, layer.height);
        return false;
    }
    if (!layer.tiles.error.isEmpty()) {
        problem = where + u": "_s + layer.tiles.error;
        return false;
    }
    for (int i = 0; i < MapGrid::CellCount; ++i) {
        const int x = i % MapGrid::Width;
        const int y = i / MapGrid::Width;
        const std::uint32_t gid = layer.tiles.gids[std::size_t(i)];
        const QString cell = u"%1, cell (%2, %3): "_s.arg(where).arg(x).arg(y);
        if (gid & FlipBits) {
            problem = cell + u"the tile is flipped or rotated; a level's tiles never are"_s;
            return false;
        }
        if (gid == 0) {
            grid.setLayerByte(x, y, into, 0);
            continue;
        }
        const KnownTileset *owner = ownerOf(tilesets, gid);
        if (owner != &expected || gid - owner->firstGid >= std::uint32_t(TilesetTiles)) {
            problem = cell + u"tile %1 is not a tile of the tileset \"%2\""_s.arg(gid).arg(expected.name);
            return false;
        }
        grid.setLayerByte(x, y, into, std::uint8_t(gid - owner->firstGid));
    }
    return true;
}

} // namespace

ImportResult importLevel(QByteArrayView data, const TilesetLoader &loadTileset)
{
    const TiledDocument document = readTiledDocument(data, MapGrid::CellCount);
    if (!document.error.isEmpty())
        return refused(document.error);
    if (document.infinite)
        return refused(u"the map is infinite; a level is 16 x 11 tiles"_s);
    if (document.width != MapGrid::Width || document.height != MapGrid::Height)
        return refused(wrongSize(u"the map"_s, document.width, document.height));
    QString problem;
    const auto tilesets = knownTilesets(document, loadTileset, problem);
    if (!tilesets)
        return refused(problem);
    const KnownTileset *terrain = findTileset(*tilesets, terrainTilesetName());
    const KnownTileset *sprites = findTileset(*tilesets, spriteTilesetName());
    if (!terrain || !sprites) {
        return refused(u"the map has no tileset named \"%1\" of %2 tiles"_s
                           .arg(terrain ? spriteTilesetName() : terrainTilesetName())
                           .arg(TilesetTiles));
    }
    LevelFile level;
    if (!readFileProperties(document, level, problem))
        return refused(problem);
    for (const Layer layer : Layers) {
        const TileLayer *found = findLayer(document, layerName(layer), problem);
        if (!found
            || !readLayer(*found, layer, *tilesets, layer == Layer::Terrain ? *terrain : *sprites, level.grid, problem))
            return refused(problem);
    }
    ImportResult result;
    result.file = bytesOf(level);
    return result;
}

} // namespace kestrun::kmp::tiled
