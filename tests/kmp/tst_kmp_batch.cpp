// kmp over many maps: the same results whatever -j is, a broken map never
// stopping the rest, the progress count, and - as the standard streams.
#include "KmpTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestKmpBatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void resultsDoNotDependOnJobs_data();
    void resultsDoNotDependOnJobs();
    void progressOnlyWhereAsked_data();
    void progressOnlyWhereAsked();
    void standardStreams_data();
    void standardStreams();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GameFolder> m_game;
    QStringList m_maps;
};

void TestKmpBatch::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_game = std::make_unique<GameFolder>(1, 4);
    // A broken map first, then good, unlisted-sprite, missing and short maps,
    // so the order of the output shows.
    QVERIFY(writeFile(u"broken.kmp"_s, "not a map"));
    m_maps << u"broken.kmp"_s;
    for (int i = 0; i < 12; ++i) {
        MapGrid grid = showcaseGrid();
        grid.setCell(i % 16, 3, MapCell{1, std::uint8_t(i % 3 == 0 ? 30 + i : 2), 0, 0});
        const QString name = u"level%1.kmp"_s.arg(i);
        QVERIFY(writeFile(name, i == 5 ? mapFileBytes(grid).left(400) : mapFileBytes(grid)));
        m_maps << name;
        if (i == 7)
            m_maps << u"missing.kmp"_s;
    }
}

void TestKmpBatch::resultsDoNotDependOnJobs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::newRow("check") << QStringList{u"check"_s} << 2;
    QTest::newRow("check --json") << QStringList{u"check"_s, u"--json"_s} << 2;
    QTest::newRow("check --quiet") << QStringList{u"check"_s, u"--quiet"_s} << 2;
    QTest::newRow("usage --json") << QStringList{u"usage"_s, u"--json"_s} << 2;
    QTest::newRow("gallery") << QStringList{u"gallery"_s, u"--size"_s, u"64"_s, u"--out-dir"_s, u"out"_s} << 2;
    QTest::newRow("render --out-dir") << QStringList{u"render"_s, u"--size"_s, u"64"_s, u"--out-dir"_s, u"out"_s} << 2;
    QTest::newRow("replace --dry-run") << QStringList{u"replace"_s, u"--dry-run"_s, u"--sprite"_s,
                                                      u"2=3"_s,     u"--terrain"_s, u"16=8"_s}
                                       << 2;
}

void TestKmpBatch::resultsDoNotDependOnJobs()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QMap<QString, QByteArray> firstPictures;
    KmpRun first;
    for (const int jobs : {1, 2, 5, 32}) {
        QDir(u"out"_s).removeRecursively();
        const QStringList game =
            arguments.constFirst() == u"replace"_s ? QStringList{} : QStringList{u"--game"_s, m_game->folder};
        const QStringList command = arguments + game + QStringList{u"-j"_s, QString::number(jobs)} + m_maps;
        const KmpRun run = runKmpHere(command);
        QCOMPARE(run.status, status);
        QMap<QString, QByteArray> pictures;
        for (QDirIterator files(u"out"_s, QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
            const QString name = files.next();
            pictures.insert(name, readFile(name));
        }
        if (jobs == 1) {
            first = run;
            firstPictures = pictures;
            continue;
        }
        QCOMPARE(run.out, first.out);
        QCOMPARE(run.err, first.err);
        QVERIFY(pictures == firstPictures);
    }
    if (arguments.constFirst() == u"render"_s) {
        // The broken and missing maps are reported in order; every other map is drawn.
        QCOMPARE(first.err,
                 u"kmp render: broken.kmp: Not valid map file\n"
                 u"kmp render: missing.kmp: No such file or directory\n"_s);
        QCOMPARE(firstPictures.size(), 12);
    } else if (arguments.contains(u"--quiet"_s)) {
        QVERIFY(!first.out.contains(u": warning: "_s));
        QVERIFY(
            first.out.contains(u"level0.kmp: error: cell (0, 3) layer 1: sprite 30 is not in the game's catalogue"_s));
    } else if (arguments == QStringList{u"check"_s}) {
        QVERIFY(first.out.contains(u"level5.kmp: warning: the file is 400 bytes"_s));
        // Sprite 200 of the diagonal is unlisted: 11 cells a map, 5 in the short one.
        QVERIFY2(first.out.contains(u"\nsprite 200 is not in the catalogue: 126 cells in 12 maps\n"_s),
                 qPrintable(first.out.right(400)));
    }
}

void TestKmpBatch::progressOnlyWhereAsked_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::newRow("a pipe: messages only") << QStringList{} << 2 << u"kmp render: broken.kmp: Not valid map file\n"_s;
    QTest::newRow("--no-progress") << QStringList{u"--no-progress"_s} << 2
                                   << u"kmp render: broken.kmp: Not valid map file\n"_s;
    QTest::newRow("--progress") << QStringList{u"--progress"_s} << 2
                                << u"\r0/3, 0%\x1b[K\r\x1b[Kkmp render: broken.kmp: Not valid map file\n"
                                   u"\r1/3, 33%\x1b[K\r2/3, 66%\x1b[K\r3/3, 100%\x1b[K\n"_s;
    QTest::newRow("both") << QStringList{u"--progress"_s, u"--no-progress"_s} << 64
                          << u"kmp render: give only one of --progress and --no-progress\n"
                             u"Try 'kmp render --help'.\n"_s;
    QTest::newRow("-j 0") << QStringList{u"-j"_s, u"0"_s} << 64
                          << u"kmp render: -j takes the number of maps handled at once, 1 to 256\n"
                             u"Try 'kmp render --help'.\n"_s;
}

void TestKmpBatch::progressOnlyWhereAsked()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, err);
    const KmpRun run = runKmpProgram(QStringList{u"render"_s, u"--layer"_s, u"0"_s, u"--out-dir"_s, u"progress"_s}
                                         + options + QStringList{u"broken.kmp"_s, u"level0.kmp"_s, u"level1.kmp"_s},
                                     m_dir.path(), m_dir.path());
    QCOMPARE(run.status, status);
    QCOMPARE(run.err, err);
}

void TestKmpBatch::standardStreams_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("outStart");
    const QByteArray level = readFile(u"level0.kmp"_s);
    QTest::newRow("info -") << QStringList{u"info"_s, u"-"_s} << level << u"file: -\nsize: 726 bytes\n"_s;
    QTest::newRow("dump -") << QStringList{u"dump"_s, u"-"_s} << level << u"kmp-dump 1 size=726 "_s;
    QTest::newRow("check - --quiet") << QStringList{u"check"_s, u"--quiet"_s, u"--game"_s, m_game->folder, u"-"_s}
                                     << level + "tail"
                                     // the diagonal's 11 unlisted cells in one line
                                     << u"-: error: sprite 200 is not in the catalogue: 11 cells\n"_s;
    QTest::newRow("check - of nothing") << QStringList{u"check"_s, u"--game"_s, m_game->folder, u"-"_s} << QByteArray()
                                        << u"-: error: Not valid map file\n"_s;
}

void TestKmpBatch::standardStreams()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, outStart);
    const KmpRun run = runKmpProgram(arguments, m_dir.path(), m_dir.path(), input);
    QVERIFY2(run.out.startsWith(outStart), qPrintable(run.out + run.err));

    // render's picture to the standard output is the one it writes to a file.
    QCOMPARE(
        runKmpProgram({u"render"_s, u"--layer"_s, u"0"_s, u"level0.kmp"_s, u"file.png"_s}, m_dir.path(), m_dir.path())
            .status,
        0);
    const KmpRun piped =
        runKmpProgram({u"render"_s, u"--layer"_s, u"0"_s, u"level0.kmp"_s, u"-"_s}, m_dir.path(), m_dir.path());
    QCOMPARE(piped.status, 0);
    QVERIFY(piped.outBytes == readFile(u"file.png"_s));
    QVERIFY(!QFileInfo::exists(u"-"_s));
}

QTEST_MAIN(TestKmpBatch)
#include "tst_kmp_batch.moc"
