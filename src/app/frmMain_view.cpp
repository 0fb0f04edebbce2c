// Drawing the map on the canvas, the edit layer and brushes, and mouse editing.
#include "app/frmMain.h"

#include "app/SpriteList.h"
#include "app/StatusBar.h"
#include "view/Editing.h"
#include "view/MapCanvas.h"
#include "view/SpriteBuffer.h"

#include <QLabel>

namespace kestrun {
namespace {
const QColor FrameIdle(0, 0, 255);
const QColor FrameHeld(0, 255, 0);
} // namespace

void frmMain::DrawTerrain(int x, int y, std::uint8_t code)
{
    picMap->drawTerrain(x, y, code);
}

void frmMain::DrawSprite(int x, int y, std::uint8_t index)
{
    if (index == 0)
        return; // an empty layer: the cell keeps what it showed
    // The buffer shows the sprite drawn last; its block is what the cell gets.
    const QImage &block = Sprites.block(index);
    picBuf->setPicture(block);
    picMap->drawBlock(x, y, block);
}

void frmMain::RedrawMap(int layer)
{
    picMap->parkFrame();
    showLastSpriteDrawn(picMap->drawMap(MapCells(), Sprites, layer));
}

void frmMain::showLastSpriteDrawn(std::uint8_t index)
{
    // The sprite buffer doubles as the brush preview, so after a drawing of
    // many cells it shows the last sprite drawn, not the brush.
    if (index != 0)
        picBuf->setPicture(Sprites.block(index));
}

void frmMain::cmdLayer_Click(int Index)
{
    CurrentLayer = static_cast<Layer>(Index);
    Label2->setText(layerCaption(int(CurrentLayer)));
    RedrawMap(int(CurrentLayer));
}

void frmMain::lstSP_Click()
{
    const QList<QListWidgetItem *> selected = lstSP->selectedItems();
    const int slot = Sprites.findFileName(selected.isEmpty() ? QString() : selected.first()->text());
    // An entry that names no slot (its slot was given another file later)
    // keeps the brush and the preview, and still leaves the terrain layer.
    if (slot >= 0) {
        CurrentSprite = static_cast<std::uint8_t>(slot);
        picBuf->setPicture(Sprites.block(CurrentSprite));
    }
    if (CurrentLayer == Layer::Terrain)
        cmdLayer_Click(1);
}

void frmMain::picMap_MouseDown(int Button, int, float X, float Y)
{
    picMap->setFrameColor(FrameHeld);
    // A terrain brush never chosen is 0: it paints code 0, drawn black.
    const auto stroke = pressStroke(MouseButton(Button), CurrentLayer, cellOfPosition(X), cellOfPosition(Y),
                                    static_cast<std::uint8_t>(CurrentTerrain), CurrentSprite);
    if (stroke)
        showPaintedCell(m_document.paint(*stroke), stroke->layer);
}

void frmMain::showPaintedCell(const QRect &changed, Layer layer)
{
    // Only the painted layer of the one cell is drawn, over what the canvas
    // showed: a terrain box covers the cell's sprites, an opaque sprite block
    // covers the layers above it, and sprite 0 draws nothing, until the next
    // full redraw shows the stacking again.
    if (changed.isEmpty())
        return;
    const int x = changed.x();
    const int y = changed.y();
    const std::uint8_t value = MapCells().layerByte(x, y, layer);
    if (layer == Layer::Terrain)
        DrawTerrain(x, y, value);
    else
        DrawSprite(x, y, value);
}

void frmMain::picMap_MouseMove(int Button, int Shift, float X, float Y)
{
    const int cx = cellOfPosition(X);
    const int cy = cellOfPosition(Y);
    picMap->moveFrameToCell(cx, cy);
    if (Button == int(MouseButton::Left) || Button == int(MouseButton::Right)) {
        // Drag painting: every move repeats the press for the cell under the
        // pointer; cells skipped between two events stay as they are.
        picMap_MouseDown(Button, Shift, X, Y);
        return;
    }
    // The readout is left as it was while dragging and off the grid.
    if (MapGrid::contains(cx, cy))
        sbStatusBar->panel(1)->setText(cellReadout(MapCells().cell(cx, cy)));
}

void frmMain::picMap_MouseUp(int, int, float, float)
{
    picMap->setFrameColor(FrameIdle);
}

} // namespace kestrun
