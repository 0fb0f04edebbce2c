#include "view/MapRenderer.h"

#include <QTest>

using namespace kestrun;

class TestRenderer : public QObject {
    Q_OBJECT
private slots:
    void terrainColoursMatchTheWholeByte();
    void terrainBoxCoversItsCellAndTheNextEdges_data();
    void terrainBoxCoversItsCellAndTheNextEdges();
    void laterBoxesWinOnSharedEdges();
    void tileCopyIsOpaqueAndCutToTheCell();
};

void TestRenderer::terrainColoursMatchTheWholeByte()
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
    QImage canvas(642, 440, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    MapRenderer renderer(&canvas);
    renderer.setLineWidth(lineWidth);
    QCOMPARE(renderer.drawTerrain(x, y, 8), box);
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
    QImage canvas(642, 440, QImage::Format_RGB32);
    MapRenderer renderer(&canvas);
    renderer.setLineWidth(2);
    renderer.drawTerrain(1, 0, 16);
    renderer.drawTerrain(0, 0, 4); // drawn later: covers (1,0)'s first two columns
    QCOMPARE(canvas.pixel(40, 20), qRgb(255, 255, 0));
    QCOMPARE(canvas.pixel(41, 20), qRgb(255, 255, 0));
    QCOMPARE(canvas.pixel(42, 20), qRgb(0, 0, 255));
    renderer.drawTerrain(1, 0, 16); // and back
    QCOMPARE(canvas.pixel(40, 20), qRgb(0, 0, 255));
    QCOMPARE(canvas.pixel(39, 20), qRgb(255, 255, 0));
}

void TestRenderer::tileCopyIsOpaqueAndCutToTheCell()
{
    QImage canvas(642, 440, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    MapRenderer renderer(&canvas);
    QImage block(40, 40, QImage::Format_RGB32);
    block.fill(qRgb(10, 20, 30));
    block.setPixel(39, 39, qRgb(1, 2, 3));
    QCOMPARE(renderer.drawBlock(15, 10, block), QRect(600, 400, 40, 40));
    QCOMPARE(canvas.pixel(600, 400), qRgb(10, 20, 30));
    QCOMPARE(canvas.pixel(639, 439), qRgb(1, 2, 3));
    QCOMPARE(canvas.pixel(640, 439), qRgb(0, 0, 0));
    QCOMPARE(canvas.pixel(599, 400), qRgb(0, 0, 0));
    // A block of another format is refused rather than misread.
    QVERIFY(renderer.drawBlock(0, 0, block.convertToFormat(QImage::Format_RGB888)).isEmpty());
    QCOMPARE(canvas.pixel(0, 0), qRgb(0, 0, 0));
}

QTEST_APPLESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
