#pragma once

#include "SpriteTable.h"
#include "CellGeometry.h"
#include "MapGrid.h"

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>

namespace kestrun {

// Draws a level into a canvas image that the caller owns and passes in
// (QImage::Format_RGB32, normally 642 x 440: the grid plus two spare columns
// that the last column's boxes cover; a canvas of another size is drawn
// clipped to it). Cell (x, y) covers pixels x*40..x*40+39 and y*40..y*40+39.
// A canvas of any other format is left alone: every operation then draws
// nothing and returns so. The editor's canvas, the benchmarks and any tool
// that renders maps all draw through this one class.
class MapRenderer {
public:
    // A canvas image of the usual size, filled with `background`.
    static QImage blankCanvas(QRgb background);
    // Whether `canvas` is an image these operations draw into (32 bits a
    // pixel, as they write them).
    static bool canDrawOn(const QImage &canvas) { return canvas.format() == QImage::Format_RGB32; }

    // The width of the terrain boxes' edges: 1 until the first full redraw
    // sets it to 2, and it is never set back.
    void setLineWidth(int width) { m_lineWidth = width < 1 ? 1 : width; }
    int lineWidth() const { return m_lineWidth; }

    // The area a terrain box covers: from (x*40, y*40) to (x*40+40, y*40+40)
    // inclusive, grown right and down by the extra line width, so a box
    // overlaps its right and lower neighbours and whatever is drawn later wins
    // on the shared edges. Clipped to the canvas.
    QRect terrainBox(const QImage &canvas, int x, int y) const;
    static QRect cellRect(int x, int y) { return {x * CellSize, y * CellSize, CellSize, CellSize}; }

    // Fills the terrain box in the colour of `code`; returns the area drawn.
    QRect drawTerrain(QImage &canvas, int x, int y, std::uint8_t code) const;
    // Copies a 40 x 40 RGB32 block into the cell, replacing its pixels.
    static QRect drawBlock(QImage &canvas, int x, int y, const QImage &block);

    // The whole map: the terrain of every cell, then the sprite layers from 1
    // up to `topLayer` (0 terrain only; 3, and every value other than 0..2,
    // all three). Sets the line width to 2 first. Returns the index of the
    // last sprite drawn, 0 when none was (index 0 is never drawn).
    std::uint8_t drawMap(QImage &canvas, const MapGrid &grid, const SpriteTable &sprites, int topLayer);

    // One sprite layer of every cell, over whatever the canvas shows; cells
    // whose byte is 0 are left alone. Returns the last index drawn, or 0.
    static std::uint8_t drawSpriteLayer(QImage &canvas, const MapGrid &grid, const SpriteTable &sprites, Layer layer);

private:
    int m_lineWidth = 1;
};

} // namespace kestrun
