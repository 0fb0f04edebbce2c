#pragma once

#include "SpriteTable.h"
#include "FileResult.h"
#include "MapGrid.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace kestrun::kmp {

// The largest picture render makes, by its longer side.
inline constexpr int MaxRenderSide = 16384;

struct RenderOptions {
    int layer = 3;     // the highest sprite layer drawn, 0..3
    QSize size;        // the picture's size; the canvas's own when invalid
    bool grid = false; // cell lines over the picture
};

// The size of the canvas (642 x 440) scaled by `factor`, at least 1 x 1;
// nothing when the factor is not positive or the picture would be too large.
std::optional<QSize> scaledCanvasSize(double factor);

// The editor's canvas after a full redraw up to `options.layer`, drawn by the
// editor's own renderer; then scaled (smoothly for reductions and odd
// factors, pixel for pixel for whole-number enlargements) and given cell
// lines when asked.
QImage renderMap(const MapGrid &grid, const SpriteTable &sprites, const RenderOptions &options);

enum class EncodeStatus { Encoded, Failed };
struct EncodeResult : FileResult<EncodeStatus> {
    QByteArray png;
};

// The picture as PNG, or why it cannot be encoded.
EncodeResult encodePng(const QImage &image);

} // namespace kestrun::kmp
