// kmp dump and undump: golden text, byte-for-byte round trips over seeded
// random files, one line per changed cell, and the faults undump names.
#include "KmpTestSupport.h"
#include "DumpFormat.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

using namespace kestrun;
using namespace kestrun::kmp;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

// A random file that is sometimes a map the editor loads: any size up to a
// few hundred bytes past 726 (the short sizes weighted up), random bytes.
QByteArray randomFile(QRandomGenerator &random)
{
    static constexpr int Sizes[] = {0, 1, 4, 6, 21, 22, 23, 400, 725, 726, 726, 726, 727, 758, 759, 1100};
    int size = Sizes[random.bounded(int(std::size(Sizes)))];
    if (random.bounded(4) == 0)
        size = random.bounded(1200);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    if (random.bounded(2) == 0)
        bytes.replace(0, qMin<qsizetype>(size, 6), QByteArray::fromHex("785634120200").left(size));
    return bytes;
}

QStringList lines(const QString &text)
{
    return text.split(u'\n');
}

} // namespace

class TestKmpDump : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void golden_data();
    void golden();
    void randomFilesRoundTripByteForByte();
    void oneCellChangesOneLine();
    void undumpFaults_data();
    void undumpFaults();
    void failedUndumpLeavesTheTargetAsItWas();
    void diffNamesEveryField_data();
    void diffNamesEveryField();

private:
    QTemporaryDir m_dir;
};

void TestKmpDump::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestKmpDump::golden_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("goldenFile");
    MapHeader odd = currentMapHeader();
    odd.Signature = -2;
    odd.Version = -32768;
    odd.MaxX = INT32_MIN;
    odd.Reserved = {0xff, 0, 0, 0, 0, 0, 0, 0x80};
    QByteArray tail;
    for (int i = 0; i < 70; ++i)
        tail += char(i * 37);
    QTest::newRow("showcase") << mapFileBytes(showcaseGrid()) << u"dump-showcase.txt"_s;
    QTest::newRow("odd header and a tail") << mapFileBytes(showcaseGrid(), odd) + tail << u"dump-tail.txt"_s;
    QTest::newRow("short file") << mapFileBytes(showcaseGrid()).left(31) << u"dump-short.txt"_s;
}

void TestKmpDump::golden()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, goldenFile);
    QVERIFY(writeFile(u"map.kmp"_s, file));
    const KmpRun run = runKmpHere({u"dump"_s, u"map.kmp"_s});
    QCOMPARE(run.status, 0);
    QVERIFY2(matchesGolden(goldenFile, run.out), qPrintable(run.out));
    // One header line, eleven rows, then a line per 32 bytes of tail.
    const qsizetype tailLines = (qMax<qsizetype>(file.size() - 726, 0) + 31) / 32;
    QCOMPARE(lines(run.out).size(), 1 + 11 + tailLines + 1);

    QVERIFY(writeFile(u"map.txt"_s, run.out.toUtf8()));
    QFile::remove(u"back.kmp"_s); // the last row's file need not be a map
    QCOMPARE(runKmpHere({u"undump"_s, u"map.txt"_s, u"back.kmp"_s}).status, 0);
    QCOMPARE(readFile(u"back.kmp"_s), file);
}

void TestKmpDump::randomFilesRoundTripByteForByte()
{
    QRandomGenerator random(20240612);
    for (int i = 0; i < 2000; ++i) {
        const QByteArray file = randomFile(random);
        QString text = dumpMapFile(file);
        if (i % 2 == 1)
            text.replace(u"\n"_s, u"\r\n"_s); // a dump that went through a Windows editor
        const UndumpResult back = undumpMapFile(text);
        QVERIFY2(back.ok(), qPrintable(u"file %1: line %2: %3"_s.arg(i).arg(back.line).arg(back.reason)));
        QVERIFY2(back.file == file, qPrintable(u"file %1 (%2 bytes) came back different"_s.arg(i).arg(file.size())));
    }
}

void TestKmpDump::oneCellChangesOneLine()
{
    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        QByteArray file(726 + random.bounded(100), '\0');
        for (char &byte : file)
            byte = char(random.bounded(256));
        QByteArray changed = file;
        const int cell = random.bounded(176);
        const int offset = 22 + cell * 4 + random.bounded(4);
        changed[offset] = char(changed[offset] ^ (1 + random.bounded(255)));

        const QStringList before = lines(dumpMapFile(file));
        const QStringList after = lines(dumpMapFile(changed));
        QCOMPARE(after.size(), before.size());
        QStringList differing;
        for (qsizetype n = 0; n < before.size(); ++n) {
            if (before[n] != after[n])
                differing << after[n];
        }
        QCOMPARE(differing.size(), 1);
        QVERIFY(differing[0].startsWith(u"row %1: "_s.arg(cell / 16)));
    }
}

void TestKmpDump::undumpFaults_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a dump") << u"kmp-dump 1"_s << u"hello 1"_s << 1
                                << u"this is not a map dump: it must begin with \"kmp-dump 1\""_s;
    QTest::newRow("later format") << u"kmp-dump 1 "_s << u"kmp-dump 2 "_s << 1
                                  << u"dump format 2 is not known; this kmp reads format 1"_s;
    QTest::newRow("field missing") << u" MaxY=10"_s << QString() << 1 << u"the header line lacks MaxY="_s;
    QTest::newRow("field twice") << u" MaxY=10"_s << u" MaxY=10 MaxY=10"_s << 1 << u"MaxY is given twice"_s;
    QTest::newRow("unknown field")
        << u" MaxY=10"_s << u" MaxY=10 MaxZ=3"_s << 1
        << u"\"MaxZ=3\" is not a header field (size, signature, version, MaxX, MaxY, reserved)"_s;
    QTest::newRow("version too large") << u"version=2"_s << u"version=32768"_s << 1
                                       << u"version has the value \"32768\", which it cannot hold"_s;
    QTest::newRow("reserved too short") << u"reserved=0000000000000000"_s << u"reserved=00000000"_s << 1
                                        << u"reserved has the value \"00000000\", which it cannot hold"_s;
    QTest::newRow("signature not hex") << u"signature=0x12345678"_s << u"signature=12345678"_s << 1
                                       << u"signature has the value \"12345678\", which it cannot hold"_s;
    QTest::newRow("rows out of order") << u"row 3:"_s << u"row 4:"_s << 5
                                       << u"expected the line \"row 3: ...\" (a dump has rows 0 to 10, in order)"_s;
    QTest::newRow("cell missing") << u"row 2: 4.1.0.0 "_s << u"row 2: "_s << 4 << u"row 2 has 15 cells; a row has 16"_s;
    QTest::newRow("byte out of range") << u"row 2: 4.1.0.0 "_s << u"row 2: 4.1.256.0 "_s << 4
                                       << u"cell (0, 2) holds \"256\"; each value is 0 to 255"_s;
    QTest::newRow("three bytes in a cell") << u"row 2: 4.1.0.0 "_s << u"row 2: 4.1.0 "_s << 4
                                           << u"cell (0, 2) is \"4.1.0\"; a cell is terrain.sprite1.sprite2.sprite3"_s;
    QTest::newRow("a row short") << u"row 10:"_s << u"tail 726:"_s << 12
                                 << u"expected the line \"row 10: ...\" (a dump has rows 0 to 10, in order)"_s;
    QTest::newRow("size without its tail")
        << u"size=726"_s << u"size=730"_s << 0 << u"size=730, but the rows and tail lines hold 726 bytes"_s;
    QTest::newRow("a non-zero byte exactly at size=") << u"size=726"_s << u"size=25"_s << 0
                                                      << u"size=25, yet byte 25 is not 0: a file that short holds "
                                                         u"nothing there (raise size= to keep it)"_s;
    QTest::newRow("a blank line among the rows") << u"row 3:"_s << u"\nrow 3:"_s << 5
                                                 << u"expected the line \"row 3: ...\" (a dump has rows 0 to 10, in "
                                                    u"order)"_s;
    QTest::newRow("a line longer than a dump's")
        << u"row 2: "_s << u"row 2: "_s + QString(70000, u' ') << 4
        << u"the line is longer than any line of a dump (65536 bytes at most)"_s;
    QTest::newRow("a short file's cells not zero") << u"size=726"_s << u"size=100"_s << 0
                                                   << u"size=100, yet byte 103 is not 0: a file that short holds "
                                                      u"nothing there (raise size= to keep it)"_s;
}

void TestKmpDump::undumpFaults()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const QString dump = dumpMapFile(mapFileBytes(showcaseGrid()));
    QVERIFY(dump.contains(from));
    QString text = dump;
    text.replace(text.indexOf(from), from.size(), to);
    const UndumpResult result = undumpMapFile(text);
    QVERIFY(!result.ok());
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.line, line);
}

void TestKmpDump::failedUndumpLeavesTheTargetAsItWas()
{
    QVERIFY(QDir().mkpath(u"undump"_s));
    const QByteArray old = mapFileBytes(showcaseGrid());
    QVERIFY(writeFile(u"undump/target.kmp"_s, old));
    QVERIFY(writeFile(u"broken.txt"_s, dumpMapFile(old).left(300).toUtf8()));
    const KmpRun run = runKmpHere({u"undump"_s, u"broken.txt"_s, u"undump/target.kmp"_s});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, u"kmp undump: broken.txt:3: row 1 has 8 cells; a row has 16\n"_s);
    QCOMPARE(readFile(u"undump/target.kmp"_s), old);
    QCOMPARE(QDir(u"undump"_s).entryList(QDir::Files), QStringList{u"target.kmp"_s}); // no temporary left
}

void TestKmpDump::diffNamesEveryField_data()
{
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<QString>("lines");
    const QByteArray base = mapFileBytes(showcaseGrid()) + QByteArray(40, 'T');
    const auto with = [&base](int offset, char value) { return QByteArray(base).replace(offset, 1, &value, 1); };
    const auto cell = [](int x, int y, int layer) { return 22 + 4 * (x + 16 * y) + layer; };
    QTest::newRow("signature") << with(3, 0x13) << u"signature: 0x12345678 -> 0x13345678"_s;
    QTest::newRow("version") << with(4, 3) << u"version: 2 -> 3"_s;
    QTest::newRow("MaxX") << with(9, 1) << u"MaxX: 15 -> 16777231"_s;
    QTest::newRow("MaxY") << with(10, 11) << u"MaxY: 10 -> 11"_s;
    QTest::newRow("reserved") << with(21, char(0x80))
                              << u"reserved: 00 00 00 00 00 00 00 00 -> 00 00 00 00 00 00 00 80"_s;
    QTest::newRow("terrain") << with(cell(15, 10, 0), 8) << u"cell (15, 10) terrain: Water -> Ice"_s;
    QTest::newRow("layer 1") << with(cell(0, 0, 1), 0) << u"cell (0, 0) layer 1: sprite 1 -> empty"_s;
    QTest::newRow("layer 2") << with(cell(3, 5, 2), 9) << u"cell (3, 5) layer 2: sprite 7 -> sprite 9"_s;
    QTest::newRow("layer 3") << with(cell(15, 10, 3), 5) << u"cell (15, 10) layer 3: empty -> sprite 5"_s;
    QTest::newRow("tail byte") << with(726 + 39, 'U')
                               << u"bytes past 726: 40 -> 40 bytes, the first difference at offset 765"_s;
    QTest::newRow("tail shorter") << base.left(730)
                                  << u"size: 766 -> 730 bytes\nbytes past 726: 40 -> 4 bytes, the first difference "
                                     u"at offset 730"_s;
}

void TestKmpDump::diffNamesEveryField()
{
    QFETCH(QByteArray, changed);
    QFETCH(QString, lines);
    QVERIFY(writeFile(u"a.kmp"_s, mapFileBytes(showcaseGrid()) + QByteArray(40, 'T')));
    QVERIFY(writeFile(u"b.kmp"_s, changed));
    const KmpRun run = runKmpHere({u"diff"_s, u"a.kmp"_s, u"b.kmp"_s});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, lines + u'\n');
}

QTEST_GUILESS_MAIN(TestKmpDump)
#include "tst_kmp_dump.moc"
