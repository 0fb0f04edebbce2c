#pragma once

#include "SpriteTable.h"
#include "MapFile.h"
#include "MapGrid.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

namespace kestrun::kmp::tiled {

// What export writes and import reads back, shared by both. A Tiled map of a
// level is orthogonal, 16 x 11 tiles of 40 pixels, with four tile layers
// named after the cell's bytes, and two tilesets of 256 tiles each: tile N of
// the terrain tileset is terrain code N, tile N of the sprite tileset is
// sprite index N (tile 0 unused: sprite 0 is an empty cell).
inline constexpr int TilesetTiles = 256;
inline constexpr int TilesetColumns = 16;
inline constexpr std::uint32_t TerrainFirstGid = 1;
inline constexpr std::uint32_t SpriteFirstGid = TerrainFirstGid + TilesetTiles;
// The tail kept as a map property; a longer one is refused.
inline constexpr qsizetype MaxTailBytes = qsizetype(1) << 20;

QString layerName(Layer layer);
QString terrainTilesetName();
QString spriteTilesetName();

// Tiled keeps flips and rotations in a tile's top four bits.
inline constexpr std::uint32_t FlipBits = 0xF0000000u;

// Map property names: the header fields, the file's length and its tail.
namespace property {
inline const QString Signature = QStringLiteral("Signature");
inline const QString Version = QStringLiteral("Version");
inline const QString MaxX = QStringLiteral("MaxX");
inline const QString MaxY = QStringLiteral("MaxY");
inline const QString Reserved = QStringLiteral("Reserved"); // 16 hex digits
inline const QString Length = QStringLiteral("Length");
inline const QString Tail = QStringLiteral("Tail"); // base64, absent when empty
} // namespace property

// A map file as export sees it: the header and cells it holds (zero past a
// short file's end), its length up to 726, and the bytes after 726.
struct LevelFile {
    MapHeader header;
    MapGrid grid;
    int length = MapFileSize;
    QByteArray tail;
};

LevelFile levelOf(const QByteArray &file);
// The file's bytes. A short file stays short unless a byte past its end is no
// longer 0 (a cell painted there): then it is written whole.
QByteArray bytesOf(const LevelFile &level);

// A tileset: its picture of 16 x 16 tiles and the file names, led by a
// digest of the picture, under which it is written beside the maps.
struct Tileset {
    QString name;
    QImage picture;
    QString tsxFile;
    QString pngFile;
    QByteArray tsx;
};

// The terrain codes in the editor's colours, drawn by its renderer.
Tileset terrainTileset();
// Each slot's 40 x 40 block as the renderer copies it into a cell.
Tileset spriteTileset(const SpriteTable &sprites);

} // namespace kestrun::kmp::tiled
