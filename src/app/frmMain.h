#pragma once

#include "catalogue/SpriteTable.h"
#include "map/MapFile.h"
#include "map/MapGrid.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace kestrun {

class KeyedToolBar;
class MapCanvas;
class PlatformServices;
class SpriteBuffer;
class StatusBar;

// The editor's one working window. It owns the whole state of a session: the
// grid, the sprite table, the current file name and the editing state. Its
// handlers keep the names of the events that raise them and are public, so
// start-up and the tests drive them exactly as the user's actions do; each is
// a few lines over the widget-free core.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int OuterWidth = 780;
    static constexpr int OuterHeight = 540;

    // `arguments` are the command line's arguments, without the program.
    frmMain(PlatformServices &platform, QStringList arguments, QWidget *parent = nullptr);
    ~frmMain() override;

    // The window's load: grid, sizes, catalogue, first map, cursor frame.
    void Form_Load();

    // --- state -----------------------------------------------------------
    kestrun::MapGrid MapCells;
    SpriteTable Sprites;
    QString MapFileName;
    Layer CurrentLayer = Layer::Terrain;
    std::uint8_t CurrentSprite = 0;
    std::int16_t CurrentTerrain = 0;

    // --- controls --------------------------------------------------------
    KeyedToolBar *tbToolBar = nullptr;
    StatusBar *sbStatusBar = nullptr;
    QWidget *picTool = nullptr;
    QLabel *Label1 = nullptr;
    SpriteBuffer *picBuf = nullptr;
    std::array<QPushButton *, 4> cmdLayer{};
    QLabel *Label2 = nullptr;
    QListWidget *lstSP = nullptr;
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

    // --- window, menus and toolbar ----------------------------------------
    void tbToolBar_ButtonClick(const QString &Key);
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuHelpAbout_Click();
    void mnuFileExit_Click();
    void Form_Resize();

    // --- file commands and the map file -----------------------------------
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    // Returns what the file held: Loaded, NotValidMapFile, WrongVersion, or
    // Unreadable (then nothing was changed or redrawn; the caller reports it).
    MapReadStatus LoadMap(const QString &path);
    // False when the file could not be written; the user has been told why.
    bool SaveMap();
    void ResetMap();

    // --- catalogue --------------------------------------------------------
    void LoadSpriteCatalogue();

    // --- canvas, brushes and mouse editing --------------------------------
    void DrawTerrain(int x, int y, std::uint8_t code);
    void DrawSprite(int x, int y, std::uint8_t index);
    void RedrawMap(int layer);
    void cmdLayer_Click(int Index);
    void lstSP_Click();
    void picMap_MouseDown(int Button, int Shift, float X, float Y);
    void picMap_MouseMove(int Button, int Shift, float X, float Y);
    void picMap_MouseUp(int Button, int Shift, float X, float Y);

    PlatformServices &platform() const { return m_platform; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createToolBar();
    void layoutDockedControls();
    void applyOuterSize();
    void loadCommandLineMap();
    void showLastSpriteDrawn(std::uint8_t index);
    void reportUnreadable(const QString &path, const QString &reason);

    PlatformServices &m_platform;
    QStringList m_arguments;
    QWidget *m_client = nullptr;
    QString m_dialogFileName; // the common dialog's file name, kept between uses
    QString m_lastReadFailure;
    bool m_listSelectionChangedByPress = false;
    bool m_watchingFrame = false;
};

} // namespace kestrun
