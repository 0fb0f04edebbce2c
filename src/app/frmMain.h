#pragma once

#include "PlatformServices.h"
#include "SpriteTable.h"
#include "MapDocument.h"
#include "MapFile.h"
#include "MapGrid.h"
#include "Terrain.h"

#include <QByteArrayList>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kestrun {

class KeyedToolBar;
class MapCanvas;
class PlatformServices;
class SpriteBuffer;
class SpriteList;
class StatusBar;

// What the next press paints: the layer, the sprite brush and the terrain
// brush. The window changes it only through setEditingState.
struct EditingState {
    Layer CurrentLayer = Layer::Terrain;
    std::uint8_t CurrentSprite = 0;
    std::int16_t CurrentTerrain = 0;

    friend bool operator==(const EditingState &, const EditingState &) = default;
};

// The editor's one working window. It owns the whole state of a session: the
// map document (the grid and its file name), the sprite table and the editing
// state, all private. Its event handlers keep the names of the events that
// raise them and are public, so start-up and the connections drive them as
// the user's actions do; each is a few lines over the widget-free core. What
// the canvas shows follows the document's signals.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 780;
    static constexpr int OuterHeight = 540;

    // The window's size inside a window manager's `frame`: 780 x 540 with
    // the frame, unless the frame leaves less than the menu bar, the canvas
    // and the status bar need; then just that much.
    static QSize windowSizeInFrame(const QMargins &frame, int menuBarHeight);

    // `arguments` are the command line's arguments, without the program, as
    // the bytes the system gave.
    frmMain(PlatformServices &platform, QByteArrayList arguments, QWidget *parent = nullptr);
    ~frmMain() override;

    // The window's load: grid, sizes, catalogue, first map.
    void Form_Load();

    // The grid and the file Save writes to, read from the document.
    const MapGrid &MapCells() const { return m_document.cells(); }
    const QString &MapFileName() const { return m_document.fileName(); }

    // --- window, menus and toolbar ----------------------------------------
    void tbToolBar_ButtonClick(const QString &Key);
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuHelpAbout_Click();
    void mnuFileExit_Click();
    void Form_Resize();

    // --- file commands ----------------------------------------------------
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();

    // --- the edit layer, brushes and mouse editing ------------------------
    void cmdLayer_Click(int Index);
    void lstSP_Click();
    void picMap_MouseDown(int Button, int Shift, float X, float Y);
    void picMap_MouseMove(int Button, int Shift, float X, float Y);
    void picMap_MouseUp(int Button, int Shift, float X, float Y);

    // The tests' one way to the window's controls and state; declared here,
    // defined only in tests/support.
    struct TestAccess;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // --- the map file and the catalogue -----------------------------------
    // Reads the map file at `path` and tells the user about every outcome but
    // Loaded, naming the file as `shownPath` (default: `path`). A file that
    // was read, loaded or rejected, is followed by a full redraw; one that
    // could not be read at all changes nothing on screen.
    MapReadResult LoadMap(const QString &path, const QString &shownPath = QString());
    // Writes the map to MapFileName; false when that failed, and the user
    // has been told why.
    bool SaveMap();
    void ResetMap();
    void LoadSpriteCatalogue();

    // --- drawing ----------------------------------------------------------
    void DrawTerrain(int x, int y, std::uint8_t code);
    void DrawSprite(int x, int y, std::uint8_t index);
    void RedrawMap(int layer);
    // The document's announcements: what each change draws.
    void showPaintedCell(const QRect &changed, Layer layer);
    void showReplacedGrid(GridChange change);
    void showLastSpriteDrawn(std::uint8_t index);

    void setEditingState(const EditingState &state) { m_editing = state; }
    void chooseTerrain(TerrainCode code);

    void createControls();
    void createMenus();
    void createToolBar();
    void layoutDockedControls();
    void applyOuterSize();
    void loadCommandLineMap();
    void rememberMapFolder(const QString &mapPath);
    FileDialogRequest fileDialogRequest(const QString &filter) const;

    // --- state -----------------------------------------------------------
    MapDocument m_document; // the one place the grid changes
    SpriteTable Sprites;
    EditingState m_editing;
    PlatformServices &m_platform;
    QByteArrayList m_arguments;
    QWidget *m_client = nullptr;
    QString m_dialogFileName; // the common dialog's file name, kept between uses
    // The ordinary folder (see isOrdinaryFolder) of the last map read or
    // written: where the dialogs start.
    QString m_mapFolder;
    bool m_watchingFrame = false;

    // --- controls --------------------------------------------------------
    KeyedToolBar *tbToolBar = nullptr;
    StatusBar *sbStatusBar = nullptr;
    QWidget *picTool = nullptr;
    QLabel *Label1 = nullptr;
    SpriteBuffer *picBuf = nullptr;
    std::array<QPushButton *, 4> cmdLayer{};
    QLabel *Label2 = nullptr;
    SpriteList *lstSP = nullptr;
    MapCanvas *picMap = nullptr;
    QLineEdit *txtTlst = nullptr;
    QComboBox *cmbTileset = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileClose = nullptr;
    QAction *mnuFileBar0 = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFileBar4 = nullptr;
    std::array<QAction *, 3> mnuFileMRU{};
    QAction *mnuFileBar5 = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusBar = nullptr;
    QAction *mnuViewBar0 = nullptr;
    QAction *mnuViewRefresh = nullptr;
    QAction *mnuViewOptions = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpAbout = nullptr;
};

} // namespace kestrun
