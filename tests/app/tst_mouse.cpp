// Mouse editing on the canvas, driven by synthetic events on the real widget.
#include "StatusBar.h"
#include "support/EditorFixture.h"
#include "MapCanvas.h"

#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;

namespace {
const QColor Blue(0, 0, 255);
const QColor Green(0, 255, 0);

// An editor on a known map: every cell Ground with sprite 1 on layer 1,
// sprites 1..20 loaded, terrain brush Brick (4), sprite brush 9.
struct PaintingEditor : Editor {
    PaintingEditor(int layer)
    {
        frmMain &w = *window;
        giveSprites(inside(w).Sprites, 1, 20);
        w.mnuFileNew_Click();
        inside(w).setEditingState({Layer::Terrain, 9, 4});
        w.cmdLayer_Click(layer);
    }
    QString readout() const { return inside(*window).sbStatusBar->panel(1)->text(); }
    QColor frameColor() const { return inside(*window).picMap->cursorFrame().borderColor; }
    QRect frame() const { return inside(*window).picMap->cursorFrame().rect(); }
};

} // namespace

class TestMouse : public QObject {
    Q_OBJECT
private slots:
    void pressRules_data();
    void pressRules();
    void dragEdges_data();
    void dragEdges();
    void framePlaces_data();
    void framePlaces();
    void bothButtonsShowReadoutAndPaintNothing();
    void readoutKeptWhileDraggingAndOutside();
    void paintingWithBrushZeroKeepsThePicture();
    void terrainBeforeAnyTerrainKey();
    void rightDragPutsSprite1Back();
    void dragOnLayer2CoversLayer3UntilRedraw();
    void onlyThePressedCellIsDrawn();
    void cursorFrameOnScreen();
};

void TestMouse::pressRules_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("start"); // Terrain, Sprite1, Sprite2, Sprite3 before the press
    QTest::addColumn<QByteArray>("cell");  // and after it
    QTest::addColumn<int>("shownSprite");  // 0: the terrain colour of Brick, -1: unchanged
    const auto bytes = [](int t, int s1, int s2, int s3) {
        const char raw[] = {char(t), char(s1), char(s2), char(s3)};
        return QByteArray(raw, 4);
    };
    // Most presses start from the new map's cell: Ground, sprite 1 on layer 1.
    const QByteArray fresh = bytes(1, 1, 0, 0);
    QTest::newRow("left, layer 0: terrain brush") << 0 << int(Qt::LeftButton) << fresh << bytes(4, 1, 0, 0) << 0;
    QTest::newRow("left, layer 1: sprite brush") << 1 << int(Qt::LeftButton) << fresh << bytes(1, 9, 0, 0) << 9;
    QTest::newRow("left, layer 2") << 2 << int(Qt::LeftButton) << fresh << bytes(1, 1, 9, 0) << 9;
    QTest::newRow("left, layer 3") << 3 << int(Qt::LeftButton) << fresh << bytes(1, 1, 0, 9) << 9;
    QTest::newRow("right, layer 1: sprite 1 back")
        << 1 << int(Qt::RightButton) << bytes(1, 9, 0, 0) << bytes(1, 1, 0, 0) << 1;
    QTest::newRow("right, layer 0: nothing") << 0 << int(Qt::RightButton) << fresh << fresh << -1;
    QTest::newRow("right, layer 2: nothing") << 2 << int(Qt::RightButton) << fresh << fresh << -1;
    QTest::newRow("right, layer 3: nothing") << 3 << int(Qt::RightButton) << fresh << fresh << -1;
    QTest::newRow("middle, layer 0: nothing") << 0 << int(Qt::MiddleButton) << fresh << fresh << -1;
    QTest::newRow("middle, layer 1: nothing") << 1 << int(Qt::MiddleButton) << fresh << fresh << -1;
    // Cells where any wrong write (a 1, a 0 or a brush in some layer) shows.
    const QByteArray painted = bytes(16, 7, 7, 7);
    QTest::newRow("right, layer 2, painted cell: nothing") << 2 << int(Qt::RightButton) << painted << painted << -1;
    QTest::newRow("right, layer 0, painted cell: nothing") << 0 << int(Qt::RightButton) << painted << painted << -1;
    QTest::newRow("middle, layer 3, painted cell: nothing") << 3 << int(Qt::MiddleButton) << painted << painted << -1;
}

void TestMouse::pressRules()
{
    QFETCH(int, layer);
    QFETCH(int, button);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, cell);
    QFETCH(int, shownSprite);
    PaintingEditor e(layer);
    frmMain &w = *e.window;
    putCell(w, 5, 6,
            MapCell{std::uint8_t(start[0]), std::uint8_t(start[1]), std::uint8_t(start[2]), std::uint8_t(start[3])});
    const MapGrid before = w.MapCells();
    const QImage canvasBefore = inside(w).picMap->image().copy();

    e.press(QPointF(5 * 40 + 13, 6 * 40 + 27), Qt::MouseButton(button));
    QCOMPARE(e.frameColor(), Green);
    const MapCell after = w.MapCells().cell(5, 6);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&after), 4), cell);
    MapGrid others = w.MapCells();
    others.setCell(5, 6, before.cell(5, 6));
    QVERIFY(others == before);
    if (shownSprite < 0)
        QCOMPARE(inside(w).picMap->image(), canvasBefore);
    else
        QCOMPARE(e.pixel(5 * 40 + 20, 6 * 40 + 20), shownSprite == 0 ? qRgb(255, 255, 0) : spriteColor(shownSprite));

    e.release(QPointF(5 * 40 + 13, 6 * 40 + 27), Qt::MouseButton(button));
    QCOMPARE(e.frameColor(), Blue);
}

void TestMouse::dragEdges_data()
{
    QTest::addColumn<QPointF>("position");
    QTest::addColumn<QPoint>("paintedCell"); // (-1, -1): nothing painted
    QTest::newRow("x 39") << QPointF(39, 60) << QPoint(0, 1);
    QTest::newRow("x 40") << QPointF(40, 60) << QPoint(1, 1);
    QTest::newRow("x 639") << QPointF(639, 60) << QPoint(15, 1);
    QTest::newRow("x 640") << QPointF(640, 60) << QPoint(-1, -1);
    QTest::newRow("y 439") << QPointF(60, 439) << QPoint(1, 10);
    QTest::newRow("y 440") << QPointF(60, 440) << QPoint(-1, -1);
    QTest::newRow("x -1 still column 0") << QPointF(-1, 60) << QPoint(0, 1);
    QTest::newRow("x -39 still column 0") << QPointF(-39, 60) << QPoint(0, 1);
    QTest::newRow("x -40") << QPointF(-40, 60) << QPoint(-1, -1);
    QTest::newRow("y -39 still row 0") << QPointF(60, -39) << QPoint(1, 0);
    QTest::newRow("x 39.5 rounds to 40") << QPointF(39.5, 60) << QPoint(1, 1);
}

void TestMouse::dragEdges()
{
    QFETCH(QPointF, position);
    QFETCH(QPoint, paintedCell);
    PaintingEditor e(2);
    frmMain &w = *e.window;
    e.press(QPointF(300, 300), Qt::LeftButton); // cell (7, 7)
    inside(w).document().paint({7, 7, Layer::Sprite2, 0});
    const MapGrid before = w.MapCells();
    e.move(position, Qt::LeftButton);
    MapGrid expected = before;
    if (paintedCell.x() >= 0)
        expected.setLayerByte(paintedCell.x(), paintedCell.y(), Layer::Sprite2, 9);
    QVERIFY(w.MapCells() == expected);
    QCOMPARE(e.frameColor(), Green);
    e.release(position, Qt::LeftButton);
    QCOMPARE(e.frameColor(), Blue);
}

void TestMouse::framePlaces_data()
{
    QTest::addColumn<QPointF>("position");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("(0, 0)") << QPointF(0, 0) << QPoint(-1, -1);
    QTest::newRow("(641, 100)") << QPointF(641, 100) << QPoint(639, 79);
    QTest::newRow("(79, 439)") << QPointF(79, 439) << QPoint(39, 399);
    QTest::newRow("(-45, -100), off the canvas") << QPointF(-45, -100) << QPoint(-41, -81);
}

void TestMouse::framePlaces()
{
    QFETCH(QPointF, position);
    QFETCH(QPoint, topLeft);
    for (Qt::MouseButtons held : {Qt::MouseButtons(Qt::NoButton), Qt::MouseButtons(Qt::LeftButton)}) {
        PaintingEditor e(1);
        e.move(position, held);
        QCOMPARE(e.frame(), QRect(topLeft, QSize(40, 40)));
    }
}

void TestMouse::bothButtonsShowReadoutAndPaintNothing()
{
    PaintingEditor e(1);
    frmMain &w = *e.window;
    putCell(w, 3, 2, MapCell{16, 4, 5, 6});
    const MapGrid before = w.MapCells();
    e.press(QPointF(130, 90), Qt::LeftButton); // paints (3, 2) with the sprite brush...
    putCell(w, 3, 2, before.cell(3, 2));       // ...which this test undoes
    e.move(QPointF(130, 90), Qt::LeftButton | Qt::RightButton);
    QVERIFY(w.MapCells() == before);
    QCOMPARE(e.readout(), QStringLiteral("Content = Water; S = 4; S2 = 5"));
    e.move(QPointF(10, 10), Qt::MiddleButton);
    QVERIFY(w.MapCells() == before);
    QCOMPARE(e.readout(), QStringLiteral("Content = Ground; S = 1; S2 = 0"));
}

void TestMouse::readoutKeptWhileDraggingAndOutside()
{
    PaintingEditor e(1);
    frmMain &w = *e.window;
    putCell(w, 0, 0, MapCell{2, 0, 0, 9});
    e.move(QPointF(5, 5), Qt::NoButton);
    const QString shown = QStringLiteral("Content = Beton; S = 0; S2 = 0"); // never Sprite3
    QCOMPARE(e.readout(), shown);
    e.move(QPointF(700, 5), Qt::NoButton); // outside the grid
    QCOMPARE(e.readout(), shown);
    e.move(QPointF(5, -60), Qt::NoButton);
    QCOMPARE(e.readout(), shown);
    e.press(QPointF(100, 100), Qt::LeftButton);
    e.move(QPointF(140, 100), Qt::LeftButton); // dragging
    QCOMPARE(e.readout(), shown);
    e.release(QPointF(140, 100), Qt::LeftButton);
    e.move(QPointF(140, 100), Qt::NoButton);
    QCOMPARE(e.readout(), QStringLiteral("Content = Ground; S = 9; S2 = 0"));
}

void TestMouse::paintingWithBrushZeroKeepsThePicture()
{
    PaintingEditor e(1);
    frmMain &w = *e.window;
    inside(w).setEditingState({inside(w).CurrentLayer, 0, inside(w).CurrentTerrain});
    e.press(QPointF(20, 20), Qt::LeftButton);
    QCOMPARE(int(w.MapCells().cell(0, 0).Sprite1), 0);
    QCOMPARE(e.pixel(20, 20), spriteColor(1)); // the canvas still shows the old picture
    inside(w).RedrawMap(1);
    QCOMPARE(e.pixel(20, 20), qRgb(0, 255, 0)); // until the next full redraw
}

void TestMouse::terrainBeforeAnyTerrainKey()
{
    Editor e; // terrain brush never chosen
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 1);
    w.mnuFileNew_Click();
    w.cmdLayer_Click(0);
    QCOMPARE(int(inside(w).CurrentTerrain), 0);
    e.press(QPointF(100, 100), Qt::LeftButton);
    e.release(QPointF(100, 100), Qt::LeftButton);
    QCOMPARE(int(w.MapCells().cell(2, 2).Terrain), 0);
    QCOMPARE(e.pixel(100, 100), qRgb(0, 0, 0));
    e.move(QPointF(100, 100), Qt::NoButton);
    QCOMPARE(inside(w).sbStatusBar->panel(1)->text(), QStringLiteral("Content = ; S = 1; S2 = 0"));
}

void TestMouse::rightDragPutsSprite1Back()
{
    PaintingEditor e(1);
    frmMain &w = *e.window;
    for (int x = 0; x < 16; ++x)
        inside(w).document().paint({x, 4, Layer::Sprite1, 7});
    inside(w).RedrawMap(1);
    e.press(QPointF(20, 180), Qt::RightButton);
    for (int x = 60; x < 640; x += 80) // every other cell: no interpolation
        e.move(QPointF(x, 180), Qt::RightButton);
    e.release(QPointF(620, 180), Qt::RightButton);
    for (int x = 0; x < 16; ++x) {
        const int expected = (x == 0 || x % 2 == 1) ? 1 : 7;
        QCOMPARE(int(w.MapCells().cell(x, 4).Sprite1), expected);
        QCOMPARE(e.pixel(x * 40 + 20, 180), spriteColor(expected));
    }
}

void TestMouse::dragOnLayer2CoversLayer3UntilRedraw()
{
    PaintingEditor e(3);
    frmMain &w = *e.window;
    inside(w).document().paint({4, 4, Layer::Sprite3, 12});
    inside(w).RedrawMap(3);
    QCOMPARE(e.pixel(180, 180), spriteColor(12));
    w.cmdLayer_Click(2);
    e.press(QPointF(100, 180), Qt::LeftButton);
    e.move(QPointF(180, 180), Qt::LeftButton);
    e.release(QPointF(180, 180), Qt::LeftButton);
    QCOMPARE(int(w.MapCells().cell(4, 4).Sprite2), 9);
    QCOMPARE(int(w.MapCells().cell(4, 4).Sprite3), 12);
    QCOMPARE(e.pixel(180, 180), spriteColor(9));
    inside(w).RedrawMap(3);
    QCOMPARE(e.pixel(180, 180), spriteColor(12));
}

void TestMouse::onlyThePressedCellIsDrawn()
{
    PaintingEditor e(0);
    frmMain &w = *e.window;
    inside(w).document().paint({3, 3, Layer::Sprite2, 5}); // not shown on layer 0
    const QImage before = inside(w).picMap->image().copy();
    e.press(QPointF(140, 140), Qt::LeftButton); // terrain Brick into (3, 3)
    const QImage after = inside(w).picMap->image();
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const bool inBox = QRect(120, 120, 42, 42).contains(x, y);
            QCOMPARE(after.pixel(x, y), inBox ? qRgb(255, 255, 0) : before.pixel(x, y));
        }
    }
}

void TestMouse::cursorFrameOnScreen()
{
    PaintingEditor e(1);
    frmMain &w = *e.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRgb cell = spriteColor(1); // a new map shows sprite 1 everywhere
    const QRgb blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
    // The frame's one-pixel border runs round the cell: for cell (3, 3) on
    // columns and rows 119 and 158, and nowhere else.
    const auto border = [](int cx) { return QList<int>{cx * 40 - 1, cx * 40 + 38}; };
    const auto expectFrame = [&](int cx, QRgb color) {
        const QImage shown = e.onScreen(inside(w).picMap);
        const int middle = cx * 40 + 20;
        for (int edge : border(cx)) {
            QCOMPARE(shown.pixel(edge, middle), color);
            QCOMPARE(shown.pixel(middle, edge), color);
        }
        for (int beside : {cx * 40 - 2, cx * 40, cx * 40 + 37, cx * 40 + 39}) {
            QCOMPARE(shown.pixel(beside, middle), cell);
            QCOMPARE(shown.pixel(middle, beside), cell);
        }
    };

    e.move(QPointF(130, 130), Qt::NoButton);
    expectFrame(3, blue);
    e.press(QPointF(130, 130), Qt::MiddleButton); // paints nothing
    expectFrame(3, green);
    e.move(QPointF(250, 250), Qt::MiddleButton); // to cell (6, 6)
    expectFrame(6, green);
    // The old frame leaves nothing behind.
    const QImage shown = e.onScreen(inside(w).picMap);
    for (int edge : border(3)) {
        QCOMPARE(shown.pixel(edge, 130), cell);
        QCOMPARE(shown.pixel(130, edge), cell);
    }
    e.release(QPointF(250, 250), Qt::MiddleButton);
    expectFrame(6, blue);
}

QTEST_MAIN(TestMouse)
#include "tst_mouse.moc"
