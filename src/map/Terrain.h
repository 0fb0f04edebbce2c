#pragma once

#include <QRgb>
#include <QString>

#include <array>
#include <cstdint>

namespace kestrun {

// Terrain codes, one bit each. A cell holds one code, matched as a whole
// byte: combined or unlisted values (0 included) are kept as they are, have
// no name and are drawn black.
enum class TerrainCode : std::uint8_t { Ground = 1, Beton = 2, Brick = 4, Ice = 8, Water = 16 };

constexpr std::uint8_t terrainByte(TerrainCode code)
{
    return static_cast<std::uint8_t>(code);
}

// The named terrains with their readout names and canvas colours; the
// toolbar's terrain brushes are drawn in the same colours.
struct TerrainKind {
    TerrainCode code;
    const char *name;
    QRgb color;
};
inline constexpr std::array<TerrainKind, 5> Terrains{{
    {TerrainCode::Ground, "Ground", qRgb(0, 255, 0)},
    {TerrainCode::Beton, "Beton", qRgb(0, 0, 0)},
    {TerrainCode::Brick, "Brick", qRgb(255, 255, 0)},
    {TerrainCode::Ice, "Ice", qRgb(255, 255, 255)},
    {TerrainCode::Water, "Water", qRgb(0, 0, 255)},
}};

// "Ground", "Beton", "Brick", "Ice", "Water", or the empty string.
QString TerrainName(std::uint8_t code);

// The canvas colour of a terrain byte: black for every unnamed value.
QRgb terrainColor(std::uint8_t code);
inline QRgb terrainColor(TerrainCode code)
{
    return terrainColor(terrainByte(code));
}

} // namespace kestrun
