#include "app/frmMain.h"

#include "app/AppInfo.h"
#include "app/Artwork.h"
#include "app/KeyedToolBar.h"
#include "app/PlatformServices.h"
#include "app/StatusBar.h"
#include "app/frmSplash.h"
#include "map/Terrain.h"
#include "view/MapCanvas.h"
#include "view/SpriteBuffer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolButton>
#include <QWindow>

#include <exception>

namespace kestrun {
namespace {

struct ToolButtonSpec {
    const char *key;         // nullptr: a separator
    const char *toolTip;
    int image;               // index into the toolbar's image list
};

// The toolbar, left to right.
const ToolButtonSpec ToolButtons[] = {
    {"New", "Новый", 1},
    {"Open", "Открыть", 2},
    {"Save", "Сохранить", 3},
    {nullptr, nullptr, 0},
    {"Delete", "Удалить", 4},
    {"Undo", "Отмена", 5},
    {nullptr, nullptr, 0},
    {"playerbase", "База игрока", 6},
    {"enemybase", "База врага", 7},
    {nullptr, nullptr, 0},
    {"Map", "Карта", 8},
    {"resp.", "Respawn'ы", 9},
    {"rout", "Список роутов", 10},
    {nullptr, nullptr, 0},
    {"Ground", "Земля", 11},
    {"Beton", "Бетон", 12},
    {"Brick", "Кирпич", 13},
    {"Water", "Вода", 14},
    {"Ice", "Лёд", 15},
};

constexpr int ToolPanelWidth = 129;
constexpr QPoint CanvasPlace(128, 32);

} // namespace

frmMain::frmMain(PlatformServices &platform, QStringList arguments, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    setWindowIcon(applicationIcon());
    // A fixed window: no maximise or minimise box, the close box stays.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createMenus();
    createControls();
    applyOuterSize();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    // The grid exists (all zero) before the catalogue's first sprite pick
    // redraws it.
    MapCells.clear();
    applyOuterSize();
    picMap->setCanvasSize(CanvasWidth, CanvasHeight);
    LoadSpriteCatalogue();
    loadCommandLineMap();
    picMap->setFrameSize(CellSize, CellSize);
}

void frmMain::createControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

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

    Label2 = new QLabel(QStringLiteral("Set layer"), picTool);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 88, 113, 17);

    lstSP = new QListWidget(picTool);
    lstSP->setObjectName(QStringLiteral("lstSP"));
    lstSP->setGeometry(0, 112, 129, 236);
    lstSP->setUniformItemSizes(true);
    // The list's click: once for every change of selection (mouse, keys, or
    // the program), and for a click on the entry already selected. Not on a
    // change of the current row alone: Qt makes the first row current, without
    // selecting it, when an unselected list takes the focus.
    lstSP->viewport()->installEventFilter(this);
    connect(lstSP, &QListWidget::itemSelectionChanged, this, [this] {
        m_listSelectionChangedByPress = true;
        lstSP_Click();
    });
    connect(lstSP, &QListWidget::itemClicked, this, [this] {
        if (!m_listSelectionChangedByPress)
            lstSP_Click();
    });

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
    const QList<QWidget *> tabOrder{picMap, cmbTileset, lstSP, cmdLayer[0], cmdLayer[1],
                                    cmdLayer[2], cmdLayer[3], txtTlst};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

void frmMain::createToolBar()
{
    tbToolBar = new KeyedToolBar(m_client);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    for (const ToolButtonSpec &spec : ToolButtons) {
        if (!spec.key)
            tbToolBar->addSeparator();
        else
            tbToolBar->addButton(QString::fromUtf8(spec.key), QString::fromUtf8(spec.toolTip),
                                 toolbarImage(spec.image));
    }
    connect(tbToolBar, &KeyedToolBar::buttonClick, this, &frmMain::tbToolBar_ButtonClick);

    // Two controls that lie on the toolbar and do nothing: a text box that
    // nothing reads, and a combo box placed below the bar's band, never seen.
    txtTlst = new QLineEdit(QStringLiteral("Расположение файла doveze.exe"), tbToolBar);
    txtTlst->setObjectName(QStringLiteral("txtTlst"));
    txtTlst->setGeometry(384, 0, 145, 19);
    txtTlst->setCursorPosition(0);
    cmbTileset = new QComboBox(tbToolBar);
    cmbTileset->setObjectName(QStringLiteral("cmbTileset"));
    cmbTileset->setGeometry(392, 48, 105, 21);
    cmbTileset->hide();
}

void frmMain::createMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption) {
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
    setFixedSize(OuterWidth - frame.left() - frame.right(), OuterHeight - frame.top() - frame.bottom());
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
    else if (event->type() == QEvent::MouseButtonPress && lstSP && watched == lstSP->viewport())
        m_listSelectionChangedByPress = false;
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

void frmMain::closeEvent(QCloseEvent *event)
{
    // Closing by any means is File > Exit: nothing is asked, nothing saved.
    QMainWindow::closeEvent(event);
}

void frmMain::Form_Resize()
{
    // The layout is fixed; only the docked controls follow the client area.
}

void frmMain::tbToolBar_ButtonClick(const QString &Key)
{
    // The dispatch ignores failures: one inside a called handler ends that
    // handler's work and the dispatch ends normally.
    try {
        if (Key == QLatin1String("New"))
            mnuFileNew_Click();
        else if (Key == QLatin1String("Open"))
            mnuFileOpen_Click();
        else if (Key == QLatin1String("Save"))
            mnuFileSave_Click();
        else if (Key == QLatin1String("Delete"))
            m_platform.showMessage(this, QStringLiteral("Add 'Delete' button code."));
        else if (Key == QLatin1String("Undo"))
            m_platform.showMessage(this, QStringLiteral("Add 'Undo' button code."));
        else if (Key == QLatin1String("Ground"))
            CurrentTerrain = terrainByte(TerrainCode::Ground), cmdLayer_Click(0);
        else if (Key == QLatin1String("Beton"))
            CurrentTerrain = terrainByte(TerrainCode::Beton), cmdLayer_Click(0);
        else if (Key == QLatin1String("Brick"))
            CurrentTerrain = terrainByte(TerrainCode::Brick), cmdLayer_Click(0);
        else if (Key == QLatin1String("Water"))
            CurrentTerrain = terrainByte(TerrainCode::Water), cmdLayer_Click(0);
        else if (Key == QLatin1String("Ice"))
            CurrentTerrain = terrainByte(TerrainCode::Ice), cmdLayer_Click(0);
        else if (Key == QLatin1String("Map"))
            cmdLayer_Click(0);
        else if (Key == QLatin1String("resp."))
            CurrentLayer = Layer::Sprite1;
    } catch (const std::exception &) {
        // ignored, as every failure in the toolbar dispatch
    }
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
    close();
}

} // namespace kestrun
