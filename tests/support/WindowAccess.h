#pragma once

#include "frmMain.h"

namespace kestrun {

// The tests' and benchmarks' one way inside the editor window: its controls,
// sprite table and document by the names the window gives them, its editing
// state read-only (written only through setEditingState), and the operations
// its handlers use. Made afresh for each use: `inside(w).picMap`.
struct frmMain::TestAccess {
    explicit TestAccess(frmMain &window)
        : w(window)
    {
    }
    frmMain &w;

    MapDocument &document() const { return w.m_document; }
    SpriteTable &Sprites = w.Sprites;
    const Layer &CurrentLayer = w.m_editing.CurrentLayer;
    const std::uint8_t &CurrentSprite = w.m_editing.CurrentSprite;
    const std::int16_t &CurrentTerrain = w.m_editing.CurrentTerrain;
    void setEditingState(const EditingState &state) const { w.setEditingState(state); }

    void RedrawMap(int layer) const { w.RedrawMap(layer); }
    void DrawSprite(int x, int y, std::uint8_t index) const { w.DrawSprite(x, y, index); }
    void DrawTerrain(int x, int y, std::uint8_t code) const { w.DrawTerrain(x, y, code); }
    void ResetMap() const { w.ResetMap(); }
    void LoadSpriteCatalogue() const { w.LoadSpriteCatalogue(); }

    KeyedToolBar *const tbToolBar = w.tbToolBar;
    StatusBar *const sbStatusBar = w.sbStatusBar;
    QWidget *const picTool = w.picTool;
    QLabel *const Label1 = w.Label1;
    SpriteBuffer *const picBuf = w.picBuf;
    const std::array<QPushButton *, 4> &cmdLayer = w.cmdLayer;
    QLabel *const Label2 = w.Label2;
    SpriteList *const lstSP = w.lstSP;
    MapCanvas *const picMap = w.picMap;
    QLineEdit *const txtTlst = w.txtTlst;
    QComboBox *const cmbTileset = w.cmbTileset;
    QMenu *const mnuFile = w.mnuFile;
    QAction *const mnuFileNew = w.mnuFileNew;
    QAction *const mnuFileOpen = w.mnuFileOpen;
    QAction *const mnuFileSave = w.mnuFileSave;
    QAction *const mnuFileExit = w.mnuFileExit;
    QMenu *const mnuView = w.mnuView;
    QAction *const mnuViewToolbar = w.mnuViewToolbar;
    QAction *const mnuViewStatusBar = w.mnuViewStatusBar;
};

inline frmMain::TestAccess inside(frmMain &window)
{
    return frmMain::TestAccess(window);
}

} // namespace kestrun
