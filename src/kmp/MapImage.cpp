#include "MapImage.h"

#include "CellGeometry.h"
#include "MapRenderer.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QRgb GridLineColor = qRgb(128, 128, 128);

// The canvas exactly as the editor shows it after RedrawMap(layer): the same
// renderer, and a full redraw's boxes cover every pixel, so the background
// never shows.
QImage canvasImage(const MapGrid &grid, const SpriteTable &sprites, int layer)
{
    QImage canvas = MapRenderer::blankCanvas(qRgb(0, 0, 0));
    MapRenderer().drawMap(canvas, grid, sprites, layer);
    return canvas;
}

QImage scaled(const QImage &canvas, QSize size)
{
    if (size == canvas.size())
        return canvas;
    // A whole-number enlargement keeps every pixel a sharp square; anything
    // else is resampled smoothly.
    const bool wholeEnlargement =
        size.width() % CanvasWidth == 0 && size.height() == size.width() / CanvasWidth * CanvasHeight;
    return canvas.scaled(size, Qt::IgnoreAspectRatio,
                         wholeEnlargement ? Qt::FastTransformation : Qt::SmoothTransformation);
}

// One-pixel lines along the cell edges, where they fall in the scaled picture.
void drawCellLines(QImage &image)
{
    const double sx = double(image.width()) / CanvasWidth;
    const double sy = double(image.height()) / CanvasHeight;
    for (int i = 0; i <= MapGrid::Width; ++i) {
        const int x = int(std::lround(i * CellSize * sx));
        if (x >= image.width())
            continue;
        for (int y = 0; y < image.height(); ++y)
            reinterpret_cast<QRgb *>(image.scanLine(y))[x] = GridLineColor;
    }
    for (int j = 0; j <= MapGrid::Height; ++j) {
        const int y = int(std::lround(j * CellSize * sy));
        if (y >= image.height())
            continue;
        std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)), image.width(), GridLineColor);
    }
}

} // namespace

std::optional<QSize> scaledCanvasSize(double factor)
{
    if (!(factor > 0) || CanvasWidth * factor > MaxRenderSide + 0.5)
        return std::nullopt;
    return QSize(std::max(1, int(std::lround(CanvasWidth * factor))),
                 std::max(1, int(std::lround(CanvasHeight * factor))));
}

QImage renderMap(const MapGrid &grid, const SpriteTable &sprites, const RenderOptions &options)
{
    QImage image = canvasImage(grid, sprites, options.layer);
    if (options.size.isValid())
        image = scaled(image, options.size).convertToFormat(QImage::Format_RGB32);
    if (options.grid)
        drawCellLines(image);
    return image;
}

EncodeResult encodePng(const QImage &image)
{
    EncodeResult result;
    QBuffer buffer(&result.png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        result.status = EncodeStatus::Failed;
        result.reason = writer.errorString();
        result.png.clear();
    }
    return result;
}

} // namespace kestrun::kmp
