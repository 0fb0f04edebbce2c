// kmp set and kmp replace: what changes in place, what must not, and the
// exit statuses.
#include "KmpTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Tail("TAIL");

// a.kmp (a new map, a tail), b.kmp (the showcase), link.kmp -> a.kmp, notes.txt.
bool makeMaps()
{
    return writeFile(u"a.kmp"_s, newMapBytes() + Tail) && writeFile(u"b.kmp"_s, mapFileBytes(showcaseGrid()))
        && QFile::link(u"a.kmp"_s, u"link.kmp"_s) && writeFile(u"notes.txt"_s, "notes\n");
}

// Cell (3, 4) of a.kmp: terrain.sprite1.sprite2.sprite3 as bytes.
QByteArray cellOfA()
{
    return readFile(u"a.kmp"_s).mid(MapHeaderSize + 4 * (3 + 16 * 4), 4);
}

} // namespace

class TestKmpEdit : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid() && QDir::setCurrent(m_dir->path()) && makeMaps());
    }
    void edits_data();
    void edits();
    void aFailedWriteLeavesTheOthersWritten();

private:
    std::unique_ptr<QTemporaryDir> m_dir; // a fresh folder for each row
};

void TestKmpEdit::edits_data()
{
    QTest::addColumn<QStringList>("arguments"); // GAME/ stands for a game listing sprites 1 to 3
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");  // a part of stdout and stderr together
    QTest::addColumn<QByteArray>("cell"); // a.kmp's cell (3, 4) afterwards
    const QByteArray before("\x01\x01\x00\x00", 4);
    QTest::newRow("set a sprite") << QStringList{u"set"_s, u"a.kmp"_s, u"3"_s, u"4"_s, u"2"_s, u"9"_s} << 0 << QString()
                                  << QByteArray("\x01\x01\x09\x00", 4);
    QTest::newRow("set 0 erases") << QStringList{u"set"_s, u"link.kmp"_s, u"3"_s, u"4"_s, u"1"_s, u"0"_s} << 0
                                  << QString() << QByteArray("\x01\x00\x00\x00", 4);
    QTest::newRow("set undrawn terrain") << QStringList{u"set"_s, u"a.kmp"_s, u"3"_s, u"4"_s, u"0"_s, u"3"_s} << 0
                                         << u"warning: a.kmp: cell (3, 4) layer 0: terrain code 3 is none"_s
                                         << QByteArray("\x03\x01\x00\x00", 4);
    QTest::newRow("set unlisted sprite") << QStringList{u"set"_s, u"--game"_s, u"GAME/"_s, u"a.kmp"_s,
                                                        u"3"_s,   u"4"_s,      u"1"_s,     u"4"_s}
                                         << 0 << u"sprite 4 is not in the game's catalogue"_s
                                         << QByteArray("\x01\x04\x00\x00", 4);
    QTest::newRow("set X out of range") << QStringList{u"set"_s, u"a.kmp"_s, u"16"_s, u"4"_s, u"1"_s, u"1"_s} << 64
                                        << u"X is \"16\"; it takes 0 to 15"_s << before;
    QTest::newRow("set 256") << QStringList{u"set"_s, u"a.kmp"_s, u"3"_s, u"4"_s, u"1"_s, u"256"_s} << 64
                             << u"VALUE is \"256\""_s << before;
    QTest::newRow("set in a text") << QStringList{u"set"_s, u"notes.txt"_s, u"3"_s, u"4"_s, u"1"_s, u"1"_s} << 2
                                   << u"notes.txt: Not valid map file"_s << before;
    QTest::newRow("swap") << QStringList{u"replace"_s, u"--sprite"_s, u"1=2"_s,  u"--sprite"_s,
                                         u"2=1"_s,     u"a.kmp"_s,    u"b.kmp"_s}
                          << 0 << u"a.kmp: 176 cells changed\nb.kmp: 88 cells changed\n"_s
                          << QByteArray("\x01\x02\x00\x00", 4);
    QTest::newRow("a map twice and through a link")
        << QStringList{u"replace"_s, u"--terrain"_s, u"1=4"_s, u"a.kmp"_s, u"link.kmp"_s, u"a.kmp"_s} << 0
        << u"a.kmp: 176 cells changed\n"_s << QByteArray("\x04\x01\x00\x00", 4);
    QTest::newRow("another layer only") << QStringList{u"replace"_s,  u"--layer"_s, u"2"_s,
                                                       u"--sprite"_s, u"1=5"_s,     u"a.kmp"_s}
                                        << 0 << u"a.kmp: 0 cells changed\n"_s << before;
    QTest::newRow("the same OLD twice") << QStringList{u"replace"_s,  u"--sprite"_s, u"1=2"_s,
                                                       u"--sprite"_s, u"1=3"_s,      u"a.kmp"_s}
                                        << 64 << u"--sprite gives 1 twice"_s << before;
    QTest::newRow("dry run") << QStringList{u"replace"_s,  u"--dry-run"_s, u"--json"_s,
                                            u"--sprite"_s, u"1=0"_s,       u"a.kmp"_s}
                             << 0 << u"\"cells\": 176"_s << before;
    QTest::newRow("one map unreadable") << QStringList{u"replace"_s, u"--sprite"_s, u"1=0"_s, u"a.kmp"_s,
                                                       u"notes.txt"_s}
                                        << 2 << u"no map was changed"_s << before;
}

void TestKmpEdit::edits()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QByteArray, cell);
    const GameFolder game(1, 3);
    arguments.replaceInStrings(u"GAME/"_s, game.folder);
    const QByteArray showcase = readFile(u"b.kmp"_s);
    const KmpRun run = runKmpHere(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(output.isEmpty() ? run.out.isEmpty() && run.err.isEmpty() : (run.out + run.err).contains(output),
             qPrintable(run.out + run.err));
    QCOMPARE(cellOfA(), cell);
    // Tails and links kept; a map left unchanged keeps its bytes.
    QVERIFY(readFile(u"a.kmp"_s).endsWith(Tail) && QFileInfo(u"link.kmp"_s).isSymLink());
    QCOMPARE(readFile(u"b.kmp"_s) != showcase, run.out.contains(u"b.kmp: 88 cells changed"_s));
}

void TestKmpEdit::aFailedWriteLeavesTheOthersWritten()
{
    const int fd = ::open("b.kmp", O_RDONLY);
    int flags = FS_IMMUTABLE_FL;
    const bool immutable = fd >= 0 && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (!immutable) {
        ::close(fd);
        QSKIP("this file system or user cannot make a file immutable");
    }
    const KmpRun run = runKmpHere({u"replace"_s, u"--sprite"_s, u"1=2"_s, u"b.kmp"_s, u"a.kmp"_s});
    flags = 0;
    QVERIFY(::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.startsWith(u"kmp replace: b.kmp: "_s), qPrintable(run.err));
    QVERIFY2(run.out.contains(u"b.kmp: 44 cells would change, not written\na.kmp: 176 cells changed"_s),
             qPrintable(run.out));
    QCOMPARE(cellOfA(), QByteArray("\x01\x02\x00\x00", 4));
    QCOMPARE(readFile(u"b.kmp"_s), mapFileBytes(showcaseGrid()));
}

QTEST_GUILESS_MAIN(TestKmpEdit)
#include "tst_kmp_edit.moc"
