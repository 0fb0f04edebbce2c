// The map document: the one writer of the grid, and what each change says.
#include "map/MapDocument.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestMapDocument : public QObject {
    Q_OBJECT
private slots:
    void paintSaysItsCell_data();
    void paintSaysItsCell();
    void wholeGridChanges();
    void readAndWriteThroughTheFileName();
};

void TestMapDocument::paintSaysItsCell_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("layer");
    QTest::addColumn<QRect>("changed");
    QTest::newRow("terrain of (0, 0)") << 0 << 0 << 0 << QRect(0, 0, 1, 1);
    QTest::newRow("layer 3 of (15, 10)") << 15 << 10 << 3 << QRect(15, 10, 1, 1);
    QTest::newRow("x 16: outside") << 16 << 0 << 1 << QRect();
    QTest::newRow("y -1: outside") << 0 << -1 << 1 << QRect();
    QTest::newRow("no layer 4") << 3 << 3 << 4 << QRect();
}

void TestMapDocument::paintSaysItsCell()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, layer);
    QFETCH(QRect, changed);
    MapDocument document;
    QCOMPARE(document.paint({x, y, Layer(layer), 77}), changed);
    MapGrid expected;
    if (!changed.isEmpty())
        expected.setLayerByte(x, y, Layer(layer), 77);
    QVERIFY(document.cells() == expected);
}

void TestMapDocument::wholeGridChanges()
{
    MapDocument document;
    document.paint({4, 4, Layer::Sprite3, 9});
    document.applyNewMapDefaults();
    MapGrid defaults;
    applyNewMapDefaults(defaults);
    defaults.setLayerByte(4, 4, Layer::Sprite3, 9); // layer 3 kept: callers clear first
    QVERIFY(document.cells() == defaults);
    document.clear();
    QVERIFY(document.cells() == MapGrid());
}

void TestMapDocument::readAndWriteThroughTheFileName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MapDocument document;
    document.paint({2, 3, Layer::Terrain, 16});
    document.setFileName(dir.filePath(u"level.kmp"_s));
    QVERIFY(document.write().ok());

    MapDocument other;
    QCOMPARE(other.read(document.fileName()).status, MapReadStatus::Loaded);
    QVERIFY(other.cells() == document.cells());
    QVERIFY(other.fileName().isEmpty()); // reading names nothing
    // A rejected file leaves the grid as it was.
    QVERIFY(writeFile(dir.filePath(u"junk.kmp"_s), QByteArray(726, 'x')));
    QCOMPARE(other.read(dir.filePath(u"junk.kmp"_s)).status, MapReadStatus::NotValidMapFile);
    QVERIFY(other.cells() == document.cells());
}

QTEST_GUILESS_MAIN(TestMapDocument)
#include "tst_mapdocument.moc"
