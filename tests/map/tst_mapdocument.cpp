// The map document: the one writer of the grid, and what each change says.
#include "MapDocument.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
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
    void announcesWhatChanged_data();
    void announcesWhatChanged();
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

// A document change, and what the document must announce for it: the
// painted rectangle and layer, or the whole grid's change, or nothing.
void TestMapDocument::announcesWhatChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QRect>("cells");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("grid"); // a GridChange; -1: none
    const QRect none;
    QTest::newRow("paint inside") << u"paint 3 4 2 7"_s << QRect(3, 4, 1, 1) << 2 << -1;
    QTest::newRow("paint the value it had") << u"paint 15 10 0 0"_s << QRect(15, 10, 1, 1) << 0 << -1;
    QTest::newRow("paint x 16") << u"paint 16 4 1 7"_s << none << -1 << -1;
    QTest::newRow("paint y -1") << u"paint 0 -1 1 7"_s << none << -1 << -1;
    QTest::newRow("paint layer 4") << u"paint 2 2 4 7"_s << none << -1 << -1;
    QTest::newRow("clear") << u"clear"_s << none << -1 << int(GridChange::Cleared);
    QTest::newRow("new-map defaults") << u"defaults"_s << none << -1 << int(GridChange::NewMapDefaults);
    QTest::newRow("loaded file") << u"read good.kmp"_s << none << -1 << int(GridChange::Read);
    QTest::newRow("rejected file") << u"read junk.kmp"_s << none << -1 << -1;
    QTest::newRow("unreadable file") << u"read missing.kmp"_s << none << -1 << -1;
    QTest::newRow("file name") << u"name"_s << none << -1 << -1;
}

void TestMapDocument::announcesWhatChanged()
{
    QFETCH(QString, change);
    QFETCH(QRect, cells);
    QFETCH(int, layer);
    QFETCH(int, grid);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MapGrid good;
    good.setLayerByte(1, 1, Layer::Terrain, 4);
    QVERIFY(writeMapFile(dir.filePath(u"good.kmp"_s), good).ok());
    QVERIFY(writeFile(dir.filePath(u"junk.kmp"_s), QByteArray(726, 'x')));

    MapDocument document;
    QSignalSpy painted(&document, &MapDocument::cellsChanged);
    QSignalSpy replaced(&document, &MapDocument::gridChanged);
    const QStringList words = change.split(u' ');
    if (words[0] == u"paint")
        document.paint({words[1].toInt(), words[2].toInt(), Layer(words[3].toInt()), std::uint8_t(words[4].toInt())});
    else if (words[0] == u"clear")
        document.clear();
    else if (words[0] == u"defaults")
        document.applyNewMapDefaults();
    else if (words[0] == u"read")
        document.read(dir.filePath(words[1]));
    else
        document.setFileName(dir.filePath(u"level.kmp"_s));

    QCOMPARE(painted.size(), cells.isEmpty() ? 0 : 1);
    if (!cells.isEmpty()) {
        QCOMPARE(painted[0][0].toRect(), cells);
        QCOMPARE(int(painted[0][1].value<Layer>()), layer);
    }
    QCOMPARE(replaced.size(), grid < 0 ? 0 : 1);
    if (grid >= 0)
        QCOMPARE(int(replaced[0][0].value<GridChange>()), grid);
}

QTEST_GUILESS_MAIN(TestMapDocument)
#include "tst_mapdocument.moc"
