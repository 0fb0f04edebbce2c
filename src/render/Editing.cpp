#include "Editing.h"

#include "CellGeometry.h"
#include "Terrain.h"

#include <algorithm>
#include <cmath>

namespace kestrun {

int cellOfPosition(double pixel)
{
    // Positions far off the canvas (a pointer held outside a huge screen)
    // are clamped well outside the grid rather than overflowing.
    const double rounded = std::nearbyint(std::clamp(pixel, -32768.0, 32767.0));
    return static_cast<int>(rounded) / CellSize;
}

std::optional<PaintStroke> pressStroke(MouseButton button, Layer layer, int cx, int cy, std::uint8_t terrainBrush,
                                       std::uint8_t spriteBrush)
{
    if (!MapGrid::contains(cx, cy))
        return std::nullopt;
    switch (button) {
    case MouseButton::Left:
        switch (layer) {
        case Layer::Terrain: return PaintStroke{cx, cy, layer, terrainBrush};
        case Layer::Sprite1:
        case Layer::Sprite2:
        case Layer::Sprite3: return PaintStroke{cx, cy, layer, spriteBrush};
        }
        return std::nullopt;
    case MouseButton::Right:
        if (layer == Layer::Sprite1)
            return PaintStroke{cx, cy, layer, 1};
        return std::nullopt;
    default: return std::nullopt;
    }
}

QString cellReadout(const MapCell &cell)
{
    return QStringLiteral("Content = ") + TerrainName(cell.Terrain) + QStringLiteral("; S = ")
        + QString::number(cell.Sprite1) + QStringLiteral("; S2 = ") + QString::number(cell.Sprite2);
}

QString layerCaption(int layer)
{
    const QString number = layer < 0 ? QString::number(layer) : QLatin1Char(' ') + QString::number(layer);
    return QStringLiteral("Current layer: ") + number;
}

} // namespace kestrun
