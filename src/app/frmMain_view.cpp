// Drawing the map on the canvas, the edit layer and brushes, and mouse editing.
#include "frmMain.h"

#include "SpriteList.h"
#include "StatusBar.h"
#include "Editing.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

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
    // Only the four layer buttons' indexes name a layer; any other does nothing.
    if (Index < int(Layer::Terrain) || Index > int(Layer::Sprite3))
        return;
    EditingState state = m_editing;
    state.CurrentLayer = static_cast<Layer>(Index);
    setEditingState(state);
    Label2->setText(layerCaption(Index));
    RedrawMap(Index);
}

void frmMain::chooseTerrain(TerrainCode code)
{
    // A terrain key: the terrain brush, then the layer switch to the terrain layer.
    EditingState state = m_editing;
    state.CurrentTerrain = terrainByte(code);
    setEditingState(state);
    cmdLayer_Click(int(Layer::Terrain));
}

void frmMain::lstSP_Click()
{
    const QList<QListWidgetItem *> selected = lstSP->selectedItems();
    const int slot = Sprites.findFileName(selected.isEmpty() ? QString() : selected.first()->text());
    // An entry that names no slot (its slot was given another file later)
    // keeps the brush and the preview, and still leaves the terrain layer.
    if (slot >= 0) {
        EditingState state = m_editing;
        state.CurrentSprite = static_cast<std::uint8_t>(slot);
        setEditingState(state);
        picBuf->setPicture(Sprites.block(state.CurrentSprite));
    }
    if (m_editing.CurrentLayer == Layer::Terrain)
        cmdLayer_Click(1);
}

void frmMain::picMap_MouseDown(int Button, int, float X, float Y)
{
    picMap->setFrameColor(FrameHeld);
    // A terrain brush never chosen is 0: it paints code 0, drawn black. The
    // document announces the painted cell, and showPaintedCell draws it.
    const auto stroke = pressStroke(MouseButton(Button), m_editing.CurrentLayer, cellOfPosition(X), cellOfPosition(Y),
                                    static_cast<std::uint8_t>(m_editing.CurrentTerrain), m_editing.CurrentSprite);
    if (stroke)
        m_document.paint(*stroke);
}

void frmMain::showPaintedCell(const QRect &changed, Layer layer)
{
    // Only the painted layer of each cell is drawn, over what the canvas
    // showed: a terrain box covers the cell's sprites, an opaque sprite block
    // covers the layers above it, and sprite 0 draws nothing, until the next
    // full redraw shows the stacking again.
    for (int y = changed.top(); y <= changed.bottom(); ++y) {
        for (int x = changed.left(); x <= changed.right(); ++x) {
            const std::uint8_t value = MapCells().layerByte(x, y, layer);
            if (layer == Layer::Terrain)
                DrawTerrain(x, y, value);
            else
                DrawSprite(x, y, value);
        }
    }
}

void frmMain::showReplacedGrid(GridChange change)
{
    switch (change) {
    case GridChange::Cleared:
        // Nothing is drawn: a clear is always followed by the change that
        // shows the map (the catalogue's first pick, or the new-map defaults).
        break;
    case GridChange::NewMapDefaults:
        // A new map shows sprite 1 in every cell and no terrain colours: the
        // opaque blocks cover the cells whole.
        picMap->parkFrame();
        showLastSpriteDrawn(picMap->drawSpriteLayer(MapCells(), Sprites, Layer::Sprite1));
        break;
    case GridChange::Read: RedrawMap(3); break;
    }
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
