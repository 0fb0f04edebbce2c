#include "KeyedToolBar.h"
#include "Module1.h"
#include "frmMain.h"
#include "frmSplash.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowAccess.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace kestrun;
using kestrun::testing::ScriptedPlatform;

Q_DECLARE_METATYPE(Qt::Key)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

const QString ExpectedVersion = QStringLiteral("Version 0.65.11");

QList<frmSplash *> splashWindows()
{
    QList<frmSplash *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *splash = qobject_cast<frmSplash *>(widget))
            found << splash;
    }
    return found;
}

QLabel *labelNamed(frmSplash &splash, const QString &name)
{
    return splash.fraMainFrame->findChild<QLabel *>(name, Qt::FindDirectChildrenOnly);
}

// The family a font request resolved to, without the foundry fontconfig adds.
QString resolvedFamily(const QFont &font)
{
    QString family = QFontInfo(font).family();
    const qsizetype foundry = family.indexOf(QStringLiteral(" ["));
    return foundry < 0 ? family : family.left(foundry);
}

// The width a text needs at `pointSize` in `font`'s face, from its aligned
// end: its advance and any ink reaching past the far end.
int textWidthAt(QFont font, qreal pointSize, const QString &text, bool rightAligned)
{
    font.setPointSizeF(pointSize);
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(text);
    const QRect ink = metrics.tightBoundingRect(text);
    return rightAligned ? advance - std::min(0, ink.left()) : std::max(advance, ink.right() + 1);
}

// Counts paint events of a window and its children.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Runs `check` on the modal window once the About box is up, then closes
// whatever is modal by a key so that exec() cannot hang the test.
void whenModal(const std::function<void(QWidget *)> &check, Qt::Key closeKey)
{
    QTimer::singleShot(0, [check, closeKey] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        check(modal);
        if (modal && modal->isVisible())
            QTest::keyClick(modal->windowHandle(), closeKey);
        if (modal && modal->isVisible())
            modal->close(); // the key failed to close it; the test has already failed
    });
}

// The editor window that Main is creating and loading.
frmMain *mainWindowBeingLoaded()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<frmMain *>(widget))
            return window;
    }
    return nullptr;
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void clientAreaAndFrame();
    void windowDecoration_data();
    void windowDecoration();
    void centredOnScreen_data();
    void centredOnScreen();
    void labels_data();
    void labels();
    void textsAreNotClipped_data();
    void textsAreNotClipped();
    void versionOnEveryLoad();
    void versionGrowsToTheLeft();
    void noControlTakesFocus();
    void waitUntilPaintedReturnsPainted();
    void anyKeyCloses_data();
    void anyKeyCloses();
    void clickDoesNotClose_data();
    void clickDoesNotClose();
    void startUpOrder();
    void aboutIsModalOverTheMainWindow();
};

void TestSplash::cleanup()
{
    // No test may leave a window behind for the next one.
    for (frmSplash *splash : splashWindows())
        delete splash;
}

void TestSplash::clientAreaAndFrame()
{
    frmSplash splash;
    QCOMPARE(splash.size(), QSize(497, 205));
    QCOMPARE(splash.minimumSize(), QSize(497, 205));
    QCOMPARE(splash.maximumSize(), QSize(497, 205));
    QCOMPARE(splash.fraMainFrame->parentWidget(), &splash);
    QCOMPARE(splash.fraMainFrame->geometry(), QRect(3, -1, 492, 202));
    QVERIFY(splash.fraMainFrame->frameShape() != QFrame::NoFrame);
}

void TestSplash::windowDecoration_data()
{
    QTest::addColumn<bool>("atStartUp");
    QTest::addColumn<Qt::WindowType>("type");
    // Window managers neither decorate a splash window nor list it in task
    // bars; the About box is a dialog over the editor.
    QTest::newRow("start-up splash") << true << Qt::SplashScreen;
    QTest::newRow("about") << false << Qt::Dialog;
}

void TestSplash::windowDecoration()
{
    QFETCH(bool, atStartUp);
    QFETCH(Qt::WindowType, type);
    frmSplash splash;
    if (atStartUp)
        splash.showAtStartUp();
    QVERIFY(splash.windowTitle().isEmpty());
    QVERIFY(splash.windowIcon().isNull());
    const Qt::WindowFlags flags = splash.windowFlags();
    QCOMPARE(splash.windowType(), type);
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(!(flags & Qt::WindowTitleHint));
    QVERIFY(!(flags & Qt::FramelessWindowHint)); // it keeps its border
}

void TestSplash::centredOnScreen_data()
{
    QTest::addColumn<bool>("owned");
    QTest::newRow("splash") << false;
    QTest::newRow("about, owned") << true;
}

void TestSplash::centredOnScreen()
{
    QFETCH(bool, owned);
    QWidget owner;
    owner.setGeometry(10, 10, 200, 100); // far from the centre
    frmSplash splash(owned ? &owner : nullptr);
    if (owned)
        splash.show(); // as exec() shows the About box
    else
        splash.showAtStartUp();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint centre = splash.geometry().center();
    QVERIFY2(qAbs(centre.x() - screenCentre.x()) <= 2 && qAbs(centre.y() - screenCentre.y()) <= 2,
             qPrintable(QStringLiteral("centre %1,%2, screen %3,%4")
                            .arg(centre.x())
                            .arg(centre.y())
                            .arg(screenCentre.x())
                            .arg(screenCentre.y())));
}

void TestSplash::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design"); // pixels, twips / 15
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("color"); // invalid: the default text colour
    QTest::addColumn<bool>("rightAligned");

    QTest::newRow("product") << "lblProductName" << QRect(8, 56, 470, 61) << "Kestrun Level Editor"
                             << "Times New Roman" << 39.75 << true << QColor(0, 0, 192) << false;
    QTest::newRow("company") << "lblCompanyProduct" << QRect(24, 16, 271, 37) << "Ostrel SoftWare"
                             << "MS Sans Serif" << 24.0 << true << QColor(255, 0, 0) << false;
    QTest::newRow("platform") << "lblPlatform" << QRect(304, 120, 119, 25) << "Windows 98"
                              << "MS Sans Serif" << 15.0 << true << QColor() << true;
    QTest::newRow("version") << "lblVersion" << QRect(368, 168, 62, 20) << ExpectedVersion << "MS Sans Serif" << 12.0
                             << true << QColor() << true;
    QTest::newRow("notice") << "lblCopyright" << QRect(24, 168, 209, 25) << QString() << "MS Sans Serif" << 12.0
                            << false << QColor(128, 0, 128) << false;
}

void TestSplash::labels()
{
    QFETCH(QString, name);
    QFETCH(QRect, design);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);
    QFETCH(QColor, color);
    QFETCH(bool, rightAligned);

    frmSplash splash;
    QLabel *label = labelNamed(splash, name);
    QVERIFY2(label, qPrintable(name + QStringLiteral(" is not a child of the frame")));

    if (text.isEmpty())
        QVERIFY(!label->text().trimmed().isEmpty()); // the notice line is ours to word
    else
        QCOMPARE(label->text(), text);

    // A text wider than the design width grows the label away from its
    // aligned side, up to the frame's inner edge: top, height and the
    // aligned edge stay where the design has them.
    const QRect place = label->geometry();
    const QRect inside = splash.fraMainFrame->contentsRect();
    QCOMPARE(place.top(), design.top());
    QCOMPARE(place.height(), design.height());
    const QMargins margins = label->contentsMargins();
    QVERIFY(place.width() - margins.left() - margins.right() >= design.width());
    QVERIFY(place.left() >= inside.left() && place.right() <= inside.right());
    // The text's aligned end, inside the margin kept for ink beyond it.
    if (rightAligned)
        QCOMPARE(place.right() - margins.right(), design.right());
    else
        QCOMPARE(place.left() + margins.left(), design.left());

    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, rightAligned ? Qt::AlignRight : Qt::AlignLeft);
    // The design's family, or where it is missing its first installed
    // look-alike; and it is that family that is used.
    const QStringList lookAlikes = QFont::substitutes(family);
    QVERIFY2(!lookAlikes.isEmpty(), "no look-alikes are registered for the family");
    const QStringList installed = QFontDatabase::families();
    const auto isInstalled = [&](const QString &candidate) {
        return std::any_of(installed.begin(), installed.end(), [&](const QString &f) {
            return f.compare(candidate, Qt::CaseInsensitive) == 0
                || f.startsWith(candidate + QStringLiteral(" ["), Qt::CaseInsensitive);
        });
    };
    QString expectedFamily = family;
    for (const QString &choice : QStringList{family} + lookAlikes) {
        if (isInstalled(choice)) {
            expectedFamily = choice;
            break;
        }
    }
    QCOMPARE(label->font().family().toLower(), expectedFamily.toLower());
    if (isInstalled(expectedFamily))
        QCOMPARE(resolvedFamily(label->font()).toLower(), expectedFamily.toLower());
    // The design's size where its text fits the room the label may grow
    // into; otherwise the largest size in half-point steps below it that fits.
    const int room = rightAligned ? design.right() + 1 - inside.left() : inside.right() + 1 - design.left();
    const qreal fitted = label->font().pointSizeF();
    if (textWidthAt(label->font(), pointSize, label->text(), rightAligned) <= room) {
        QCOMPARE(fitted, pointSize);
    } else {
        QVERIFY2(fitted < pointSize, qPrintable(QString::number(fitted)));
        QCOMPARE(std::fmod(pointSize - fitted, 0.5), 0.0);
        QVERIFY(textWidthAt(label->font(), fitted, label->text(), rightAligned) <= room);
        QVERIFY(textWidthAt(label->font(), fitted + 0.5, label->text(), rightAligned) > room);
    }
    // Liberation is metric-compatible with the design's families, and what
    // the project installs: with it every size stays as designed.
    if (resolvedFamily(label->font()).startsWith(QStringLiteral("Liberation ")))
        QCOMPARE(fitted, pointSize);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->font().weight(), bold ? QFont::Bold : QFont::Normal);

    const QColor shown = label->palette().color(QPalette::WindowText);
    if (color.isValid())
        QCOMPARE(shown, color);
    else
        QCOMPARE(shown, QLabel().palette().color(QPalette::WindowText));
}

void TestSplash::textsAreNotClipped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("product") << "lblProductName";
    QTest::newRow("company") << "lblCompanyProduct";
    QTest::newRow("platform") << "lblPlatform";
    QTest::newRow("version") << "lblVersion";
    QTest::newRow("notice") << "lblCopyright";
}

void TestSplash::textsAreNotClipped()
{
    QFETCH(QString, name);
    frmSplash splash;
    QLabel *label = labelNamed(splash, name);
    // The text is drawn from the top of the label's contents, from their
    // left or up to their right; its ink is its tight bounding box there.
    const QFontMetrics metrics(label->font());
    const QRect contents = label->contentsRect();
    const QRect ink = metrics.tightBoundingRect(label->text()).translated(0, metrics.ascent());
    const int textLeft = (label->alignment() & Qt::AlignRight)
        ? contents.right() + 1 - metrics.horizontalAdvance(label->text())
        : contents.left();
    const int inkLeft = textLeft + ink.left();
    const QString where = QStringLiteral("ink %1..%2 x %3..%4 in a label %5 x %6")
                              .arg(inkLeft)
                              .arg(inkLeft + ink.width() - 1)
                              .arg(ink.top())
                              .arg(ink.bottom())
                              .arg(label->width())
                              .arg(label->height());
    QVERIFY2(inkLeft >= 0 && inkLeft + ink.width() <= label->width(), qPrintable(where));
    QVERIFY2(ink.top() >= 0 && ink.bottom() < label->height(), qPrintable(where));
    // And the label itself is whole inside the frame, clear of its border.
    QVERIFY(splash.fraMainFrame->contentsRect().contains(label->geometry()));
}

void TestSplash::versionOnEveryLoad()
{
    // Two loads in a row, the second after the first was closed and discarded.
    for (int load = 0; load < 2; ++load) {
        auto splash = std::make_unique<frmSplash>();
        QCOMPARE(splash->lblVersion->text(), ExpectedVersion);
        splash->showAtStartUp();
        splash->waitUntilPainted();
        QTest::keyClick(splash->windowHandle(), Qt::Key_Space);
        QVERIFY(!splash->isVisible());
    }
}

void TestSplash::versionGrowsToTheLeft()
{
    frmSplash splash;
    const QRect place = splash.lblVersion->geometry();
    // The text is wider than the 62-pixel design width: the label grows
    // leftwards far enough to show it all, keeping its right edge at 430.
    QVERIFY(QFontMetrics(splash.lblVersion->font()).horizontalAdvance(ExpectedVersion) > 62);
    QCOMPARE(place.right() + 1, 430);
    QVERIFY(place.width() >= QFontMetrics(splash.lblVersion->font()).horizontalAdvance(ExpectedVersion));
    // It does not run into the notice line on its left.
    QVERIFY(!place.intersects(splash.lblCopyright->geometry()));
}

void TestSplash::noControlTakesFocus()
{
    frmSplash splash;
    splash.showAtStartUp();
    splash.waitUntilPainted();
    splash.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    const QList<QWidget *> children = splash.findChildren<QWidget *>();
    QCOMPARE(children.size(), 6); // the frame and its five labels
    for (QWidget *child : children) {
        QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
        QVERIFY(!child->hasFocus());
    }
    QVERIFY(!splash.focusWidget() || splash.focusWidget() == &splash);
}

void TestSplash::waitUntilPaintedReturnsPainted()
{
    frmSplash splash;
    PaintCounter counter;
    splash.installEventFilter(&counter);
    splash.lblProductName->installEventFilter(&counter);
    splash.showAtStartUp();
    splash.waitUntilPainted();
    // No event processing in between: the window is already up and drawn.
    QVERIFY(splash.isVisible());
    QVERIFY(splash.windowHandle() && splash.windowHandle()->isExposed());
    QVERIFY2(counter.paints >= 2, qPrintable(QString::number(counter.paints)));

    // Shown again while already on screen, it is drawn again at once.
    counter.paints = 0;
    splash.showAtStartUp();
    splash.waitUntilPainted();
    QVERIFY2(counter.paints >= 2, qPrintable(QString::number(counter.paints)));
}

void TestSplash::anyKeyCloses_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("Escape") << Qt::Key_Escape << none;
    QTest::newRow("Enter") << Qt::Key_Return << none;
    QTest::newRow("keypad Enter") << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("letter") << Qt::Key_A << none;
    QTest::newRow("space") << Qt::Key_Space << none;
    QTest::newRow("Tab") << Qt::Key_Tab << none;
    QTest::newRow("F1") << Qt::Key_F1 << none;
    QTest::newRow("Shift alone") << Qt::Key_Shift << none;
    QTest::newRow("Ctrl alone") << Qt::Key_Control << none;
    QTest::newRow("Alt alone") << Qt::Key_Alt << none;
    QTest::newRow("Ctrl+N") << Qt::Key_N << Qt::KeyboardModifiers(Qt::ControlModifier);
}

void TestSplash::anyKeyCloses()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    // Modeless, as at start-up: the key arrives through the window system.
    {
        frmSplash splash;
        splash.showAtStartUp();
        splash.waitUntilPainted();
        splash.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&splash));
        QTest::keyPress(splash.windowHandle(), key, modifiers);
        QVERIFY(!splash.isVisible());
    }
    // Modal, as the About box: exec() returns on the key.
    {
        frmSplash about;
        bool wasModal = false;
        bool closedByKey = false;
        QTimer::singleShot(0, [&] {
            wasModal = QApplication::activeModalWidget() == &about;
            QTest::keyPress(about.windowHandle(), key, modifiers);
            closedByKey = !about.isVisible();
            if (!closedByKey)
                about.reject(); // not by the key: fail without hanging
        });
        about.exec();
        QVERIFY(wasModal);
        QVERIFY(closedByKey);
    }
}

void TestSplash::clickDoesNotClose_data()
{
    QTest::addColumn<QString>("target"); // empty: the window itself
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("window, left") << QString() << Qt::LeftButton;
    QTest::newRow("window, right") << QString() << Qt::RightButton;
    QTest::newRow("frame") << "fraMainFrame" << Qt::LeftButton;
    QTest::newRow("product name") << "lblProductName" << Qt::LeftButton;
    QTest::newRow("version") << "lblVersion" << Qt::LeftButton;
    QTest::newRow("notice") << "lblCopyright" << Qt::LeftButton;
}

void TestSplash::clickDoesNotClose()
{
    QFETCH(QString, target);
    QFETCH(Qt::MouseButton, button);
    frmSplash splash;
    splash.showAtStartUp();
    splash.waitUntilPainted();
    QWidget *widget = target.isEmpty() ? static_cast<QWidget *>(&splash) : splash.findChild<QWidget *>(target);
    QVERIFY(widget);
    // Through the window system, at the target's middle, as a user clicks.
    const QPoint at = target.isEmpty() ? QPoint(1, 1) : widget->mapTo(&splash, widget->rect().center());
    QTest::mouseClick(splash.windowHandle(), button, {}, at);
    QTest::mouseDClick(splash.windowHandle(), button, {}, at);
    QCoreApplication::processEvents();
    QVERIFY(splash.isVisible());
    QCOMPARE(splash.lblVersion->text(), ExpectedVersion);
}

void TestSplash::startUpOrder()
{
    ScriptedPlatform platform; // no game folder stored: the input box comes up
    platform.inputAnswers.push_back(QString());

    // Everything Main does, recorded as it happens.
    struct Record {
        bool splashPaintedBeforeLoad = false;
        int inputBoxes = 0;
        bool splashUpDuringInputBox = false;
        bool splashTypedAsSplash = false;
        bool mainWindowHiddenDuringInputBox = false;
        bool splashGoneWhenMainShown = false;
        int mainShows = 0;
    } record;

    class Watcher : public QObject {
    public:
        explicit Watcher(Record &r)
            : record(r)
        {
        }
        Record &record;
        QPointer<frmMain> watched;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            // The load's first step is the game-folder question.
            if (event->type() == QEvent::Paint && record.inputBoxes == 0 && object->inherits("QWidget")
                && qobject_cast<frmSplash *>(static_cast<QWidget *>(object)->window()))
                record.splashPaintedBeforeLoad = true;
            if (event->type() == QEvent::Show && watched && object == watched.data()) {
                ++record.mainShows;
                record.splashGoneWhenMainShown = splashWindows().isEmpty();
            }
            return false;
        }
    } watcher(record);
    qApp->installEventFilter(&watcher);

    platform.onInputBox = [&] {
        ++record.inputBoxes;
        const QList<frmSplash *> splashes = splashWindows();
        record.splashUpDuringInputBox =
            splashes.size() == 1 && splashes.first()->isVisible() && splashes.first()->windowHandle()->isExposed();
        record.splashTypedAsSplash = splashes.size() == 1 && splashes.first()->windowType() == Qt::SplashScreen;
        frmMain *loading = mainWindowBeingLoaded();
        record.mainWindowHiddenDuringInputBox = loading && !loading->isVisible();
        watcher.watched = loading;
    };

    const std::unique_ptr<frmMain> mainWindow = Module1::Main(platform, {});
    qApp->removeEventFilter(&watcher);

    QVERIFY(record.splashPaintedBeforeLoad);
    QCOMPARE(record.inputBoxes, 1);
    QVERIFY(record.splashUpDuringInputBox);
    QVERIFY(record.splashTypedAsSplash);
    QVERIFY(record.mainWindowHiddenDuringInputBox);
    QCOMPARE(record.mainShows, 1);
    QVERIFY(record.splashGoneWhenMainShown);
    QVERIFY(splashWindows().isEmpty());
    QVERIFY(mainWindow);
    QVERIFY(mainWindow->isVisible());
}

void TestSplash::aboutIsModalOverTheMainWindow()
{
    ScriptedPlatform platform;
    platform.inputAnswers.push_back(QString());
    frmMain mainWindow(platform, {});
    mainWindow.Form_Load();
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    QToolButton *button = inside(mainWindow).tbToolBar->button(QStringLiteral("playerbase"));
    QVERIFY(button);
    const QPoint buttonCentre = button->mapTo(&mainWindow, button->rect().center());
    QSignalSpy clicks(button->defaultAction(), &QAction::triggered);

    // Twice in a row, each About a new window that reads the same.
    const Qt::Key closingKeys[] = {Qt::Key_Escape, Qt::Key_Q};
    QPointer<QWidget> previous;
    for (Qt::Key closingKey : closingKeys) {
        bool isAbout = false, ownedByMain = false, modal = false, fresh = false, dialog = false;
        QString version;
        int clicksWhileOpen = -1;
        whenModal(
            [&](QWidget *widget) {
                auto *about = qobject_cast<frmSplash *>(widget);
                isAbout = about != nullptr;
                if (!about)
                    return;
                ownedByMain = about->parentWidget() == &mainWindow;
                modal = about->isModal() && about->isVisible();
                dialog = about->windowType() == Qt::Dialog;
                fresh = previous.isNull(); // the last one is gone
                previous = about;
                version = about->lblVersion->text();
                // A click on the main window does not get through.
                QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, buttonCentre);
                clicksWhileOpen = int(clicks.size());
            },
            closingKey);
        mainWindow.mnuHelpAbout_Click();

        QVERIFY(isAbout);
        QVERIFY(ownedByMain);
        QVERIFY(modal);
        QVERIFY(dialog);
        QVERIFY(fresh);
        QCOMPARE(version, ExpectedVersion);
        QCOMPARE(clicksWhileOpen, 0);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(splashWindows().isEmpty());
    }

    // Once it is closed the main window takes input again: the same click counts.
    QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, buttonCentre);
    QCOMPARE(clicks.size(), 1);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
