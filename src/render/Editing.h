#pragma once

#include "MapDocument.h"
#include "MapGrid.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace kestrun {

// The mouse buttons as the canvas's events number them. A press or release
// names one button; a move gives the sum of the buttons held (3: left and
// right).
enum class MouseButton : int { None = 0, Left = 1, Right = 2, Middle = 4 };

// The cell column (or row) of a canvas position: the position rounded to the
// nearest whole pixel (halves to the even neighbour), then divided by 40 with
// the quotient truncated toward zero. So -1 and -39 still give 0, -40 gives -1.
int cellOfPosition(double pixel);

// The press rules. Left on the terrain layer writes the terrain brush, left
// on a sprite layer the sprite brush, right on layer 1 puts back sprite 1 (the
// new map's layer-1 value; it never writes 0); every other combination, and
// every cell outside the grid, writes nothing.
std::optional<PaintStroke> pressStroke(MouseButton button, Layer layer, int cx, int cy, std::uint8_t terrainBrush,
                                       std::uint8_t spriteBrush);

// "Content = <terrain name>; S = <Sprite1>; S2 = <Sprite2>" (Sprite3 is not shown).
QString cellReadout(const MapCell &cell);

// The layer-switch caption: the layer number with a blank reserved for its
// sign, so layer 2 reads "Current layer:  2".
QString layerCaption(int layer);

} // namespace kestrun
