#include "view/MapRenderer.h"

#include <algorithm>
#include <cstring>

namespace kestrun {

QRgb terrainColor(std::uint8_t code)
{
    switch (code) {
    case 1: return qRgb(0, 255, 0);      // Ground
    case 4: return qRgb(255, 255, 0);    // Brick
    case 8: return qRgb(255, 255, 255);  // Ice
    case 16: return qRgb(0, 0, 255);     // Water
    default: return qRgb(0, 0, 0);       // Beton, and every unnamed value
    }
}

MapRenderer::MapRenderer(QImage *canvas)
    : m_canvas(canvas)
{
}

QRect MapRenderer::terrainBox(int x, int y) const
{
    const int side = CellSize + m_lineWidth; // 41 pixels at width 1, 42 at width 2
    return QRect(x * CellSize, y * CellSize, side, side).intersected(m_canvas->rect());
}

QRect MapRenderer::drawTerrain(int x, int y, std::uint8_t code)
{
    const QRect box = terrainBox(x, y);
    if (box.isEmpty())
        return box;
    const QRgb colour = terrainColor(code);
    // bits() once per box: scanLine() on a non-const image checks for
    // sharing on every row.
    uchar *bits = m_canvas->bits();
    const qsizetype stride = m_canvas->bytesPerLine();
    for (int row = box.top(); row <= box.bottom(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(bits + row * stride);
        std::fill_n(line + box.left(), box.width(), colour);
    }
    return box;
}

QRect MapRenderer::drawBlock(int x, int y, const QImage &block)
{
    const QRect target = cellRect(x, y).intersected(m_canvas->rect());
    if (target.isEmpty() || block.format() != QImage::Format_RGB32)
        return {};
    const int width = std::min(target.width(), block.width());
    const int height = std::min(target.height(), block.height());
    const uchar *source = block.constBits();
    const qsizetype sourceStride = block.bytesPerLine();
    uchar *bits = m_canvas->bits();
    const qsizetype stride = m_canvas->bytesPerLine();
    for (int row = 0; row < height; ++row) {
        const auto *src = source + row * sourceStride;
        auto *dst = bits + (target.top() + row) * stride + target.left() * qsizetype(sizeof(QRgb));
        std::memcpy(dst, src, static_cast<std::size_t>(width) * sizeof(QRgb));
    }
    return {target.topLeft(), QSize(width, height)};
}

} // namespace kestrun
