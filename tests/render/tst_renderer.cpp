#include "Terrain.h"
#include "MapRenderer.h"

#include <QTest>

#include <algorithm>
#include <vector>

using namespace kestrun;

class TestRenderer : public QObject {
    Q_OBJECT
private slots:
    void terrainColorsMatchTheWholeByte();
    void terrainBoxCoversItsCellAndTheNextEdges_data();
    void terrainBoxCoversItsCellAndTheNextEdges();
    void laterBoxesWinOnSharedEdges();
    void blockCopyIsOpaqueAndCutToTheCell();
    void wholeMap_data();
    void wholeMap();
    void spriteLayerKeepsEmptyCells();
    void canvasOfAnotherFormatIsLeftAlone_data();
    void canvasOfAnotherFormatIsLeftAlone();
};

void TestRenderer::terrainColorsMatchTheWholeByte()
{
    for (int code = 0; code < 256; ++code) {
        QRgb expected = qRgb(0, 0, 0);
        switch (code) {
        case 1: expected = qRgb(0, 255, 0); break;
        case 4: expected = qRgb(255, 255, 0); break;
        case 8: expected = qRgb(255, 255, 255); break;
        case 16: expected = qRgb(0, 0, 255); break;
        default: break;
        }
        QCOMPARE(terrainColor(std::uint8_t(code)), expected);
    }
}

void TestRenderer::terrainBoxCoversItsCellAndTheNextEdges_data()
{
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QRect>("box");
    QTest::newRow("width 1, (0,0)") << 1 << 0 << 0 << QRect(0, 0, 41, 41);
    QTest::newRow("width 2, (0,0)") << 2 << 0 << 0 << QRect(0, 0, 42, 42);
    QTest::newRow("width 2, (3,4)") << 2 << 3 << 4 << QRect(120, 160, 42, 42);
    QTest::newRow("width 2, last column fills the spare pixels") << 2 << 15 << 0 << QRect(600, 0, 42, 42);
    QTest::newRow("width 2, last row clipped") << 2 << 0 << 10 << QRect(0, 400, 42, 40);
}

void TestRenderer::terrainBoxCoversItsCellAndTheNextEdges()
{
    QFETCH(int, lineWidth);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QRect, box);
    QImage canvas = MapRenderer::blankCanvas(QColor(Qt::magenta).rgb());
    MapRenderer renderer;
    renderer.setLineWidth(lineWidth);
    QCOMPARE(renderer.drawTerrain(canvas, x, y, 8), box);
    for (int py = 0; py < canvas.height(); ++py) {
        for (int px = 0; px < canvas.width(); ++px) {
            const QRgb expected = box.contains(px, py) ? qRgb(255, 255, 255) : QColor(Qt::magenta).rgb();
            if (canvas.pixel(px, py) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(px).arg(py)));
        }
    }
}

void TestRenderer::laterBoxesWinOnSharedEdges()
{
    QImage canvas = MapRenderer::blankCanvas(0);
    MapRenderer renderer;
    renderer.setLineWidth(2);
    renderer.drawTerrain(canvas, 1, 0, 16);
    renderer.drawTerrain(canvas, 0, 0, 4); // drawn later: covers (1,0)'s first two columns
    QCOMPARE(canvas.pixel(40, 20), qRgb(255, 255, 0));
    QCOMPARE(canvas.pixel(41, 20), qRgb(255, 255, 0));
    QCOMPARE(canvas.pixel(42, 20), qRgb(0, 0, 255));
    renderer.drawTerrain(canvas, 1, 0, 16); // and back
    QCOMPARE(canvas.pixel(40, 20), qRgb(0, 0, 255));
    QCOMPARE(canvas.pixel(39, 20), qRgb(255, 255, 0));
}

void TestRenderer::blockCopyIsOpaqueAndCutToTheCell()
{
    QImage canvas = MapRenderer::blankCanvas(qRgb(0, 0, 0));
    QImage block(40, 40, QImage::Format_RGB32);
    block.fill(qRgb(10, 20, 30));
    block.setPixel(39, 39, qRgb(1, 2, 3));
    QCOMPARE(MapRenderer::drawBlock(canvas, 15, 10, block), QRect(600, 400, 40, 40));
    QCOMPARE(canvas.pixel(600, 400), qRgb(10, 20, 30));
    QCOMPARE(canvas.pixel(639, 439), qRgb(1, 2, 3));
    QCOMPARE(canvas.pixel(640, 439), qRgb(0, 0, 0));
    QCOMPARE(canvas.pixel(599, 400), qRgb(0, 0, 0));
    // A block of another format is refused rather than misread.
    QVERIFY(MapRenderer::drawBlock(canvas, 0, 0, block.convertToFormat(QImage::Format_RGB888)).isEmpty());
    QCOMPARE(canvas.pixel(0, 0), qRgb(0, 0, 0));
}

namespace {

QRgb spriteColor(int index)
{
    return qRgb(index * 20 + 1, 10, 200);
}

SpriteTable spritesOneToNine()
{
    SpriteTable sprites;
    for (std::uint8_t i = 1; i <= 9; ++i) {
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(spriteColor(i));
        sprites.setPicture(i, picture);
    }
    return sprites;
}

} // namespace

void TestRenderer::wholeMap_data()
{
    QTest::addColumn<int>("topLayer");
    QTest::addColumn<int>("shownInA"); // cell A (2, 3): Water, sprites 1, 2, 3
    QTest::addColumn<int>("shownInB"); // cell B (4, 5): Brick, Sprite1 0, Sprite2 7
    QTest::addColumn<int>("last");     // the index returned: the last sprite drawn
    // a value < 0 means the terrain colour
    QTest::newRow("0: terrain only") << 0 << -1 << -1 << 0;
    QTest::newRow("1") << 1 << 1 << -1 << 1;
    QTest::newRow("2") << 2 << 2 << 7 << 7;
    QTest::newRow("3") << 3 << 3 << 7 << 3;
    QTest::newRow("4: all") << 4 << 3 << 7 << 3;
    QTest::newRow("-1: all") << -1 << 3 << 7 << 3;
}

void TestRenderer::wholeMap()
{
    QFETCH(int, topLayer);
    QFETCH(int, shownInA);
    QFETCH(int, shownInB);
    QFETCH(int, last);
    MapGrid grid;
    grid.setCell(2, 3, MapCell{16, 1, 2, 3});
    grid.setCell(4, 5, MapCell{4, 0, 7, 0});
    const SpriteTable sprites = spritesOneToNine();
    QImage canvas = MapRenderer::blankCanvas(qRgb(1, 2, 3));
    MapRenderer renderer;
    QCOMPARE(int(renderer.drawMap(canvas, grid, sprites, topLayer)), last);
    QCOMPARE(renderer.lineWidth(), 2);
    QCOMPARE(canvas.pixel(100, 140), shownInA < 0 ? qRgb(0, 0, 255) : spriteColor(shownInA));
    QCOMPARE(canvas.pixel(180, 220), shownInB < 0 ? qRgb(255, 255, 0) : spriteColor(shownInB));
    QCOMPARE(canvas.pixel(20, 20), qRgb(0, 0, 0)); // terrain 0
    // Every pixel is drawn: the last column's boxes cover the spare columns.
    QCOMPARE(canvas.pixel(641, 439), qRgb(0, 0, 0));
}

void TestRenderer::spriteLayerKeepsEmptyCells()
{
    MapGrid grid;
    grid.setCell(0, 0, MapCell{1, 5, 0, 0});
    grid.setCell(15, 10, MapCell{1, 6, 0, 0});
    const SpriteTable sprites = spritesOneToNine();
    QImage canvas = MapRenderer::blankCanvas(qRgb(1, 2, 3));
    QCOMPARE(int(MapRenderer::drawSpriteLayer(canvas, grid, sprites, Layer::Sprite1)), 6);
    QCOMPARE(canvas.pixel(0, 0), spriteColor(5));
    QCOMPARE(canvas.pixel(639, 439), spriteColor(6));
    QCOMPARE(canvas.pixel(60, 60), qRgb(1, 2, 3));
    QCOMPARE(int(MapRenderer::drawSpriteLayer(canvas, grid, sprites, Layer::Sprite2)), 0);
}

void TestRenderer::canvasOfAnotherFormatIsLeftAlone_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("24-bit RGB") << QImage::Format_RGB888;
    QTest::newRow("16-bit RGB") << QImage::Format_RGB16;
    QTest::newRow("8-bit grey") << QImage::Format_Grayscale8;
    QTest::newRow("8-bit palette") << QImage::Format_Indexed8;
    QTest::newRow("1-bit") << QImage::Format_Mono;
    // 32 bits a pixel, but not the opaque layout the blocks are copied in.
    QTest::newRow("32-bit with alpha") << QImage::Format_ARGB32_Premultiplied;
}

void TestRenderer::canvasOfAnotherFormatIsLeftAlone()
{
    QFETCH(QImage::Format, format);
    // The canvas lies in memory of exactly its own size, followed by guard
    // bytes: a drawing that took it for 32 bits a pixel would run over them.
    const int bytesPerLine = (CanvasWidth * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const qsizetype size = qsizetype(bytesPerLine) * CanvasHeight;
    std::vector<uchar> memory(std::size_t(size) + 4096, 0xAB);
    QImage canvas(memory.data(), CanvasWidth, CanvasHeight, bytesPerLine, format);
    if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono)
        canvas.setColorTable(QList<QRgb>(format == QImage::Format_Mono ? 2 : 256, qRgb(0, 0, 0)));

    MapGrid grid;
    grid.setCell(15, 10, MapCell{16, 1, 2, 3});
    const SpriteTable sprites = spritesOneToNine();
    MapRenderer renderer;
    QCOMPARE(int(renderer.drawMap(canvas, grid, sprites, 3)), 0);
    QCOMPARE(renderer.lineWidth(), 1);
    QCOMPARE(int(MapRenderer::drawSpriteLayer(canvas, grid, sprites, Layer::Sprite1)), 0);
    QVERIFY(renderer.drawTerrain(canvas, 15, 10, 16).isEmpty());
    QVERIFY(MapRenderer::drawBlock(canvas, 15, 10, sprites.block(1)).isEmpty());
    QCOMPARE(std::count(memory.begin(), memory.end(), uchar(0xAB)), qsizetype(memory.size()));
}

QTEST_APPLESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
