// What kmp writes: never over its own inputs or the game's files, never a file
// of another kind without --force, OUT.png named as a picture, and a clean
// failure past a file-size limit.
#include "KmpTestSupport.h"
#include "DumpFormat.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n");
const QByteArray Notes("notes, not a map\n");

// shared/ open to all (01777) with notes.kmp -> ../notes.txt, a link of
// another user where root can make one.
bool sharedFolderWithStrangersLink(const QString &shared)
{
    const QByteArray link = QFile::encodeName(shared + u"/notes.kmp"_s);
    return QDir().mkdir(shared) && ::chmod(QFile::encodeName(shared).constData(), 01777) == 0
        && ::symlink("../notes.txt", link.constData()) == 0
        && (::geteuid() != 0 || ::lchown(link.constData(), 12345, 12345) == 0);
}

// A folder with a.kmp, b.kmp and map.png (maps), old.png, notes.txt, a.txt
// (a's dump) and same.kmp (a hard link to a.kmp).
bool makeFiles(const QString &folder)
{
    const QDir dir(folder);
    return writeFile(dir.filePath(u"a.kmp"_s), newMapBytes())
        && writeFile(dir.filePath(u"b.kmp"_s), mapFileBytes(showcaseGrid()))
        && writeFile(dir.filePath(u"map.png"_s), newMapBytes())
        && writeFile(dir.filePath(u"old.png"_s), PngSignature + "old") && writeFile(dir.filePath(u"notes.txt"_s), Notes)
        && writeFile(dir.filePath(u"a.txt"_s), kmp::dumpMapFile(newMapBytes()).toUtf8())
        && ::link(QFile::encodeName(dir.filePath(u"a.kmp"_s)).constData(),
                  QFile::encodeName(dir.filePath(u"same.kmp"_s)).constData())
        == 0
        && sharedFolderWithStrangersLink(dir.filePath(u"shared"_s));
}

} // namespace

class TestKmpOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void outputRule_data();
    void outputRule();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void newlinesAloneAreRefusedInLittleMemory();
    void largeTailRoundTripsInLittleMemory();

private:
    QTemporaryDir m_config;
    std::unique_ptr<GameFolder> m_game;
};

void TestKmpOutput::initTestCase()
{
    QVERIFY(m_config.isValid());
    m_game = std::make_unique<GameFolder>(1, 3);
}

void TestKmpOutput::outputRule_data()
{
    QTest::addColumn<QStringList>("arguments"); // GAME/ stands for the game folder, given to every render
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");      // a part of the error output
    QTest::addColumn<QString>("target");   // the file written, or kept as it was
    QTest::addColumn<QByteArray>("start"); // what the target starts with afterwards; empty: unchanged
    const QString notPng = u"does not end in .png"_s;
    const QString input = u"it is one of this command's inputs"_s;
    const QByteArray map = newMapBytes().left(6);
    QTest::newRow("render over a map named as the output")
        << QStringList{u"render"_s, u"a.kmp"_s, u"b.kmp"_s} << 64 << notPng << u"b.kmp"_s << QByteArray();
    QTest::newRow("render to a new picture")
        << QStringList{u"render"_s, u"a.kmp"_s, u"new.png"_s} << 0 << QString() << u"new.png"_s << PngSignature;
    QTest::newRow("render over a picture")
        << QStringList{u"render"_s, u"a.kmp"_s, u"old.png"_s} << 0 << QString() << u"old.png"_s << PngSignature + '\0';
    QTest::newRow("render -o over a map") << QStringList{u"render"_s, u"-o"_s, u"b.kmp"_s, u"a.kmp"_s} << 2
                                          << u"b.kmp: it is a map, and kmp does not replace it with a picture (give "
                                             u"--force to replace it)"_s
                                          << u"b.kmp"_s << QByteArray();
    QTest::newRow("render -o --force over a map")
        << QStringList{u"render"_s, u"--force"_s, u"-o"_s, u"b.kmp"_s, u"a.kmp"_s} << 0 << QString() << u"b.kmp"_s
        << PngSignature;
    QTest::newRow("render over a text") << QStringList{u"render"_s, u"-o"_s, u"notes.txt"_s, u"a.kmp"_s} << 2
                                        << u"it is neither a map nor a picture"_s << u"notes.txt"_s << QByteArray();
    QTest::newRow("render over its map, forced")
        << QStringList{u"render"_s, u"--force"_s, u"-o"_s, u"a.kmp"_s, u"a.kmp"_s} << 2 << input << u"a.kmp"_s
        << QByteArray();
    QTest::newRow("render over a hard link to its map")
        << QStringList{u"render"_s, u"--force"_s, u"-o"_s, u"same.kmp"_s, u"a.kmp"_s} << 2 << input << u"a.kmp"_s
        << QByteArray();
    QTest::newRow("render over the catalogue")
        << QStringList{u"render"_s, u"--force"_s, u"--game"_s, u"GAME/"_s, u"-o"_s, u"GAME/tileset.dat"_s, u"a.kmp"_s}
        << 2 << input << u"GAME/tileset.dat"_s << QByteArray();
    QTest::newRow("render over a sprite's picture")
        << QStringList{u"render"_s, u"--force"_s, u"--game"_s, u"GAME/"_s, u"-o"_s, u"GAME/sprite2.bmp"_s, u"a.kmp"_s}
        << 2 << input << u"GAME/sprite2.bmp"_s << QByteArray();
    QTest::newRow("render a map named .png over a map")
        << QStringList{u"render"_s, u"a.kmp"_s, u"map.png"_s} << 2 << u"it is a map"_s << u"map.png"_s << QByteArray();
    QTest::newRow("render into a folder over its map")
        << QStringList{u"render"_s,    u"--force"_s, u"--layer"_s, u"0"_s,
                       u"--out-dir"_s, u"."_s,       u"map.png"_s, u"b.kmp"_s}
        << 2 << input << u"map.png"_s << QByteArray();
    QTest::newRow("the next map in the folder is drawn")
        << QStringList{u"render"_s,    u"--force"_s, u"--layer"_s, u"0"_s,
                       u"--out-dir"_s, u"."_s,       u"map.png"_s, u"b.kmp"_s}
        << 2 << input << u"b.png"_s << PngSignature;
    QTest::newRow("-o and --out-dir") << QStringList{u"render"_s,    u"-o"_s, u"x.png"_s,
                                                     u"--out-dir"_s, u"."_s,  u"a.kmp"_s}
                                      << 64 << u"give either -o FILE or --out-dir DIR"_s << u"x.png"_s << QByteArray();
    QTest::newRow("undump over a map") << QStringList{u"undump"_s, u"a.txt"_s, u"b.kmp"_s} << 0 << QString()
                                       << u"b.kmp"_s << newMapBytes();
    QTest::newRow("undump -o") << QStringList{u"undump"_s, u"-o"_s, u"new.kmp"_s, u"a.txt"_s} << 0 << QString()
                               << u"new.kmp"_s << newMapBytes();
    QTest::newRow("undump over a text") << QStringList{u"undump"_s, u"a.txt"_s, u"notes.txt"_s} << 2
                                        << u"notes.txt: it is neither a map nor a picture, and kmp does not replace it "
                                           u"with a map (give --force to replace it)"_s
                                        << u"notes.txt"_s << QByteArray();
    QTest::newRow("undump through another user's link")
        << QStringList{u"undump"_s, u"a.txt"_s, u"shared/notes.kmp"_s} << 2 << u"which another user owns"_s
        << u"notes.txt"_s << QByteArray();
    QTest::newRow("undump --force over a text") << QStringList{u"undump"_s, u"--force"_s, u"a.txt"_s, u"notes.txt"_s}
                                                << 0 << QString() << u"notes.txt"_s << map;
    QTest::newRow("undump over its text")
        << QStringList{u"undump"_s, u"--force"_s, u"a.txt"_s, u"a.txt"_s} << 2 << input << u"a.txt"_s << QByteArray();
    QTest::newRow("undump to the standard output")
        << QStringList{u"undump"_s, u"a.txt"_s, u"-"_s} << 64 << u"cannot be written here: give a file"_s << u"-"_s
        << QByteArray();
    QTest::newRow("new over a map") << QStringList{u"new"_s, u"-o"_s, u"b.kmp"_s} << 2 << u"it exists already"_s
                                    << u"b.kmp"_s << QByteArray();
    QTest::newRow("new -o") << QStringList{u"new"_s, u"-o"_s, u"fresh.kmp"_s} << 0 << QString() << u"fresh.kmp"_s
                            << map;
}

void TestKmpOutput::outputRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(QString, target);
    QFETCH(QByteArray, start);
    if (arguments.contains(u"shared/notes.kmp"_s) && ::geteuid() != 0)
        QSKIP("only root can make a link another user owns");
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && makeFiles(dir.path()));
    if (arguments.first() == u"render"_s && !arguments.contains(u"--game"_s))
        arguments.insert(1, u"--game=GAME/"_s);
    arguments.replaceInStrings(u"GAME/"_s, m_game->folder);
    target.replace(u"GAME/"_s, m_game->folder);
    const QString targetPath = QDir(dir.path()).absoluteFilePath(target);
    const QByteArray before = readFile(targetPath);

    const KmpRun run = runKmpProgram(arguments, dir.path(), m_config.path());
    QCOMPARE(run.status, status);
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
    if (start.isEmpty())
        QCOMPARE(readFile(targetPath), before);
    else
        QVERIFY(readFile(targetPath).startsWith(start));
}

void TestKmpOutput::fileSizeLimit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("new") << QStringList{u"new"_s, u"out.kmp"_s};
    QTest::newRow("render") << QStringList{u"render"_s, u"--layer"_s, u"0"_s, u"a.kmp"_s, u"out.png"_s};
    QTest::newRow("undump") << QStringList{u"undump"_s, u"a.txt"_s, u"out.kmp"_s};
}

void TestKmpOutput::fileSizeLimit()
{
    QFETCH(QStringList, arguments);
    if (arguments.contains(u"shared/notes.kmp"_s) && ::geteuid() != 0)
        QSKIP("only root can make a link another user owns");
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && makeFiles(dir.path()));
    const QStringList inputs = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    // Smaller than any map or picture: the first write past it fails.
    const KmpRun run = runKmpProgram(arguments, dir.path(), m_config.path(), {}, [] {
        const rlimit small{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.startsWith(u"kmp %1: out."_s.arg(arguments[0])), qPrintable(run.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), inputs);
}

void TestKmpOutput::newlinesAloneAreRefusedInLittleMemory()
{
#ifdef KMP_SANITIZED_BUILD
    QSKIP("the sanitizers' shadow memory makes a memory ceiling meaningless");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(u"newlines.txt"_s), QByteArray(64 * 1024 * 1024, '\n')));
    // Far below the input's size times the bytes a line would take in memory.
    const KmpRun run =
        runKmpProgram({u"undump"_s, u"newlines.txt"_s, u"out.kmp"_s}, dir.path(), m_config.path(), {}, [] {
            const rlimit ceiling{96 << 20, 96 << 20};
            ::setrlimit(RLIMIT_DATA, &ceiling);
        });
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, u"kmp undump: newlines.txt: the text is empty\n"_s);
    QVERIFY(!QFile::exists(dir.filePath(u"out.kmp"_s)));
}

void TestKmpOutput::largeTailRoundTripsInLittleMemory()
{
#ifdef KMP_SANITIZED_BUILD
    QSKIP("the sanitizers' shadow memory makes a memory ceiling meaningless");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Past the 16 MiB kmp reads whole; sparse but for its ends.
    const qint64 size = MapFileSize + (qint64(20) << 20) + 5;
    QFile big(dir.filePath(u"big.kmp"_s));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(newMapBytes()) == MapFileSize);
    QVERIFY(big.seek(size - 1) && big.putChar('\x7f'));
    big.close();
    const auto ceiling = [] {
        const rlimit limit{64 << 20, 64 << 20};
        ::setrlimit(RLIMIT_DATA, &limit);
    };
    const KmpRun dumped = runKmpProgram({u"-c"_s, u"exec \"$0\" dump big.kmp > big.txt"_s}, dir.path(), m_config.path(),
                                        {}, ceiling, u"/bin/sh"_s);
    QCOMPARE(dumped.status, 0);
    const KmpRun undumped =
        runKmpProgram({u"undump"_s, u"big.txt"_s, u"back.kmp"_s}, dir.path(), m_config.path(), {}, ceiling);
    QCOMPARE(undumped.status, 0);
    QCOMPARE(readFile(dir.filePath(u"back.kmp"_s)), readFile(big.fileName()));
}

QTEST_GUILESS_MAIN(TestKmpOutput)
#include "tst_kmp_output.moc"
