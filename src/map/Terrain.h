#pragma once

#include <QString>
#include <cstdint>

namespace kestrun {

// Terrain codes. A cell holds one code, matched as a whole byte: combined or
// unlisted values (0 included) are kept as they are and have no name.
inline constexpr std::uint8_t TerrainGround = 1;
inline constexpr std::uint8_t TerrainBeton = 2;
inline constexpr std::uint8_t TerrainBrick = 4;
inline constexpr std::uint8_t TerrainIce = 8;
inline constexpr std::uint8_t TerrainWater = 16;

// "Ground", "Beton", "Brick", "Ice", "Water", or the empty string.
QString TerrainName(std::uint8_t code);

} // namespace kestrun
