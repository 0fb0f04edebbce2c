// kmp check: the exit status, the message and the JSON finding for each kind
// of fault, and a game whose catalogue the editor stops reading.
#include "KmpTestSupport.h"
#include "MapFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray withCell(int x, int y, MapCell cell, const MapHeader &header = currentMapHeader())
{
    MapGrid grid;
    applyNewMapDefaults(grid);
    grid.setCell(x, y, cell);
    return mapFileBytes(grid, header);
}

QJsonObject onlyMap(const QString &json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object()[u"maps"_s].toArray().at(0).toObject();
}

} // namespace

class TestKmpCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void faults_data();
    void faults();
    void pictureThatDoesNotLoad();
    void repeatsAreSummedUpInWords_data();
    void repeatsAreSummedUpInWords();
    void unreadableMaps_data();
    void unreadableMaps();
    void severalMapsGiveTheWorstStatus();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GameFolder> m_game;
};

void TestKmpCheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_game = std::make_unique<GameFolder>(1, 8);
}

void TestKmpCheck::faults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // the first finding's line, after "m.kmp: "
    MapHeader header = currentMapHeader();
    QTest::newRow("clean") << newMapBytes() << 0 << QString() << QString();
    QTest::newRow("empty file") << QByteArray() << 2 << u"not-valid-map-file"_s << u"error: Not valid map file"_s;
    QTest::newRow("wrong signature") << "\x78\x56\x34\x13" + newMapBytes().mid(4) << 2 << u"not-valid-map-file"_s
                                     << u"error: Not valid map file"_s;
    header.Version = 3;
    QTest::newRow("version 3") << mapFileBytes(MapGrid(), header) << 2 << u"wrong-version"_s
                               << u"error: Wrong version: the file has version 3, the editor reads version 2"_s;
    header = currentMapHeader();
    QTest::newRow("sprite not listed") << withCell(3, 4, {1, 1, 9, 0}) << 2 << u"sprite-not-listed"_s
                                       << u"error: cell (3, 4) layer 2: sprite 9 is not in the game's catalogue"_s;
    QTest::newRow("sprite 255 on layer 3")
        << withCell(15, 10, {1, 1, 0, 255}) << 2 << u"sprite-not-listed"_s
        << u"error: cell (15, 10) layer 3: sprite 255 is not in the game's catalogue"_s;
    QTest::newRow("short file")
        << newMapBytes().left(725) << 1 << u"short-file"_s
        << u"warning: the file is 725 bytes, shorter than 726: the editor reads zeros for the missing 1"_s;
    QTest::newRow("long file") << newMapBytes() + "tail" << 1 << u"long-file"_s
                               << u"warning: the file is 730 bytes, longer than 726: the editor ignores the 4 bytes "
                                  u"after the map and keeps them when it saves"_s;
    header.MaxX = 16;
    QTest::newRow("MaxX") << withCell(0, 0, {1, 1, 0, 0}, header) << 1 << u"max-x"_s
                          << u"warning: MaxX is 16; the editor writes 15"_s;
    header = currentMapHeader();
    header.MaxY = 0;
    QTest::newRow("MaxY") << withCell(0, 0, {1, 1, 0, 0}, header) << 1 << u"max-y"_s
                          << u"warning: MaxY is 0; the editor writes 10"_s;
    header = currentMapHeader();
    header.Reserved[7] = 0x80;
    QTest::newRow("reserved") << withCell(0, 0, {1, 1, 0, 0}, header) << 1 << u"reserved"_s
                              << u"warning: the reserved bytes are 00 00 00 00 00 00 00 80; the editor writes zeros"_s;
    QTest::newRow("terrain 3") << withCell(2, 1, {3, 1, 0, 0}) << 1 << u"terrain-code"_s
                               << u"warning: cell (2, 1): terrain code 3 is none of Ground 1, Beton 2, Brick 4, "
                                  u"Ice 8, Water 16; the editor draws it black"_s;
    QTest::newRow("terrain 0 with an unlisted sprite")
        << withCell(5, 6, {0, 20, 0, 0}) << 2 << u"terrain-code"_s
        << u"warning: cell (5, 6): terrain code 0 is none of Ground 1, "
           u"Beton 2, Brick 4, Ice 8, Water 16; the editor draws it black"_s;
}

void TestKmpCheck::faults()
{
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QVERIFY(writeFile(u"m.kmp"_s, file));

    const KmpRun text = runKmpHere({u"check"_s, u"--game"_s, m_game->folder, u"m.kmp"_s});
    QCOMPARE(text.status, status);
    QCOMPARE(text.err, QString());
    const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
    if (kind.isEmpty()) {
        QCOMPARE(lines, QStringList{u"checked 1 map: 1 clean, 0 with warnings only, 0 with errors"_s});
        return;
    }
    QCOMPARE(lines.constFirst(), u"m.kmp: "_s + message);

    const KmpRun json = runKmpHere({u"check"_s, u"--json"_s, u"--game"_s, m_game->folder, u"m.kmp"_s});
    QCOMPARE(json.status, status);
    const QJsonObject map = onlyMap(json.out);
    const QJsonObject first = map[u"findings"_s].toArray().at(0).toObject();
    QCOMPARE(first[u"kind"_s].toString(), kind);
    QCOMPARE(u"%1: %2"_s.arg(first[u"severity"_s].toString(), first[u"message"_s].toString()), message);
    QCOMPARE(map[u"status"_s].toString(), status == 2 ? u"errors"_s : u"warnings"_s);
}

void TestKmpCheck::pictureThatDoesNotLoad()
{
    // The editor stops reading the catalogue at the record whose picture
    // fails: slot 9 is named but has no picture, slot 10 is never read.
    GameFolder game(1, 8, "9=missing.bmp\r\n10=sprite1.bmp\r\n");
    QVERIFY(writeFile(u"m.kmp"_s, withCell(7, 2, {1, 9, 0, 10})));
    const KmpRun run = runKmpHere({u"check"_s, u"--game"_s, game.folder, u"m.kmp"_s});
    QCOMPARE(run.status, 2);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].startsWith(game.folder
                                 + u"tileset.dat: error: the editor stops reading it after 8 pictures: "
                                   u"cannot load picture "_s),
             qPrintable(lines[0]));
    QCOMPARE(lines[1], u"m.kmp: error: cell (7, 2) layer 1: sprite 9 (missing.bmp): its picture does not load"_s);
    QCOMPARE(lines[2], u"m.kmp: error: cell (7, 2) layer 3: sprite 10 is not in the game's catalogue"_s);
}

void TestKmpCheck::repeatsAreSummedUpInWords_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("line");
    QTest::newRow("not maps") << QByteArray("x") << QByteArray("yy") << u"\nNot valid map file: 2 maps\n"_s;
    QTest::newRow("long files") << newMapBytes() + "x" << newMapBytes() + "yy"
                                << u"\nthe file is longer than 726 bytes: 2 maps\n"_s;
}

void TestKmpCheck::repeatsAreSummedUpInWords()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, line);
    QVERIFY(writeFile(u"first.kmp"_s, first));
    QVERIFY(writeFile(u"second.kmp"_s, second));
    const KmpRun run = runKmpHere({u"check"_s, u"--game"_s, m_game->folder, u"first.kmp"_s, u"second.kmp"_s});
    QVERIFY2(run.out.contains(line), qPrintable(run.out));
}

void TestKmpCheck::unreadableMaps_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << u"nothing-here.kmp"_s
                             << u"nothing-here.kmp: error: cannot read the file: No such file or directory"_s;
    QTest::newRow("folder") << u"."_s << u".: error: cannot read the file: it is a folder, not a file"_s;
    QTest::newRow("device")
        << u"/dev/zero"_s << u"/dev/zero: error: cannot read the file: it is not a regular file (a character device)"_s;
}

void TestKmpCheck::unreadableMaps()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    const KmpRun run = runKmpHere({u"check"_s, u"--game"_s, m_game->folder, path});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out.split(u'\n').constFirst(), message);
}

void TestKmpCheck::severalMapsGiveTheWorstStatus()
{
    QVERIFY(writeFile(u"clean.kmp"_s, newMapBytes()));
    QVERIFY(writeFile(u"warned.kmp"_s, newMapBytes() + "x"));
    QVERIFY(writeFile(u"broken.kmp"_s, "x"));
    const QString game = m_game->folder;
    QCOMPARE(runKmpHere({u"check"_s, u"--game"_s, game, u"clean.kmp"_s, u"clean.kmp"_s}).status, 0);
    QCOMPARE(runKmpHere({u"check"_s, u"--game"_s, game, u"warned.kmp"_s, u"clean.kmp"_s}).status, 1);
    const KmpRun all = runKmpHere({u"check"_s, u"--game"_s, game, u"clean.kmp"_s, u"broken.kmp"_s, u"warned.kmp"_s});
    QCOMPARE(all.status, 2);
    QVERIFY(all.out.endsWith(u"checked 3 maps: 1 clean, 1 with warnings only, 1 with errors\n"_s));
}

QTEST_GUILESS_MAIN(TestKmpCheck)
#include "tst_kmp_check.moc"
