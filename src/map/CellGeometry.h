#pragma once

#include "MapGrid.h"

namespace kestrun {

// Cell (x, y) covers canvas pixels x*40..x*40+39 across and y*40..y*40+39
// down; a sprite's block is one cell.
inline constexpr int CellSize = 40;

// The canvas: the grid plus two spare columns across (642 pixels), exactly
// the grid down (440 pixels).
inline constexpr int CanvasWidth = MapGrid::Width * CellSize + 2;
inline constexpr int CanvasHeight = MapGrid::Height * CellSize;

} // namespace kestrun
