#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>

namespace kestrun {

// Terrain colours, matched on the whole byte: Ground green, Beton black,
// Brick yellow, Ice white, Water blue; every other value black.
QRgb terrainColor(std::uint8_t code);

// Draws cells into the canvas's retained image. Cell (x, y) covers pixels
// x*40..x*40+39 and y*40..y*40+39; the image is 642 x 440 (the grid plus two
// spare columns that the last column's boxes cover).
class MapRenderer {
public:
    static constexpr int CellSize = 40;
    static constexpr int CanvasWidth = 642;
    static constexpr int CanvasHeight = 440;

    // `canvas` must be QImage::Format_RGB32; the renderer keeps a pointer to it.
    explicit MapRenderer(QImage *canvas);

    // The width of the terrain boxes' edges: 1 until the first full redraw
    // sets it to 2, and it is never set back.
    void setLineWidth(int width) { m_lineWidth = width < 1 ? 1 : width; }
    int lineWidth() const { return m_lineWidth; }

    // The area a terrain box covers: from (x*40, y*40) to (x*40+40, y*40+40)
    // inclusive, grown right and down by the extra line width, so a box
    // overlaps its right and lower neighbours and whatever is drawn later wins
    // on the shared edges. Clipped to the canvas.
    QRect terrainBox(int x, int y) const;
    static QRect cellRect(int x, int y) { return {x * CellSize, y * CellSize, CellSize, CellSize}; }

    // Fills the terrain box in the colour of `code`; returns the area drawn.
    QRect drawTerrain(int x, int y, std::uint8_t code);
    // Copies a 40 x 40 RGB32 block into the cell, replacing its pixels.
    QRect drawBlock(int x, int y, const QImage &block);

private:
    QImage *m_canvas;
    int m_lineWidth = 1;
};

} // namespace kestrun
