#include "MapRenderer.h"

#include "Terrain.h"

#include <algorithm>
#include <cstring>

namespace kestrun {
namespace {

// The sprite layers a full redraw shows: none for 0, the layers up to 1 or
// 2, and all three for every other value, negatives included.
int highestSpriteLayer(int topLayer)
{
    return topLayer >= 0 && topLayer <= 2 ? topLayer : 3;
}

} // namespace

QImage MapRenderer::blankCanvas(QRgb background)
{
    QImage canvas(CanvasWidth, CanvasHeight, QImage::Format_RGB32);
    canvas.fill(background);
    return canvas;
}

QRect MapRenderer::terrainBox(const QImage &canvas, int x, int y) const
{
    const int side = CellSize + m_lineWidth; // 41 pixels at width 1, 42 at width 2
    return QRect(x * CellSize, y * CellSize, side, side).intersected(canvas.rect());
}

QRect MapRenderer::drawTerrain(QImage &canvas, int x, int y, std::uint8_t code) const
{
    const QRect box = terrainBox(canvas, x, y);
    if (box.isEmpty() || !canDrawOn(canvas))
        return {};
    const QRgb color = terrainColor(code);
    // bits() once per box: scanLine() on a non-const image checks for
    // sharing on every row.
    uchar *bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    for (int row = box.top(); row <= box.bottom(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(bits + row * stride);
        std::fill_n(line + box.left(), box.width(), color);
    }
    return box;
}

QRect MapRenderer::drawBlock(QImage &canvas, int x, int y, const QImage &block)
{
    const QRect target = cellRect(x, y).intersected(canvas.rect());
    if (target.isEmpty() || !canDrawOn(canvas) || block.format() != QImage::Format_RGB32)
        return {};
    const int width = std::min(target.width(), block.width());
    const int height = std::min(target.height(), block.height());
    const uchar *source = block.constBits();
    const qsizetype sourceStride = block.bytesPerLine();
    uchar *bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    for (int row = 0; row < height; ++row) {
        const auto *src = source + row * sourceStride;
        auto *dst = bits + (target.top() + row) * stride + target.left() * qsizetype(sizeof(QRgb));
        std::memcpy(dst, src, static_cast<std::size_t>(width) * sizeof(QRgb));
    }
    return {target.topLeft(), QSize(width, height)};
}

std::uint8_t MapRenderer::drawMap(QImage &canvas, const MapGrid &grid, const SpriteTable &sprites, int topLayer)
{
    if (!canDrawOn(canvas))
        return 0;
    // The first full redraw widens the boxes' edges for good: terrain painted
    // with the mouse afterwards shows 2-pixel edges too.
    setLineWidth(2);
    // Column by column, each column top to bottom; later boxes cover the
    // shared edges of earlier ones.
    for (int x = 0; x < MapGrid::Width; ++x) {
        for (int y = 0; y < MapGrid::Height; ++y)
            drawTerrain(canvas, x, y, grid.cell(x, y).Terrain);
    }
    std::uint8_t last = 0;
    for (int layer = 1; layer <= highestSpriteLayer(topLayer); ++layer) {
        if (const std::uint8_t drawn = drawSpriteLayer(canvas, grid, sprites, Layer(layer)))
            last = drawn;
    }
    return last;
}

std::uint8_t MapRenderer::drawSpriteLayer(QImage &canvas, const MapGrid &grid, const SpriteTable &sprites, Layer layer)
{
    if (!canDrawOn(canvas))
        return 0;
    std::uint8_t last = 0;
    for (int x = 0; x < MapGrid::Width; ++x) {
        for (int y = 0; y < MapGrid::Height; ++y) {
            const std::uint8_t index = grid.layerByte(x, y, layer);
            if (index == 0)
                continue; // an empty layer: the cell keeps what it showed
            drawBlock(canvas, x, y, sprites.block(index));
            last = index;
        }
    }
    return last;
}

} // namespace kestrun
