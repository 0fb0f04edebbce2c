// Drawing the map on the editor's canvas: terrain colours, sprite layers, the
// sprite buffer, and what reaches the screen.
#include "Terrain.h"
#include "support/EditorFixture.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

#include <QPaintEvent>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;

namespace {

// Records the areas the canvas repaints.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions << static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

// Shows the window with sprites 1..3 and lets its first paint pass.
bool showSettled(Editor &e)
{
    giveSprites(inside(*e.window).Sprites, 1, 3);
    e.window->show();
    if (!QTest::qWaitForWindowExposed(e.window.get()))
        return false;
    QCoreApplication::processEvents();
    return true;
}

QPoint centre(int x, int y)
{
    return {x * 40 + 20, y * 40 + 20};
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private slots:
    void terrainColorForEveryCode();
    void layersShownByRedraw_data();
    void layersShownByRedraw();
    void sharedEdgesAfterFullRedraw();
    void bufferShowsTheLastSpriteDrawn();
    void indexZeroDrawsNothing();
    void slotWithoutPictureCopiesLightGrey();
    void largePictureIsCutToItsTopLeft();
    void redrawMovesTheFrameToLeft50();
    void fullRedrawReachesTheScreenOnce();
    void singleCellRepaintsOnlyItsRegion();
    void retainedImageSurvivesRepaint();
    void newMapShowsSprite1Everywhere();
};

void TestCanvas::terrainColorForEveryCode()
{
    Editor e;
    frmMain &w = *e.window;
    for (int code = 0; code < 256; ++code)
        putCell(w, code % 16, (code / 16) % 11, MapCell{std::uint8_t(code), 0, 0, 0});
    // codes 176..255 overwrite the first cells; check the last value of each cell
    inside(w).RedrawMap(0);
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 11; ++y) {
            const int code = w.MapCells().cell(x, y).Terrain;
            QCOMPARE(e.pixel(centre(x, y).x(), centre(x, y).y()), terrainColor(std::uint8_t(code)));
        }
    }
    putCell(w, 0, 0, MapCell{3, 0, 0, 0});
    putCell(w, 1, 0, MapCell{2, 0, 0, 0});
    inside(w).RedrawMap(0);
    QCOMPARE(e.pixel(20, 20), qRgb(0, 0, 0));
    QCOMPARE(e.pixel(60, 20), e.pixel(20, 20));
}

void TestCanvas::layersShownByRedraw_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("shownInA"); // cell A: terrain Water, sprites 1, 2, 3
    QTest::addColumn<int>("shownInB"); // cell B: terrain Brick, Sprite1 0, Sprite2 7
    // a value < 0 means the terrain colour
    QTest::newRow("0: terrain only") << 0 << -1 << -1;
    QTest::newRow("1: layer 1") << 1 << 1 << -1;
    QTest::newRow("2: layers 1, 2") << 2 << 2 << 7;
    QTest::newRow("3: all") << 3 << 3 << 7;
    QTest::newRow("4: all") << 4 << 3 << 7;
    QTest::newRow("-1: all") << -1 << 3 << 7;
    QTest::newRow("300: all") << 300 << 3 << 7;
}

void TestCanvas::layersShownByRedraw()
{
    QFETCH(int, layer);
    QFETCH(int, shownInA);
    QFETCH(int, shownInB);
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 9);
    inside(w).document().clear();
    putCell(w, 2, 3, MapCell{16, 1, 2, 3});
    putCell(w, 4, 5, MapCell{4, 0, 7, 0});
    inside(w).RedrawMap(layer);
    const QPoint a = centre(2, 3), b = centre(4, 5);
    QCOMPARE(e.pixel(a.x(), a.y()), shownInA < 0 ? qRgb(0, 0, 255) : spriteColor(shownInA));
    QCOMPARE(e.pixel(b.x(), b.y()), shownInB < 0 ? qRgb(255, 255, 0) : spriteColor(shownInB));
    QCOMPARE(e.pixel(centre(0, 0).x(), centre(0, 0).y()), qRgb(0, 0, 0)); // terrain 0
}

void TestCanvas::sharedEdgesAfterFullRedraw()
{
    Editor e;
    frmMain &w = *e.window;
    inside(w).document().clear();
    putCell(w, 0, 0, MapCell{1, 0, 0, 0});
    putCell(w, 1, 0, MapCell{16, 0, 0, 0});
    putCell(w, 0, 1, MapCell{4, 0, 0, 0});
    putCell(w, 15, 0, MapCell{8, 0, 0, 0});
    inside(w).RedrawMap(0);
    // Each cell shows its own colour on every one of its pixels: the boxes
    // drawn later cover the shared edges.
    QCOMPARE(e.pixel(39, 39), qRgb(0, 255, 0));
    QCOMPARE(e.pixel(40, 0), qRgb(0, 0, 255));
    QCOMPARE(e.pixel(0, 40), qRgb(255, 255, 0));
    QCOMPARE(e.pixel(639, 0), qRgb(255, 255, 255));
    // The two spare columns take the last column's colour.
    QCOMPARE(e.pixel(640, 10), qRgb(255, 255, 255));
    QCOMPARE(e.pixel(641, 10), qRgb(255, 255, 255));
    // A single box drawn afterwards spills over its right and lower edges.
    inside(w).DrawTerrain(0, 0, 2);
    QCOMPARE(e.pixel(40, 10), qRgb(0, 0, 0));
    QCOMPARE(e.pixel(41, 10), qRgb(0, 0, 0));
    QCOMPARE(e.pixel(42, 10), qRgb(0, 0, 255));
    QCOMPARE(e.pixel(10, 41), qRgb(0, 0, 0));
}

void TestCanvas::bufferShowsTheLastSpriteDrawn()
{
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 9);
    inside(w).document().clear();
    putCell(w, 0, 0, MapCell{1, 5, 0, 0});
    putCell(w, 3, 9, MapCell{1, 6, 0, 0});
    putCell(w, 3, 1, MapCell{1, 0, 0, 8}); // layer 3, visited earlier in its pass
    putCell(w, 1, 1, MapCell{1, 0, 4, 0});
    inside(w).setEditingState({inside(w).CurrentLayer, 2, inside(w).CurrentTerrain});
    inside(w).RedrawMap(3);
    QCOMPARE(inside(w).picBuf->picture().pixel(5, 5), spriteColor(8));
    inside(w).RedrawMap(1);
    QCOMPARE(inside(w).picBuf->picture().pixel(5, 5), spriteColor(6)); // last of the layer-1 pass
    inside(w).DrawSprite(7, 7, 9);
    QCOMPARE(inside(w).picBuf->picture().pixel(5, 5), spriteColor(9));
    QCOMPARE(int(inside(w).CurrentSprite), 2); // the brush is not the preview
}

void TestCanvas::indexZeroDrawsNothing()
{
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 0, 3);
    inside(w).DrawSprite(2, 2, 3);
    const QImage before = inside(w).picMap->image().copy();
    const QImage buffer = inside(w).picBuf->picture();
    inside(w).DrawSprite(2, 2, 0);
    inside(w).DrawSprite(5, 5, 0);
    QCOMPARE(inside(w).picMap->image(), before);
    QCOMPARE(inside(w).picBuf->picture(), buffer);
}

void TestCanvas::slotWithoutPictureCopiesLightGrey()
{
    Editor e;
    frmMain &w = *e.window;
    inside(w).DrawTerrain(4, 4, 16);
    inside(w).DrawSprite(4, 4, 200);
    QCOMPARE(e.pixel(160, 160), qRgb(192, 192, 192));
    QCOMPARE(e.pixel(199, 199), qRgb(192, 192, 192));
    QCOMPARE(inside(w).picBuf->picture().pixel(0, 0), qRgb(192, 192, 192));
}

void TestCanvas::largePictureIsCutToItsTopLeft()
{
    Editor e;
    frmMain &w = *e.window;
    QImage big(64, 64, QImage::Format_RGB32);
    big.fill(qRgb(9, 9, 9));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            big.setPixel(x, y, qRgb(7, 77, 177));
    QImage small(10, 10, QImage::Format_ARGB32);
    small.fill(qRgba(255, 0, 0, 255));
    inside(w).Sprites.setPicture(20, big);
    inside(w).Sprites.setPicture(21, small);
    inside(w).DrawTerrain(1, 1, 1);
    inside(w).DrawSprite(1, 1, 20);
    QCOMPARE(e.pixel(40, 40), qRgb(7, 77, 177));
    QCOMPARE(e.pixel(79, 79), qRgb(7, 77, 177));
    QCOMPARE(e.pixel(80, 80), qRgb(0, 255, 0)); // the next cell keeps its terrain spill
    inside(w).DrawSprite(2, 2, 21);
    QCOMPARE(e.pixel(80, 80), qRgb(255, 0, 0));
    QCOMPARE(e.pixel(95, 95), qRgb(192, 192, 192)); // beyond the small picture: the buffer's grey
}

void TestCanvas::redrawMovesTheFrameToLeft50()
{
    Editor e;
    frmMain &w = *e.window;
    for (int layer : {0, 1, 2, 3, 7}) {
        inside(w).picMap->moveFrame(279, 119);
        inside(w).RedrawMap(layer);
        QCOMPARE(inside(w).picMap->cursorFrame().rect(), QRect(50, 119, 40, 40));
    }
    inside(w).picMap->moveFrame(279, 119);
    inside(w).ResetMap();
    QCOMPARE(inside(w).picMap->cursorFrame().rect(), QRect(50, 119, 40, 40));
}

void TestCanvas::fullRedrawReachesTheScreenOnce()
{
    Editor e;
    frmMain &w = *e.window;
    QVERIFY(showSettled(e));
    PaintRecorder recorder(inside(w).picMap);
    putCell(w, 0, 0, MapCell{1, 1, 2, 3});
    inside(w).RedrawMap(3);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.regions.size(), 1);
    QCOMPARE(recorder.regions.first().boundingRect(), inside(w).picMap->rect());
}

void TestCanvas::singleCellRepaintsOnlyItsRegion()
{
    Editor e;
    frmMain &w = *e.window;
    QVERIFY(showSettled(e));
    PaintRecorder recorder(inside(w).picMap);
    inside(w).DrawSprite(5, 6, 2);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.regions.size(), 1);
    QCOMPARE(recorder.regions.first().boundingRect(), QRect(200, 240, 40, 40));
    // Terrain boxes have one-pixel edges until the first full redraw sets
    // them to two.
    for (const int side : {41, 42}) {
        recorder.regions.clear();
        inside(w).DrawTerrain(5, 6, 4);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.regions.size(), 1);
        QCOMPARE(recorder.regions.first().boundingRect(), QRect(200, 240, side, side));
        inside(w).RedrawMap(0);
        QCoreApplication::processEvents();
    }
}

void TestCanvas::retainedImageSurvivesRepaint()
{
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 3);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    inside(w).DrawSprite(0, 0, 3);
    inside(w).picMap->repaint();
    const QImage onScreen = inside(w).picMap->grab(QRect(0, 0, 40, 40)).toImage();
    QCOMPARE(onScreen.pixel(20, 20), spriteColor(3));
    QCOMPARE(e.pixel(20, 20), spriteColor(3));
}

void TestCanvas::newMapShowsSprite1Everywhere()
{
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 1, 1);
    w.mnuFileNew_Click();
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 11; ++y)
            QCOMPARE(e.pixel(x * 40 + 20, y * 40 + 20), spriteColor(1));
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
