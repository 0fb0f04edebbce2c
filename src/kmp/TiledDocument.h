#pragma once

#include "TiledLayerData.h"

#include <QByteArrayView>
#include <QMap>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrun::kmp::tiled {

// A Tiled map as import needs it, read from TMX or from Tiled's JSON: nothing
// about the level is decided here. Only top-level tile layers are kept, each
// decoded for `expectedTiles` tiles.
struct TilesetUse {
    std::uint32_t firstGid = 0;
    QString source; // an external tileset's file, relative to the map
    QString name;   // an embedded tileset's name and tile count
    int tileCount = -1;
};

struct TileLayer {
    QString name;
    int width = 0;
    int height = 0;
    LayerTiles tiles;
};

struct Property {
    QString type; // "string", "int", ...
    QString value;
};

struct TiledDocument {
    int width = 0;
    int height = 0;
    bool infinite = false;
    QMap<QString, Property> properties;
    std::vector<TilesetUse> tilesets;
    std::vector<TileLayer> layers;
    QString error; // set when the document cannot be read at all
};

// Reads TMX or JSON, told apart by the first character that is not white space.
TiledDocument readTiledDocument(QByteArrayView data, int expectedTiles);
TiledDocument readTmx(QByteArrayView data, int expectedTiles);
TiledDocument readTiledJson(QByteArrayView data, int expectedTiles);

// An external tileset file (TSX or JSON): its name and tile count.
struct TilesetFile {
    QString name;
    int tileCount = -1;
    QString error;
};
TilesetFile readTilesetFile(QByteArrayView data);
TilesetFile readTsx(QByteArrayView data);
TilesetFile readTilesetJson(QByteArrayView data);

} // namespace kestrun::kmp::tiled
