// The editor window's controls, menus, toolbar and the commands that live in
// the window itself.
#include "KeyedToolBar.h"
#include "SpriteList.h"
#include "StatusBar.h"
#include "MapFile.h"
#include "support/EditorFixture.h"
#include "support/TestFiles.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QRect)

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void windowIsFixedAndTitled();
    void windowSizeInFrame_data();
    void windowSizeInFrame();
    void controlGeometry_data();
    void controlGeometry();
    void controlTexts();
    void toolbarButtons();
    void menuTree_data();
    void menuTree();
    void fileMenuShowsOneSeparatorBeforeExit();
    void ctrlNRunsNew();
    void tabOrder();
    void dispatch_data();
    void dispatch();
    void caseVariantsDoNothing();
    void viewToggles_data();
    void viewToggles();
    void hiddenStatusBarStillTakesTheReadout();
    void exitClosesWithoutAsking();
    void everyActionRunsItsOwnHandler_data();
    void everyActionRunsItsOwnHandler();
};

void TestMainWindow::windowIsFixedAndTitled()
{
    Editor e;
    frmMain &w = *e.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrunle"));
    QCOMPARE(w.size(), QSize(780, 540)); // the offscreen platform has no frame
    QCOMPARE(w.minimumSize(), w.maximumSize());
    // The canvas, not docked, leaves the status bar whole.
    w.show();
    QVERIFY(inside(w).picMap->geometry().bottom() < inside(w).sbStatusBar->geometry().top());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!w.windowIcon().isNull());
    // The title never shows the map: not after opening or saving either.
    // (A folder of its own: the suite's two font runs may go in parallel.)
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString saved = folder.filePath(u"title-test.kmp"_s);
    e.platform.saveAnswers.push_back(saved);
    w.mnuFileSaveAs_Click();
    QCOMPARE(w.MapFileName(), saved);
    e.platform.openAnswers.push_back(saved);
    w.mnuFileOpen_Click();
    QCOMPARE(w.MapFileName(), saved);
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrunle"));
}

void TestMainWindow::windowSizeInFrame_data()
{
    QTest::addColumn<QMargins>("frame"); // left, top, right, bottom
    QTest::addColumn<int>("menuBarHeight");
    QTest::addColumn<QSize>("size");
    // 780 x 540 with the frame whenever the frame leaves room: the client
    // area needs 128 + 642 across and the menu bar, 32 + 440 and the status
    // bar's 18 down.
    QTest::newRow("no frame") << QMargins() << 21 << QSize(780, 540);
    QTest::newRow("thin border, 20 px title") << QMargins(1, 20, 1, 1) << 21 << QSize(778, 519);
    QTest::newRow("exactly enough") << QMargins(5, 29, 5, 0) << 21 << QSize(770, 511);
    QTest::newRow("37 px title bar") << QMargins(0, 37, 0, 0) << 21 << QSize(780, 511);
    QTest::newRow("37 px title, border") << QMargins(1, 37, 1, 1) << 21 << QSize(778, 511);
    QTest::newRow("wide border") << QMargins(10, 30, 10, 10) << 21 << QSize(770, 511);
    QTest::newRow("tall menu bar, no frame") << QMargins() << 60 << QSize(780, 550);
    QTest::newRow("menu bar elsewhere") << QMargins(0, 37, 0, 0) << 0 << QSize(780, 503);
}

void TestMainWindow::windowSizeInFrame()
{
    QFETCH(QMargins, frame);
    QFETCH(int, menuBarHeight);
    QFETCH(QSize, size);
    QCOMPARE(frmMain::windowSizeInFrame(frame, menuBarHeight), size);
}

void TestMainWindow::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // Client-area pixels; the tool panel's children relative to the panel.
    QTest::newRow("picMap") << "picMap" << QRect(128, 32, 642, 440);
    QTest::newRow("picBuf") << "picBuf" << QRect(40, 16, 42, 42);
    QTest::newRow("cmdLayer0") << "cmdLayer0" << QRect(0, 64, 25, 21);
    QTest::newRow("cmdLayer1") << "cmdLayer1" << QRect(32, 64, 25, 21);
    QTest::newRow("cmdLayer2") << "cmdLayer2" << QRect(64, 64, 25, 21);
    QTest::newRow("cmdLayer3") << "cmdLayer3" << QRect(96, 64, 25, 21);
    QTest::newRow("Label2") << "Label2" << QRect(0, 88, 113, 17);
    QTest::newRow("lstSP") << "lstSP" << QRect(0, 112, 129, 236);
    QTest::newRow("txtTlst") << "txtTlst" << QRect(384, 0, 145, 19);
    QTest::newRow("cmbTileset") << "cmbTileset" << QRect(392, 48, 105, 21);
}

void TestMainWindow::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Editor e;
    e.window->show();
    auto *control = e.window->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
}

void TestMainWindow::controlTexts()
{
    const QDate dayBefore = QDate::currentDate();
    Editor e;
    frmMain &w = *e.window;
    w.show();
    const int clientWidth = w.centralWidget()->width();
    const int clientHeight = w.centralWidget()->height();
    QCOMPARE(inside(w).tbToolBar->geometry(), QRect(0, 0, clientWidth, 28));
    QCOMPARE(inside(w).sbStatusBar->geometry(), QRect(0, clientHeight - 18, clientWidth, 18));
    QCOMPARE(inside(w).picTool->geometry(), QRect(0, 28, 129, clientHeight - 28 - 18));
    QCOMPARE(inside(w).Label1->pos(), QPoint(0, 0));
    QCOMPARE(inside(w).Label1->text(), QStringLiteral("Tiles"));
    QCOMPARE(inside(w).Label2->text(), QStringLiteral("Set layer"));
    const QStringList captions{u"C"_s, u"S1"_s, u"S2"_s, u"S3"_s};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(inside(w).cmdLayer[i]->text(), captions[i]);
    QCOMPARE(inside(w).picBuf->palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(inside(w).picMap->cursorFrame().borderColor, QColor(0, 0, 255));
    QCOMPARE(inside(w).picMap->cursorFrame().rect().size(), QSize(40, 40));
    QCOMPARE(inside(w).txtTlst->text(), QStringLiteral("Расположение файла doveze.exe"));
    // The combo box lies below the toolbar's band and is never seen.
    QVERIFY(!inside(w).cmbTileset->isVisible());
    QVERIFY(!inside(w).tbToolBar->rect().intersects(inside(w).cmbTileset->geometry()));
    QCOMPARE(inside(w).cmbTileset->count(), 0);
    QCOMPARE(inside(w).sbStatusBar->panel(1)->text(), QStringLiteral("Status"));
    QVERIFY(inside(w).sbStatusBar->panel(1)->width() >= 96);
    QVERIFY(inside(w).sbStatusBar->panel(2)->width() >= 96);
    QVERIFY(inside(w).sbStatusBar->panel(3)->width() >= 96);
    // The date the window was made on: the day this test began, or the
    // next one when midnight passed in between.
    const QString shownDate = inside(w).sbStatusBar->panel(2)->text();
    const auto dateText = [](QDate day) { return QLocale::system().toString(day, QLocale::ShortFormat); };
    QVERIFY2(shownDate == dateText(dayBefore) || shownDate == dateText(QDate::currentDate()), qPrintable(shownDate));
    QVERIFY(!inside(w).sbStatusBar->panel(3)->text().isEmpty());
    // The canvas shares the panel's last column and lies over it.
    QCOMPARE(inside(w).picTool->geometry().right(), inside(w).picMap->geometry().left());
}

void TestMainWindow::toolbarButtons()
{
    Editor e;
    const struct {
        const char *key;
        const char *toolTip;
        int left;
    } expected[] = {
        {"New", "Новый", 0},
        {"Open", "Открыть", 23},
        {"Save", "Сохранить", 46},
        {"Delete", "Удалить", 77},
        {"Undo", "Отмена", 100},
        {"playerbase", "База игрока", 131},
        {"enemybase", "База врага", 154},
        {"Map", "Карта", 185},
        {"resp.", "Respawn'ы", 208},
        {"rout", "Список роутов", 231},
        {"Ground", "Земля", 262},
        {"Beton", "Бетон", 285},
        {"Brick", "Кирпич", 308},
        {"Water", "Вода", 331},
        {"Ice", "Лёд", 354},
    };
    const auto &buttons = inside(*e.window).tbToolBar->buttons();
    QCOMPARE(int(buttons.size()), 15);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QCOMPARE(KeyedToolBar::keyOf(buttons[i]), QString::fromUtf8(expected[i].key));
        QCOMPARE(buttons[i]->toolTip(), QString::fromUtf8(expected[i].toolTip));
        QCOMPARE(buttons[i]->geometry(), QRect(expected[i].left, 3, 23, 22));
        QVERIFY(buttons[i]->text().isEmpty() || buttons[i]->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QVERIFY(!buttons[i]->icon().isNull());
        QCOMPARE(buttons[i]->accessibleName(), buttons[i]->toolTip());
    }
    // New, Open and Save are the File menu's own actions; the menu shows
    // their captions without the toolbar's images.
    const std::array<QAction *, 3> shared{inside(*e.window).mnuFileNew, inside(*e.window).mnuFileOpen,
                                          inside(*e.window).mnuFileSave};
    for (std::size_t i = 0; i < shared.size(); ++i) {
        QCOMPARE(buttons[i]->defaultAction(), shared[i]);
        QVERIFY(!shared[i]->isIconVisibleInMenu());
    }
}

void TestMainWindow::menuTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QKeySequence>("shortcut");
    const QKeySequence none;
    QTest::newRow("New") << "mnuFileNew"
                         << "&Новый" << true << true << false << QKeySequence(u"Ctrl+N"_s);
    QTest::newRow("Open") << "mnuFileOpen"
                          << "&Открыть..." << true << true << false << none;
    QTest::newRow("Close") << "mnuFileClose"
                           << "&Закрыть" << false << true << false << none;
    QTest::newRow("Save") << "mnuFileSave"
                          << "&Сохранить" << true << true << false << none;
    QTest::newRow("SaveAs") << "mnuFileSaveAs"
                            << "Сохранить к&ак..." << true << true << false << none;
    // Qt reports a hidden action as disabled.
    QTest::newRow("MRU1") << "mnuFileMRU1"
                          << "" << false << false << false << none;
    QTest::newRow("MRU2") << "mnuFileMRU2"
                          << "" << false << false << false << none;
    QTest::newRow("MRU3") << "mnuFileMRU3"
                          << "" << false << false << false << none;
    QTest::newRow("Bar5") << "mnuFileBar5"
                          << "" << false << false << false << none;
    QTest::newRow("Exit") << "mnuFileExit"
                          << "&Выход" << true << true << false << none;
    QTest::newRow("Toolbar") << "mnuViewToolbar"
                             << "&Верстак" << true << true << true << none;
    QTest::newRow("StatusBar") << "mnuViewStatusBar"
                               << "&Строка состояния" << true << true << true << none;
    QTest::newRow("Refresh") << "mnuViewRefresh"
                             << "&Обновить" << false << true << false << none;
    QTest::newRow("Options") << "mnuViewOptions"
                             << "О&пции.." << false << true << false << none;
    QTest::newRow("Contents") << "mnuHelpContents"
                              << "&Contents" << false << true << false << none;
    QTest::newRow("About") << "mnuHelpAbout"
                           << "&О программе" << true << true << false << none;
}

void TestMainWindow::menuTree()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(bool, checked);
    QFETCH(QKeySequence, shortcut);
    Editor e;
    auto *action = e.window->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isVisible(), visible);
    QCOMPARE(action->isChecked(), checked);
    QCOMPARE(action->shortcut(), shortcut);
}

void TestMainWindow::fileMenuShowsOneSeparatorBeforeExit()
{
    Editor e;
    frmMain &w = *e.window;
    QStringList titles;
    for (QAction *menu : w.menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, (QStringList{u"&Файл"_s, u"&Вид"_s, u"&Помощь"_s}));
    QStringList shown;
    for (QAction *a : inside(w).mnuFile->actions()) {
        if (a->isVisible())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    QCOMPARE(shown,
             (QStringList{u"&Новый"_s, u"&Открыть..."_s, u"&Закрыть"_s, u"-"_s, u"&Сохранить"_s, u"Сохранить к&ак..."_s,
                          u"-"_s, u"&Выход"_s}));
    QStringList view;
    for (QAction *a : inside(w).mnuView->actions())
        view << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(view, (QStringList{u"&Верстак"_s, u"&Строка состояния"_s, u"-"_s, u"&Обновить"_s, u"О&пции.."_s}));
}

void TestMainWindow::ctrlNRunsNew()
{
    Editor e;
    frmMain &w = *e.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    putCell(w, 3, 3, MapCell{9, 9, 9, 9});
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.MapCells().cell(3, 3), (MapCell{1, 1, 0, 0}));
}

void TestMainWindow::tabOrder()
{
    Editor e;
    frmMain &w = *e.window;
    w.show();
    // The controls that take the focus, in the order Tab visits them.
    const QList<QWidget *> expected{inside(w).picMap,      inside(w).cmbTileset,  inside(w).lstSP,
                                    inside(w).cmdLayer[0], inside(w).cmdLayer[1], inside(w).cmdLayer[2],
                                    inside(w).cmdLayer[3], inside(w).txtTlst};
    for (QWidget *control : expected)
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
    for (QWidget *control : {static_cast<QWidget *>(inside(w).sbStatusBar), static_cast<QWidget *>(inside(w).tbToolBar),
                             inside(w).picTool, static_cast<QWidget *>(inside(w).Label1),
                             static_cast<QWidget *>(inside(w).picBuf), static_cast<QWidget *>(inside(w).Label2)})
        QVERIFY(!(control->focusPolicy() & Qt::TabFocus));
    for (qsizetype i = 0; i + 1 < expected.size(); ++i) {
        QWidget *next = expected[i]->nextInFocusChain();
        while (!expected.contains(next))
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i + 1]);
    }
}

void TestMainWindow::dispatch_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("terrain");
    QTest::addColumn<int>("layer");
    QTest::addColumn<QString>("label");
    // Before each key: terrain brush 0, edit layer 2, label "Current layer:  2".
    const QString two = QStringLiteral("Current layer:  2");
    const QString zero = QStringLiteral("Current layer:  0");
    QTest::newRow("Delete") << "Delete"
                            << "Add 'Delete' button code." << 0 << 2 << two;
    QTest::newRow("Undo") << "Undo"
                          << "Add 'Undo' button code." << 0 << 2 << two;
    QTest::newRow("Ground") << "Ground"
                            << "" << 1 << 0 << zero;
    QTest::newRow("Beton") << "Beton"
                           << "" << 2 << 0 << zero;
    QTest::newRow("Brick") << "Brick"
                           << "" << 4 << 0 << zero;
    QTest::newRow("Water") << "Water"
                           << "" << 16 << 0 << zero;
    QTest::newRow("Ice") << "Ice"
                         << "" << 8 << 0 << zero;
    QTest::newRow("Map") << "Map"
                         << "" << 0 << 0 << zero;
    QTest::newRow("resp.") << "resp."
                           << "" << 0 << 1 << two;
    QTest::newRow("playerbase") << "playerbase"
                                << "" << 0 << 2 << two;
    QTest::newRow("enemybase") << "enemybase"
                               << "" << 0 << 2 << two;
    QTest::newRow("rout") << "rout"
                          << "" << 0 << 2 << two;
}

void TestMainWindow::dispatch()
{
    QFETCH(QString, key);
    QFETCH(QString, message);
    QFETCH(int, terrain);
    QFETCH(int, layer);
    QFETCH(QString, label);
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 3);
    putCell(w, 2, 2, MapCell{4, 2, 3, 0});
    w.cmdLayer_Click(2);
    const MapGrid before = w.MapCells();
    const QImage canvasBefore = inside(w).picMap->image().copy();
    e.platform.messages.clear();

    // Through the real button, as the user clicks it.
    QToolButton *button = inside(w).tbToolBar->button(key);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(e.platform.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(int(inside(w).CurrentTerrain), terrain);
    QCOMPARE(int(inside(w).CurrentLayer), layer);
    QCOMPARE(inside(w).Label2->text(), label);
    QVERIFY(w.MapCells() == before);
    // Only a layer switch redraws: to terrain only.
    if (layer == 0)
        QCOMPARE(inside(w).picMap->image().pixel(100, 100), qRgb(255, 255, 0));
    else
        QCOMPARE(inside(w).picMap->image(), canvasBefore);
}

void TestMainWindow::caseVariantsDoNothing()
{
    Editor e;
    frmMain &w = *e.window;
    w.cmdLayer_Click(2);
    const QStringList variants{u"new"_s,        u"OPEN"_s,  u"save"_s,    u"delete"_s, u"undo"_s, u"ground"_s,
                               u"BETON"_s,      u"brick"_s, u"water"_s,   u"ice"_s,    u"map"_s,  u"Resp."_s,
                               u"PlayerBase"_s, u"Rout"_s,  u"Ground "_s, u""_s};
    for (const QString &key : variants)
        w.tbToolBar_ButtonClick(key);
    QVERIFY(e.platform.messages.isEmpty());
    QCOMPARE(e.platform.unexpectedDialogs, 0);
    QVERIFY(e.platform.openRequests.empty() && e.platform.saveRequests.empty());
    QCOMPARE(int(inside(w).CurrentTerrain), 0);
    QCOMPARE(int(inside(w).CurrentLayer), 2);
}

void TestMainWindow::viewToggles_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("toolbar") << "mnuViewToolbar";
    QTest::newRow("status bar") << "mnuViewStatusBar";
}

void TestMainWindow::viewToggles()
{
    QFETCH(QString, item);
    Editor e;
    frmMain &w = *e.window;
    w.show();
    const bool toolbar = item == QLatin1String("mnuViewToolbar");
    QWidget *bar = toolbar ? static_cast<QWidget *>(inside(w).tbToolBar) : inside(w).sbStatusBar;
    QAction *mark = toolbar ? inside(w).mnuViewToolbar : inside(w).mnuViewStatusBar;
    const int clientHeight = w.centralWidget()->height();
    for (bool shown : {false, true}) {
        mark->trigger(); // as the user chooses the menu item
        QCOMPARE(mark->isChecked(), shown);
        QCOMPARE(bar->isVisible(), shown);
        QCOMPARE(inside(w).picMap->pos(), QPoint(128, 32));
        // The tool panel takes the band the hidden bar leaves.
        const int top = inside(w).tbToolBar->isVisible() ? 28 : 0;
        const int bottom = inside(w).sbStatusBar->isVisible() ? clientHeight - 18 : clientHeight;
        QCOMPARE(inside(w).picTool->geometry(), QRect(0, top, 129, bottom - top));
    }
}

void TestMainWindow::hiddenStatusBarStillTakesTheReadout()
{
    Editor e;
    frmMain &w = *e.window;
    w.show();
    w.mnuViewStatusBar_Click();
    QVERIFY(!inside(w).sbStatusBar->isVisible());
    e.move(QPointF(5, 5), Qt::NoButton);
    w.mnuViewStatusBar_Click();
    QVERIFY(inside(w).sbStatusBar->isVisible());
    QCOMPARE(inside(w).sbStatusBar->panel(1)->text(), QStringLiteral("Content = Ground; S = 1; S2 = 0"));
}

void TestMainWindow::exitClosesWithoutAsking()
{
    Editor e;
    frmMain &w = *e.window;
    w.show();
    putCell(w, 0, 0, MapCell{2, 2, 2, 2});
    inside(w).mnuFileExit->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(e.platform.messages.isEmpty());
    QCOMPARE(e.platform.unexpectedDialogs, 0);
}

void TestMainWindow::everyActionRunsItsOwnHandler_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("openDialogs");
    QTest::addColumn<int>("saveDialogs");
    QTest::addColumn<QString>("written");  // the file that now holds the edited map; empty: none
    QTest::addColumn<QString>("fileName"); // the map's file afterwards; empty: none
    QTest::addColumn<QString>("modal");    // the class of the modal window it showed
    QTest::addColumn<bool>("shown");       // the editor window afterwards
    // Before each: the map saved as current.kmp, then edited; other.kmp is
    // another map. The toolbar's New, Open and Save are these actions.
    QTest::newRow("New") << "mnuFileNew" << 0 << 0 << ""
                         << ""
                         << "" << true;
    QTest::newRow("Open") << "mnuFileOpen" << 1 << 0 << ""
                          << "other.kmp"
                          << "" << true;
    QTest::newRow("Save writes to the map's name, asking nothing") << "mnuFileSave" << 0 << 0 << "current.kmp"
                                                                   << "current.kmp"
                                                                   << "" << true;
    QTest::newRow("Save As asks") << "mnuFileSaveAs" << 0 << 1 << "chosen.kmp"
                                  << "chosen.kmp"
                                  << "" << true;
    QTest::newRow("Exit") << "mnuFileExit" << 0 << 0 << ""
                          << "current.kmp"
                          << "" << false;
    QTest::newRow("About") << "mnuHelpAbout" << 0 << 0 << ""
                           << "current.kmp"
                           << "kestrun::frmSplash" << true;
}

void TestMainWindow::everyActionRunsItsOwnHandler()
{
    QFETCH(QString, action);
    QFETCH(int, openDialogs);
    QFETCH(int, saveDialogs);
    QFETCH(QString, written);
    QFETCH(QString, fileName);
    QFETCH(QString, modal);
    QFETCH(bool, shown);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    Editor e;
    frmMain &w = *e.window;
    w.show();
    QVERIFY(writeMapFile(folder.filePath(u"other.kmp"_s), MapGrid()).ok());
    e.platform.saveAnswers.push_back(folder.filePath(u"current.kmp"_s));
    w.mnuFileSaveAs_Click();
    putCell(w, 3, 3, MapCell{8, 1, 2, 3});
    const QByteArray edited = encodeMap(w.MapCells());
    e.platform.saveRequests.clear();
    e.platform.openAnswers.push_back(folder.filePath(u"other.kmp"_s));
    e.platform.saveAnswers.push_back(folder.filePath(u"chosen.kmp"_s));
    QString shownModal;
    QTimer::singleShot(0, &w, [&shownModal] {
        if (QWidget *window = QApplication::activeModalWidget()) {
            shownModal = QString::fromLatin1(window->metaObject()->className());
            window->close();
        }
    });

    auto *triggered = w.findChild<QAction *>(action);
    QVERIFY(triggered);
    triggered->trigger(); // as the menu item or toolbar button does

    QCOMPARE(int(e.platform.openRequests.size()), openDialogs);
    QCOMPARE(int(e.platform.saveRequests.size()), saveDialogs);
    for (const QString &name : {u"current.kmp"_s, u"chosen.kmp"_s})
        QCOMPARE(readFile(folder.filePath(name)) == edited, name == written);
    QCOMPARE(w.MapFileName(), fileName.isEmpty() ? QString() : folder.filePath(fileName));
    QCOMPARE(shownModal, modal);
    QCOMPARE(w.isVisible(), shown);
    QCOMPARE(e.platform.unexpectedDialogs, 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
