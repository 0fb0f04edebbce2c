// kmp usage: the cells and maps of each sprite and terrain code, the
// catalogue's unused sprites and the used ones it lacks, a map that cannot be
// read, and a catalogue that cannot.
#include "KmpTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestKmpUsage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void report_data();
    void report();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GameFolder> m_game;
};

void TestKmpUsage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_game = std::make_unique<GameFolder>(1, 4);
    // a.kmp: Ground everywhere, sprite 1 on layer 1 (the new-map defaults),
    // sprite 2 on layer 3 of one cell, terrain code 3 in one cell.
    MapGrid a;
    applyNewMapDefaults(a);
    a.setCell(4, 4, MapCell{3, 1, 0, 2});
    QVERIFY(writeFile(u"a.kmp"_s, mapFileBytes(a)));
    // b.kmp: Water, sprite 30 (unlisted) on layer 2 of two cells, 1 on one.
    MapGrid b;
    for (int y = 0; y < MapGrid::Height; ++y) {
        for (int x = 0; x < MapGrid::Width; ++x)
            b.setCell(x, y,
                      MapCell{16, std::uint8_t(x == 0 && y == 0 ? 1 : 0), std::uint8_t(y == 1 && x < 2 ? 30 : 0), 0});
    }
    QVERIFY(writeFile(u"b.kmp"_s, mapFileBytes(b)));
    QVERIFY(writeFile(u"broken.kmp"_s, "no map"));
}

void TestKmpUsage::report_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString game = m_game->folder;
    const QString counts = u"terrain 1 (Ground): 175 cells in 1 map\n"
                           u"terrain 3 (not drawn): 1 cell in 1 map\n"
                           u"terrain 16 (Water): 176 cells in 1 map\n"_s;
    QTest::newRow("two maps") << QStringList{u"--game"_s, game, u"a.kmp"_s, u"b.kmp"_s} << 0
                              << u"sprite 1 (sprite1.bmp): 177 cells in 2 maps\n"
                                 u"sprite 2 (sprite2.bmp): 1 cell in 1 map\n"
                                 u"sprite 30 (not in the catalogue): 2 cells in 1 map\n"_s
            + counts
            + u"sprites no map uses: 3 (sprite3.bmp), 4 (sprite4.bmp)\n"
              u"sprites used but not in the catalogue: 30\n"
              u"terrain no map uses: Beton 2, Brick 4, Ice 8\n"
              u"terrain codes the editor does not draw: 3\n"_s
                              << QString();
    QTest::newRow("a broken map is left out")
        << QStringList{u"--game"_s, game, u"broken.kmp"_s, u"a.kmp"_s, u"gone.kmp"_s} << 2
        << u"sprite 1 (sprite1.bmp): 176 cells in 1 map\n"
           u"sprite 2 (sprite2.bmp): 1 cell in 1 map\n"
           u"terrain 1 (Ground): 175 cells in 1 map\n"
           u"terrain 3 (not drawn): 1 cell in 1 map\n"
           u"sprites no map uses: 3 (sprite3.bmp), 4 (sprite4.bmp)\n"
           u"sprites used but not in the catalogue: none\n"
           u"terrain no map uses: Beton 2, Brick 4, Ice 8, Water 16\n"
           u"terrain codes the editor does not draw: 3\n"_s
        << u"kmp usage: broken.kmp: Not valid map file\nkmp usage: gone.kmp: No such file or directory\n"_s;
    QTest::newRow("no catalogue") << QStringList{u"--game"_s, u"nowhere"_s, u"b.kmp"_s} << 2
                                  << u"sprite 1 (catalogue unread): 1 cell in 1 map\n"
                                     u"sprite 30 (catalogue unread): 2 cells in 1 map\n"
                                     u"terrain 16 (Water): 176 cells in 1 map\n"
                                     u"terrain no map uses: Ground 1, Beton 2, Brick 4, Ice 8\n"
                                     u"terrain codes the editor does not draw: none\n"_s
                                  << u"kmp usage: game folder nowhere/: cannot open nowhere/tileset.dat: No such file "
                                     u"or directory\n"_s;
    QTest::newRow("no map") << QStringList{u"--game"_s, game} << 64 << QString()
                            << u"kmp usage: no map to count\nTry 'kmp usage --help'.\n"_s;
}

void TestKmpUsage::report()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const KmpRun run = runKmpHere(QStringList{u"usage"_s} + arguments);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, err);
    if (status == 64)
        return;
    // The JSON report says the same.
    const KmpRun json = runKmpHere(QStringList{u"usage"_s, u"--json"_s} + arguments);
    QCOMPARE(json.status, status);
    const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QStringList sprites;
    for (const QJsonValue sprite : root[u"sprites"_s].toArray()) {
        const QJsonObject entry = sprite.toObject();
        // Its maps by name, their cells adding up to the total.
        int cellsOfMaps = 0;
        for (const QJsonValue map : entry[u"usedIn"_s].toArray())
            cellsOfMaps += map[u"cells"_s].toInt();
        QCOMPARE(cellsOfMaps, entry[u"cells"_s].toInt());
        QCOMPARE(entry[u"usedIn"_s].toArray().size(), entry[u"maps"_s].toInt());
        if (entry[u"index"_s].toInt() == 30)
            QCOMPARE(entry[u"usedIn"_s][0][u"file"_s].toString(), u"b.kmp"_s);
        sprites << u"sprite %1 (%2): %3 %4"_s.arg(entry[u"index"_s].toInt())
                       .arg(entry[u"file"_s].toString(u"-"_s))
                       .arg(entry[u"cells"_s].toInt())
                       .arg(entry[u"maps"_s].toInt());
    }
    QStringList lines;
    static const QRegularExpression SpriteLine(u"^sprite (\\d+) \\(([^ )]+)[^:]*: (\\d+) cells? in (\\d+) maps?$"_s);
    for (const QString &line : out.split(u'\n')) {
        if (const auto match = SpriteLine.match(line); match.hasMatch()) {
            const QString file = match.captured(2).endsWith(u".bmp"_s) ? match.captured(2) : u"-"_s;
            lines << u"sprite %1 (%2): %3 %4"_s.arg(match.captured(1), file, match.captured(3), match.captured(4));
        }
    }
    QCOMPARE(sprites, lines);
    QCOMPARE(root[u"missingSprites"_s].toArray().size(), out.contains(u"catalogue: 30"_s) ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestKmpUsage)
#include "tst_kmp_usage.moc"
