// What assistive technology reads from the editor window: the roles and names
// of its controls, and the status bar's panels with their current text.
#include "StatusBar.h"
#include "support/EditorFixture.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

#include <QAccessible>
#include <QTest>
#include <QToolButton>

using namespace kestrun;
using namespace kestrun::testing;

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Whether `target` is in the accessibility tree below `root`: a control that
// is not there cannot be reached by a screen reader, whatever its name.
bool inTree(QAccessibleInterface *root, const QObject *target)
{
    if (root->object() == target)
        return true;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *child = root->child(i); child && inTree(child, target))
            return true;
    }
    return false;
}

// A control by its object name, or a toolbar button by its tool tip.
QWidget *control(frmMain &w, const QString &name)
{
    const QWidget *toolbar = w.findChild<QWidget *>(QStringLiteral("tbToolBar"));
    for (QToolButton *button : toolbar->findChildren<QToolButton *>()) {
        if (button->toolTip() == name)
            return button;
    }
    return w.findChild<QWidget *>(name);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void controls_data();
    void controls();
    void statusBarPanels();
    void readoutAfterAMove_data();
    void readoutAfterAMove();
};

void TestAccessibility::controls_data()
{
    QTest::addColumn<QString>("control"); // object name, or a toolbar button's tool tip
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::newRow("canvas") << "picMap" << int(QAccessible::Canvas) << "Карта уровня";
    QTest::newRow("sprite preview") << "picBuf" << int(QAccessible::Graphic) << "Текущий спрайт";
    QTest::newRow("sprite list") << "lstSP" << int(QAccessible::List) << "Спрайты";
    QTest::newRow("toolbar") << "tbToolBar" << int(QAccessible::ToolBar) << "Панель инструментов";
    QTest::newRow("toolbar text box") << "txtTlst" << int(QAccessible::EditableText) << "Расположение файла doveze.exe";
    // The caption first: a user who says what they see finds the button.
    const char *const layerNames[] = {"C, слой ландшафта", "S1, слой спрайтов 1", "S2, слой спрайтов 2",
                                      "S3, слой спрайтов 3"};
    for (int i = 0; i < 4; ++i) {
        QTest::addRow("layer button %d", i)
            << QStringLiteral("cmdLayer%1").arg(i) << int(QAccessible::Button) << QString::fromUtf8(layerNames[i]);
    }
    // The toolbar's buttons show only their image: their names are their
    // tool tips.
    const char *const toolTips[] = {"Новый",       "Открыть",    "Сохранить", "Удалить",   "Отмена",
                                    "База игрока", "База врага", "Карта",     "Respawn'ы", "Список роутов",
                                    "Земля",       "Бетон",      "Кирпич",    "Вода",      "Лёд"};
    for (const char *toolTip : toolTips) {
        QTest::addRow("toolbar %s", toolTip)
            << QString::fromUtf8(toolTip) << int(QAccessible::Button) << QString::fromUtf8(toolTip);
    }
}

void TestAccessibility::controls()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    Editor e;
    e.window->show();
    QWidget *widget = ::control(*e.window, control);
    QVERIFY(widget);
    QAccessibleInterface *iface = accessible(widget);
    QVERIFY(iface && iface->isValid());
    QVERIFY(inTree(accessible(e.window.get()), widget));
    QVERIFY(!iface->state().invisible);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
}

void TestAccessibility::statusBarPanels()
{
    Editor e;
    e.window->show();
    StatusBar *bar = inside(*e.window).sbStatusBar;
    QAccessibleInterface *iface = accessible(bar);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StatusBar);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Строка состояния"));
    QCOMPARE(iface->childCount(), 3);
    const QString descriptions[] = {QStringLiteral("Состояние"), QStringLiteral("Дата"), QStringLiteral("Время")};
    for (int n = 1; n <= 3; ++n) {
        QAccessibleInterface *panel = iface->child(n - 1);
        QVERIFY(panel);
        QCOMPARE(panel->object(), bar->panel(n));
        QCOMPARE(panel->role(), QAccessible::StaticText);
        QCOMPARE(panel->text(QAccessible::Name), bar->panel(n)->text());
        QVERIFY(!panel->text(QAccessible::Name).isEmpty());
        QCOMPARE(panel->text(QAccessible::Description), descriptions[n - 1]);
    }
}

void TestAccessibility::readoutAfterAMove_data()
{
    QTest::addColumn<QPointF>("position");
    QTest::addColumn<QString>("readout");
    QTest::newRow("first cell") << QPointF(5, 5) << "Content = Brick; S = 0; S2 = 7";
    QTest::newRow("last cell") << QPointF(639, 439) << "Content = Water; S = 3; S2 = 0";
    QTest::newRow("unknown terrain") << QPointF(300, 200) << "Content = ; S = 255; S2 = 255";
}

void TestAccessibility::readoutAfterAMove()
{
    QFETCH(QPointF, position);
    QFETCH(QString, readout);
    Editor e;
    frmMain &w = *e.window;
    const auto put = [&w](int x, int y, MapCell cell) {
        MapDocument &map = inside(w).document();
        map.paint({x, y, Layer::Terrain, cell.Terrain});
        map.paint({x, y, Layer::Sprite1, cell.Sprite1});
        map.paint({x, y, Layer::Sprite2, cell.Sprite2});
        map.paint({x, y, Layer::Sprite3, cell.Sprite3});
    };
    put(0, 0, MapCell{4, 0, 7, 0});
    put(15, 10, MapCell{16, 3, 0, 9});
    put(7, 5, MapCell{3, 255, 255, 255});
    w.show();
    QLabel *panel = inside(w).sbStatusBar->panel(1);
    QAccessibleInterface *iface = accessible(panel);

    e.move(position, Qt::NoButton);
    QCOMPARE(iface->text(QAccessible::Name), readout);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
