#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kestrun {

// One cell of a level: a terrain code and three stacked sprite layers.
// The four bytes are stored in this order, in memory and in the map file.
struct MapCell {
    std::uint8_t Terrain = 0;
    std::uint8_t Sprite1 = 0;
    std::uint8_t Sprite2 = 0;
    std::uint8_t Sprite3 = 0;

    friend bool operator==(const MapCell &, const MapCell &) = default;
};
static_assert(sizeof(MapCell) == 4, "a cell is four bytes with no padding");

// The four layers of a cell, numbered as the cell's bytes and as the edit
// layer counts them: 0 the terrain, 1..3 the sprite layers.
enum class Layer : std::uint8_t { Terrain = 0, Sprite1 = 1, Sprite2 = 2, Sprite3 = 3 };

// The level: 16 columns (x 0..15) by 11 rows (y 0..10), stored x fastest, so
// cell (x, y) is element x + 16*y. Its 704-byte image is the cell block of the
// map file. An access outside the bounds reads an empty cell and changes nothing.
class MapGrid {
public:
    static constexpr int Width = 16;
    static constexpr int Height = 11;
    static constexpr int MaxX = Width - 1;
    static constexpr int MaxY = Height - 1;
    static constexpr int CellCount = Width * Height;
    static constexpr int ByteSize = CellCount * 4;

    static constexpr bool contains(int x, int y) { return x >= 0 && x <= MaxX && y >= 0 && y <= MaxY; }
    static constexpr int elementIndex(int x, int y) { return x + Width * y; }

    MapCell cell(int x, int y) const;
    bool setCell(int x, int y, MapCell value);

    // A layer outside the four reads 0 and changes nothing.
    std::uint8_t layerByte(int x, int y, Layer layer) const;
    bool setLayerByte(int x, int y, Layer layer, std::uint8_t value);

    // Every byte back to 0, as a freshly dimensioned grid.
    void clear();

    std::span<const std::uint8_t, ByteSize> bytes() const;
    // Overwrites the grid from a byte image; bytes beyond `image` become 0.
    void assignBytes(std::span<const std::uint8_t> image);

    friend bool operator==(const MapGrid &, const MapGrid &) = default;

private:
    std::array<MapCell, CellCount> m_cells{};
};

// The new-map defaults: every cell Ground with sprite 1 on layer 1;
// layers 2 and 3 are left as they are (callers clear the grid first).
void applyNewMapDefaults(MapGrid &grid);

} // namespace kestrun
