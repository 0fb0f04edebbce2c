#include "MapGrid.h"
#include "Terrain.h"

#include <QTest>

using namespace kestrun;

class TestMapGrid : public QObject {
    Q_OBJECT
private slots:
    void storageOrder_data();
    void storageOrder();
    void outOfBoundsReadsNothingAndChangesNothing_data();
    void outOfBoundsReadsNothingAndChangesNothing();
    void newMapDefaults();
    void assignBytesPadsWithZero();
    void terrainNames_data();
    void terrainNames();
};

void TestMapGrid::storageOrder_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("element");
    QTest::newRow("(0,0)") << 0 << 0 << 0;
    QTest::newRow("(1,0)") << 1 << 0 << 1;
    QTest::newRow("(0,1)") << 0 << 1 << 16;
    QTest::newRow("(15,10)") << 15 << 10 << 175;
}

void TestMapGrid::storageOrder()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, element);
    MapGrid grid;
    QVERIFY(grid.setCell(x, y, MapCell{11, 22, 33, 44}));
    const auto bytes = grid.bytes();
    for (int i = 0; i < MapGrid::ByteSize; ++i) {
        const int expected = i / 4 == element ? 11 * (i % 4 + 1) : 0;
        QCOMPARE(int(bytes[i]), expected);
    }
    QCOMPARE(grid.layerByte(x, y, Layer::Sprite2), std::uint8_t(33));
}

void TestMapGrid::outOfBoundsReadsNothingAndChangesNothing_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("x -1") << -1 << 0;
    QTest::newRow("x 16") << 16 << 0;
    QTest::newRow("y -1") << 0 << -1;
    QTest::newRow("y 11") << 0 << 11;
    QTest::newRow("x 16 wraps to next row if unchecked") << 16 << 3;
}

void TestMapGrid::outOfBoundsReadsNothingAndChangesNothing()
{
    QFETCH(int, x);
    QFETCH(int, y);
    MapGrid grid;
    applyNewMapDefaults(grid);
    const MapGrid before = grid;
    QVERIFY(!grid.setCell(x, y, MapCell{9, 9, 9, 9}));
    QVERIFY(!grid.setLayerByte(x, y, Layer::Sprite1, 9));
    QVERIFY(grid == before);
    QCOMPARE(grid.cell(x, y), MapCell{});
    QCOMPARE(grid.layerByte(x, y, Layer::Terrain), std::uint8_t(0));
    QVERIFY(!grid.setLayerByte(0, 0, Layer(4), 9));
    QVERIFY(grid == before);
}

void TestMapGrid::newMapDefaults()
{
    MapGrid grid;
    grid.setCell(3, 4, MapCell{7, 8, 0, 0});
    grid.clear();
    applyNewMapDefaults(grid);
    const auto bytes = grid.bytes();
    for (int i = 0; i < MapGrid::ByteSize; i += 4) {
        QCOMPARE(int(bytes[i]), 1);
        QCOMPARE(int(bytes[i + 1]), 1);
        QCOMPARE(int(bytes[i + 2]), 0);
        QCOMPARE(int(bytes[i + 3]), 0);
    }
}

void TestMapGrid::assignBytesPadsWithZero()
{
    MapGrid grid;
    applyNewMapDefaults(grid);
    const std::uint8_t image[] = {5, 6, 7, 8, 9};
    grid.assignBytes(image);
    QCOMPARE(grid.cell(0, 0), (MapCell{5, 6, 7, 8}));
    QCOMPARE(grid.cell(1, 0), (MapCell{9, 0, 0, 0}));
    QCOMPARE(grid.cell(15, 10), MapCell{});
}

void TestMapGrid::terrainNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "Ground";
    QTest::newRow("2") << 2 << "Beton";
    QTest::newRow("4") << 4 << "Brick";
    QTest::newRow("8") << 8 << "Ice";
    QTest::newRow("16") << 16 << "Water";
    QTest::newRow("0") << 0 << "";
    QTest::newRow("3 (combined bits)") << 3 << "";
    QTest::newRow("255") << 255 << "";
}

void TestMapGrid::terrainNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(TerrainName(std::uint8_t(code)), name);
}

QTEST_APPLESS_MAIN(TestMapGrid)
#include "tst_mapgrid.moc"
