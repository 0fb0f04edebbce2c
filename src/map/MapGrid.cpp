#include "MapGrid.h"

#include "Terrain.h"

#include <algorithm>
#include <cstring>

namespace kestrun {

MapCell MapGrid::cell(int x, int y) const
{
    return contains(x, y) ? m_cells[elementIndex(x, y)] : MapCell{};
}

bool MapGrid::setCell(int x, int y, MapCell value)
{
    if (!contains(x, y))
        return false;
    m_cells[elementIndex(x, y)] = value;
    return true;
}

namespace {

std::uint8_t *layerField(MapCell &cell, Layer layer)
{
    switch (layer) {
    case Layer::Terrain: return &cell.Terrain;
    case Layer::Sprite1: return &cell.Sprite1;
    case Layer::Sprite2: return &cell.Sprite2;
    case Layer::Sprite3: return &cell.Sprite3;
    }
    return nullptr;
}

} // namespace

std::uint8_t MapGrid::layerByte(int x, int y, Layer layer) const
{
    MapCell c = cell(x, y);
    const std::uint8_t *field = layerField(c, layer);
    return field ? *field : 0;
}

bool MapGrid::setLayerByte(int x, int y, Layer layer, std::uint8_t value)
{
    if (!contains(x, y))
        return false;
    std::uint8_t *field = layerField(m_cells[elementIndex(x, y)], layer);
    if (!field)
        return false;
    *field = value;
    return true;
}

void MapGrid::clear()
{
    m_cells.fill(MapCell{});
}

std::span<const std::uint8_t, MapGrid::ByteSize> MapGrid::bytes() const
{
    return std::span<const std::uint8_t, ByteSize>(reinterpret_cast<const std::uint8_t *>(m_cells.data()), ByteSize);
}

void MapGrid::assignBytes(std::span<const std::uint8_t> image)
{
    auto *out = reinterpret_cast<std::uint8_t *>(m_cells.data());
    const std::size_t n = std::min<std::size_t>(image.size(), ByteSize);
    if (n > 0) // an empty image may have no data pointer at all
        std::memcpy(out, image.data(), n);
    std::memset(out + n, 0, ByteSize - n);
}

void applyNewMapDefaults(MapGrid &grid)
{
    for (int x = 0; x <= MapGrid::MaxX; ++x) {
        for (int y = 0; y <= MapGrid::MaxY; ++y) {
            MapCell c = grid.cell(x, y);
            c.Sprite1 = 1;
            c.Terrain = terrainByte(TerrainCode::Ground);
            grid.setCell(x, y, c);
        }
    }
}

} // namespace kestrun
