#include "frmMain.h"

#include "AppIdentity.h"
#include "Artwork.h"
#include "KeyedToolBar.h"
#include "PlatformServices.h"
#include "SpriteList.h"
#include "StatusBar.h"
#include "frmSplash.h"
#include "CellGeometry.h"
#include "Terrain.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QWindow>

namespace kestrun {
namespace {

// One toolbar button: its key, tool tip and image, and what it runs. "New",
// "Open" and "Save" share their action with the File menu item, which runs
// the menu's handler; the others run `run` (nothing when it is null).
struct ToolbarCommand {
    const char16_t *key; // nullptr: a separator
    const char16_t *toolTip;
    int image; // index into the toolbar's image list
    QAction *frmMain::*menuItem;
    void (*run)(frmMain &);
};

constexpr int ToolPanelWidth = 129;
constexpr QPoint CanvasPlace(128, 32);

} // namespace

frmMain::frmMain(PlatformServices &platform, QByteArrayList arguments, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    setWindowIcon(applicationIcon());
    // A fixed window: no maximise or minimise box, the close box stays.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    createMenus();
    createControls();
    applyOuterSize();
    // What a change of the grid draws is the window's to decide.
    connect(&m_document, &MapDocument::cellsChanged, this, &frmMain::showPaintedCell);
    connect(&m_document, &MapDocument::gridChanged, this, &frmMain::showReplacedGrid);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    // The grid exists (all zero) before the catalogue's first sprite pick
    // redraws it.
    m_document.clear();
    applyOuterSize();
    LoadSpriteCatalogue();
    loadCommandLineMap();
}

void frmMain::createControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);

    createToolBar();

    sbStatusBar = new StatusBar(m_client);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));

    picTool = new QWidget(m_client);
    picTool->setObjectName(QStringLiteral("picTool"));
    picTool->setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("Tiles"), picTool);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(0, 0);
    Label1->adjustSize();

    picBuf = new SpriteBuffer(picTool);
    picBuf->setObjectName(QStringLiteral("picBuf"));
    picBuf->setGeometry(40, 16, 42, 42);

    const char *const layerCaptions[] = {"C", "S1", "S2", "S3"};
    for (int i = 0; i < 4; ++i) {
        cmdLayer[i] = new QPushButton(QString::fromLatin1(layerCaptions[i]), picTool);
        cmdLayer[i]->setObjectName(QStringLiteral("cmdLayer%1").arg(i));
        cmdLayer[i]->setGeometry(32 * i, 64, 25, 21);
        connect(cmdLayer[i], &QPushButton::clicked, this, [this, i] { cmdLayer_Click(i); });
    }

    // Accessible names: read aloud, the captions "C" and "S1" say little, so
    // a description follows; the caption comes first, so that a user who
    // speaks what they see ("press C") finds the button by it.
    const QString layerNames[] = {QStringLiteral("слой ландшафта"), QStringLiteral("слой спрайтов 1"),
                                  QStringLiteral("слой спрайтов 2"), QStringLiteral("слой спрайтов 3")};
    for (int i = 0; i < 4; ++i)
        cmdLayer[i]->setAccessibleName(cmdLayer[i]->text() + QStringLiteral(", ") + layerNames[i]);

    Label2 = new QLabel(QStringLiteral("Set layer"), picTool);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 88, 113, 17);

    lstSP = new SpriteList(picTool);
    lstSP->setObjectName(QStringLiteral("lstSP"));
    lstSP->setGeometry(0, 112, 129, 236);
    lstSP->setAccessibleName(QStringLiteral("Спрайты"));
    connect(lstSP, &SpriteList::picked, this, &frmMain::lstSP_Click);
    // The docked controls exist: from now on they follow the client area.
    m_client->installEventFilter(this);

    // The canvas is not docked: it stays at (128, 32) whatever the bars do,
    // and lies over the tool panel's last column.
    picMap = new MapCanvas(m_client);
    picMap->setObjectName(QStringLiteral("picMap"));
    picMap->move(CanvasPlace);
    picMap->setFocusPolicy(Qt::StrongFocus);
    picMap->raise();
    connect(picMap, &MapCanvas::mouseDown, this, &frmMain::picMap_MouseDown);
    connect(picMap, &MapCanvas::mouseMove, this, &frmMain::picMap_MouseMove);
    connect(picMap, &MapCanvas::mouseUp, this, &frmMain::picMap_MouseUp);

    // The tab order: status bar, toolbar, canvas, tileset box, tool panel,
    // sprite list, label, buffer, layer buttons, label, text box. Of these only
    // the canvas, the list, the buttons and the text boxes take the focus, and
    // Qt orders just those.
    const QList<QWidget *> tabOrder{picMap,      cmbTileset,  lstSP,       cmdLayer[0],
                                    cmdLayer[1], cmdLayer[2], cmdLayer[3], txtTlst};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

void frmMain::createToolBar()
{
    // The toolbar, left to right. (Inside the window: the commands reach its
    // private handlers and state.)
    static const ToolbarCommand ToolbarCommands[] = {
        {u"New", u"Новый", 1, &frmMain::mnuFileNew, nullptr},
        {u"Open", u"Открыть", 2, &frmMain::mnuFileOpen, nullptr},
        {u"Save", u"Сохранить", 3, &frmMain::mnuFileSave, nullptr},
        {nullptr, nullptr, 0, nullptr, nullptr},
        {u"Delete", u"Удалить", 4, nullptr,
         [](frmMain &w) { w.m_platform.showMessage(&w, QStringLiteral("Add 'Delete' button code.")); }},
        {u"Undo", u"Отмена", 5, nullptr,
         [](frmMain &w) { w.m_platform.showMessage(&w, QStringLiteral("Add 'Undo' button code.")); }},
        {nullptr, nullptr, 0, nullptr, nullptr},
        // The game's later buttons, not yet given a function: they do nothing.
        {u"playerbase", u"База игрока", 6, nullptr, nullptr},
        {u"enemybase", u"База врага", 7, nullptr, nullptr},
        {nullptr, nullptr, 0, nullptr, nullptr},
        {u"Map", u"Карта", 8, nullptr, [](frmMain &w) { w.cmdLayer_Click(int(Layer::Terrain)); }},
        // "resp." sets the edit layer to 1 directly, not through the layer
        // switch: the label keeps its caption and the canvas its layers, while
        // painting goes to layer 1.
        {u"resp.", u"Respawn'ы", 9, nullptr,
         [](frmMain &w) {
             EditingState state = w.m_editing;
             state.CurrentLayer = Layer::Sprite1;
             w.setEditingState(state);
         }},
        {u"rout", u"Список роутов", 10, nullptr, nullptr},
        {nullptr, nullptr, 0, nullptr, nullptr},
        {u"Ground", u"Земля", 11, nullptr, [](frmMain &w) { w.chooseTerrain(TerrainCode::Ground); }},
        {u"Beton", u"Бетон", 12, nullptr, [](frmMain &w) { w.chooseTerrain(TerrainCode::Beton); }},
        {u"Brick", u"Кирпич", 13, nullptr, [](frmMain &w) { w.chooseTerrain(TerrainCode::Brick); }},
        {u"Water", u"Вода", 14, nullptr, [](frmMain &w) { w.chooseTerrain(TerrainCode::Water); }},
        {u"Ice", u"Лёд", 15, nullptr, [](frmMain &w) { w.chooseTerrain(TerrainCode::Ice); }},
    };

    tbToolBar = new KeyedToolBar(m_client);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    for (const ToolbarCommand &command : ToolbarCommands) {
        if (!command.key) {
            tbToolBar->addSeparator();
            continue;
        }
        const QString key = QString::fromUtf16(command.key);
        // The File menu's actions are made first (createMenus).
        Q_ASSERT(!command.menuItem || this->*command.menuItem);
        QAction *action = command.menuItem ? this->*command.menuItem : new QAction(this);
        if (!command.menuItem) {
            action->setObjectName(key);
            if (const auto run = command.run)
                connect(action, &QAction::triggered, this, [this, run] { run(*this); });
        }
        action->setData(key);
        action->setToolTip(QString::fromUtf16(command.toolTip));
        action->setIcon(toolbarImage(command.image));
        action->setIconVisibleInMenu(false); // the menus show captions only
        tbToolBar->addAction(action);
    }

    // Two controls that lie on the toolbar and do nothing: a text box that
    // nothing reads, and a combo box placed below the bar's band, never seen.
    txtTlst = new QLineEdit(QStringLiteral("Расположение файла doveze.exe"), tbToolBar);
    txtTlst->setObjectName(QStringLiteral("txtTlst"));
    txtTlst->setGeometry(384, 0, 145, 19);
    txtTlst->setCursorPosition(0);
    // Without a label beside it, the box's own text is the best name it has.
    txtTlst->setAccessibleName(txtTlst->text());
    cmbTileset = new QComboBox(tbToolBar);
    cmbTileset->setObjectName(QStringLiteral("cmbTileset"));
    cmbTileset->setGeometry(392, 48, 105, 21);
    cmbTileset->hide();
}

void frmMain::createMenus()
{
    auto action = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu *menu, const char *name) {
        QAction *a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = action(mnuFile, "mnuFileNew", QStringLiteral("&Новый"));
    mnuFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen = action(mnuFile, "mnuFileOpen", QStringLiteral("&Открыть..."));
    mnuFileClose = action(mnuFile, "mnuFileClose", QStringLiteral("&Закрыть"));
    mnuFileClose->setEnabled(false);
    mnuFileBar0 = separator(mnuFile, "mnuFileBar0");
    mnuFileSave = action(mnuFile, "mnuFileSave", QStringLiteral("&Сохранить"));
    mnuFileSaveAs = action(mnuFile, "mnuFileSaveAs", QStringLiteral("Сохранить к&ак..."));
    mnuFileBar4 = separator(mnuFile, "mnuFileBar4");
    for (int i = 0; i < 3; ++i) {
        mnuFileMRU[i] = mnuFile->addAction(QString());
        mnuFileMRU[i]->setObjectName(QStringLiteral("mnuFileMRU%1").arg(i + 1));
        mnuFileMRU[i]->setVisible(false);
    }
    mnuFileBar5 = separator(mnuFile, "mnuFileBar5");
    mnuFileBar5->setVisible(false);
    mnuFileExit = action(mnuFile, "mnuFileExit", QStringLiteral("&Выход"));

    mnuView = menuBar()->addMenu(QStringLiteral("&Вид"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewToolbar = action(mnuView, "mnuViewToolbar", QStringLiteral("&Верстак"));
    mnuViewStatusBar = action(mnuView, "mnuViewStatusBar", QStringLiteral("&Строка состояния"));
    for (QAction *toggle : {mnuViewToolbar, mnuViewStatusBar}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    mnuViewBar0 = separator(mnuView, "mnuViewBar0");
    mnuViewRefresh = action(mnuView, "mnuViewRefresh", QStringLiteral("&Обновить"));
    mnuViewRefresh->setEnabled(false);
    mnuViewOptions = action(mnuView, "mnuViewOptions", QStringLiteral("О&пции.."));
    mnuViewOptions->setEnabled(false);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Помощь"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = action(mnuHelp, "mnuHelpContents", QStringLiteral("&Contents"));
    mnuHelpContents->setEnabled(false);
    mnuHelpAbout = action(mnuHelp, "mnuHelpAbout", QStringLiteral("&О программе"));

    connect(mnuFileNew, &QAction::triggered, this, &frmMain::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmMain::mnuFileSaveAs_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    // The toggles flip their own mark; triggered() fires after Qt has already
    // flipped it, so undo that first and let the handler do the flip.
    connect(mnuViewToolbar, &QAction::triggered, this, [this] {
        mnuViewToolbar->setChecked(!mnuViewToolbar->isChecked());
        mnuViewToolbar_Click();
    });
    connect(mnuViewStatusBar, &QAction::triggered, this, [this] {
        mnuViewStatusBar->setChecked(!mnuViewStatusBar->isChecked());
        mnuViewStatusBar_Click();
    });
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::applyOuterSize()
{
    if (QWindow *window = windowHandle(); window && !m_watchingFrame) {
        // A window manager adds its frame after the window is shown; the size
        // is set again once the window is on screen and the frame is known.
        window->installEventFilter(this);
        m_watchingFrame = true;
    }
    // The outer size includes the window manager's frame, known once shown.
    QMargins frame;
    if (QWindow *window = windowHandle())
        frame = window->frameMargins();
    // A menu bar that the desktop shows elsewhere takes no room here.
    const int menuBarHeight = menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height();
    setFixedSize(windowSizeInFrame(frame, menuBarHeight));
}

QSize frmMain::windowSizeInFrame(const QMargins &frame, int menuBarHeight)
{
    // The canvas is not docked: below the menu bar, the client area must
    // hold it at its place and the status bar under it, or the canvas would
    // cover the bar's top (a tall title bar leaves too little of 540).
    const QSize needed(CanvasPlace.x() + CanvasWidth,
                       menuBarHeight + CanvasPlace.y() + CanvasHeight + StatusBar::Height);
    return QSize(OuterWidth, OuterHeight).shrunkBy(frame).expandedTo(needed);
}

void frmMain::layoutDockedControls()
{
    const int width = m_client->width();
    const int height = m_client->height();
    const int top = tbToolBar->isVisibleTo(this) ? KeyedToolBar::Height : 0;
    const int bottom = sbStatusBar->isVisibleTo(this) ? height - StatusBar::Height : height;
    tbToolBar->setGeometry(0, 0, width, KeyedToolBar::Height);
    sbStatusBar->setGeometry(0, height - StatusBar::Height, width, StatusBar::Height);
    picTool->setGeometry(0, top, ToolPanelWidth, bottom - top);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layoutDockedControls();
    else if (watched == windowHandle() && event->type() == QEvent::Expose)
        applyOuterSize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    applyOuterSize();
}

void frmMain::Form_Resize()
{
    // The layout is fixed; only the docked controls follow the client area.
}

void frmMain::tbToolBar_ButtonClick(const QString &Key)
{
    // The button with this key, compared exactly and with case, runs its
    // command; any other key does nothing. The handlers report their own
    // failures, so nothing is left for the dispatch to catch.
    if (QAction *action = tbToolBar->action(Key))
        action->trigger();
}

void frmMain::mnuViewToolbar_Click()
{
    mnuViewToolbar->setChecked(!mnuViewToolbar->isChecked());
    tbToolBar->setVisible(mnuViewToolbar->isChecked());
    layoutDockedControls();
}

void frmMain::mnuViewStatusBar_Click()
{
    mnuViewStatusBar->setChecked(!mnuViewStatusBar->isChecked());
    sbStatusBar->setVisible(mnuViewStatusBar->isChecked());
    layoutDockedControls();
}

void frmMain::mnuHelpAbout_Click()
{
    frmSplash about(this);
    about.exec();
}

void frmMain::mnuFileExit_Click()
{
    // Closing by any means is File > Exit: nothing is asked, nothing saved.
    close();
}

} // namespace kestrun
