// Tiled's JSON maps (.tmj, .json) and tilesets (.tsj).
#include "TiledDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

QJsonObject parsedObject(QByteArrayView data, QString &error)
{
    QJsonParseError parse{};
    const QJsonDocument json = QJsonDocument::fromJson(data.toByteArray(), &parse);
    if (parse.error != QJsonParseError::NoError)
        error = u"at byte %1: %2"_s.arg(parse.offset).arg(parse.errorString());
    else if (!json.isObject())
        error = u"it is not a Tiled JSON document"_s;
    return json.object();
}

int number(const QJsonObject &object, const QString &key)
{
    const double value = object.value(key).toDouble(-1);
    return value >= 0 && value <= 1e9 && value == std::floor(value) ? int(value) : -1;
}

// A value as TMX would spell it; integral numbers without a fraction.
QString valueText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isBool())
        return value.toBool() ? u"true"_s : u"false"_s;
    const double number = value.toDouble();
    if (value.isDouble() && number == std::floor(number) && std::abs(number) < 1e15)
        return QString::number(qint64(number));
    return QString::number(number);
}

LayerTiles tilesFromArray(const QJsonArray &array, int expectedTiles)
{
    if (array.size() != expectedTiles)
        return {{}, u"the layer holds %1 tiles, not %2"_s.arg(array.size()).arg(expectedTiles)};
    LayerTiles tiles;
    for (const QJsonValue &value : array) {
        const double gid = value.toDouble(-1);
        if (!(gid >= 0 && gid <= 4294967295.0 && gid == std::floor(gid)))
            return {{}, u"the layer holds something other than a tile number after %1 tiles"_s.arg(tiles.gids.size())};
        tiles.gids.push_back(std::uint32_t(gid));
    }
    return tiles;
}

TileLayer readLayer(const QJsonObject &object, int expectedTiles)
{
    TileLayer layer{object.value(u"name"_s).toString(), number(object, u"width"_s), number(object, u"height"_s), {}};
    const QJsonValue data = object.value(u"data"_s);
    const QString encoding = object.value(u"encoding"_s).toString();
    if (object.contains(u"chunks"_s))
        layer.tiles.error = u"the layer is stored in chunks, as an infinite map's"_s;
    else if (data.isArray())
        layer.tiles = tilesFromArray(data.toArray(), expectedTiles);
    else if (data.isString() && encoding == u"base64"_s)
        layer.tiles =
            tilesFromBase64(data.toString().toLatin1(), object.value(u"compression"_s).toString(), expectedTiles);
    else
        layer.tiles.error = u"the layer's data is neither a list of tiles nor base64"_s;
    return layer;
}

} // namespace

TiledDocument readTiledJson(QByteArrayView data, int expectedTiles)
{
    TiledDocument document;
    const QJsonObject map = parsedObject(data, document.error);
    if (!document.error.isEmpty())
        return document;
    if (map.value(u"type"_s).toString() != u"map"_s) {
        document.error = u"it is not a Tiled map"_s;
        return document;
    }
    document.width = number(map, u"width"_s);
    document.height = number(map, u"height"_s);
    document.infinite = map.value(u"infinite"_s).toBool();
    for (const QJsonValue &value : map.value(u"properties"_s).toArray()) {
        const QJsonObject property = value.toObject();
        const QString type = property.value(u"type"_s).toString();
        document.properties.insert(property.value(u"name"_s).toString(),
                                   {type.isEmpty() ? u"string"_s : type, valueText(property.value(u"value"_s))});
    }
    for (const QJsonValue &value : map.value(u"tilesets"_s).toArray()) {
        const QJsonObject tileset = value.toObject();
        const double firstGid = tileset.value(u"firstgid"_s).toDouble(0);
        document.tilesets.push_back({firstGid >= 0 && firstGid <= 4294967295.0 ? std::uint32_t(firstGid) : 0,
                                     tileset.value(u"source"_s).toString(), tileset.value(u"name"_s).toString(),
                                     number(tileset, u"tilecount"_s)});
    }
    for (const QJsonValue &value : map.value(u"layers"_s).toArray()) {
        const QJsonObject layer = value.toObject();
        if (layer.value(u"type"_s).toString() == u"tilelayer"_s)
            document.layers.push_back(readLayer(layer, expectedTiles));
    }
    return document;
}

TilesetFile readTilesetJson(QByteArrayView data)
{
    TilesetFile tileset;
    const QJsonObject object = parsedObject(data, tileset.error);
    tileset.name = object.value(u"name"_s).toString();
    tileset.tileCount = number(object, u"tilecount"_s);
    return tileset;
}

} // namespace kestrun::kmp::tiled
