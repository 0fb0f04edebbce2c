// kmp info: golden outputs, as text and as JSON, for maps the editor loads and
// for files it refuses.
#include "KmpTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestKmpInfo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void golden_data();
    void golden();
    void jsonCountsEveryCell();
    void unreadableFilesAreNamedAndTheRestDescribed();

private:
    QTemporaryDir m_dir;
};

void TestKmpInfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Relative names keep the golden outputs free of temporary paths.
    QVERIFY(QDir::setCurrent(m_dir.path()));
    MapHeader odd = currentMapHeader();
    odd.MaxX = -1;
    odd.MaxY = 300;
    odd.Reserved = {0, 1, 2, 3, 0xfd, 0xfe, 0xff, 0};
    MapHeader wrongVersion = currentMapHeader();
    wrongVersion.Version = 3;
    QVERIFY(writeFile(u"showcase.kmp"_s, mapFileBytes(showcaseGrid())));
    QVERIFY(writeFile(u"odd-header.kmp"_s, mapFileBytes(showcaseGrid(), odd) + QByteArray(10, 'x')));
    QVERIFY(writeFile(u"short.kmp"_s, mapFileBytes(showcaseGrid()).left(100)));
    QVERIFY(writeFile(u"wrong-version.kmp"_s, mapFileBytes(showcaseGrid(), wrongVersion)));
    QVERIFY(writeFile(u"not-a-map.kmp"_s, "PNG and other things"));
}

void TestKmpInfo::golden_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("goldenFile");
    const QStringList all{u"showcase.kmp"_s, u"odd-header.kmp"_s, u"short.kmp"_s, u"wrong-version.kmp"_s,
                          u"not-a-map.kmp"_s};
    QTest::newRow("text") << (QStringList{u"info"_s} + all) << u"info.txt"_s;
    QTest::newRow("json") << (QStringList{u"info"_s, u"--json"_s} + all) << u"info.json"_s;
}

void TestKmpInfo::golden()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, goldenFile);
    const KmpRun run = runKmpHere(arguments);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    QVERIFY2(matchesGolden(goldenFile, run.out), qPrintable(run.out));
}

void TestKmpInfo::jsonCountsEveryCell()
{
    // Whatever the content, each layer's counts add up to the 176 cells.
    const KmpRun run = runKmpHere({u"info"_s, u"--json"_s, u"showcase.kmp"_s});
    const QJsonObject map = QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject();
    int terrainCells = 0;
    for (const QJsonValue entry : map[u"terrain"_s].toArray())
        terrainCells += entry[u"cells"_s].toInt();
    QCOMPARE(terrainCells, 176);
    for (const QJsonValue layer : map[u"layers"_s].toArray()) {
        int cells = layer[u"empty"_s].toInt();
        for (const QJsonValue sprite : layer[u"sprites"_s].toArray())
            cells += sprite[u"cells"_s].toInt();
        QCOMPARE(cells, 176);
    }
}

void TestKmpInfo::unreadableFilesAreNamedAndTheRestDescribed()
{
    const KmpRun run = runKmpHere({u"info"_s, u"missing.kmp"_s, u"showcase.kmp"_s, u"."_s});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, u"kmp info: missing.kmp: No such file or directory\nkmp info: .: it is a folder, not a file\n"_s);
    QVERIFY(run.out.startsWith(u"file: showcase.kmp\n"_s));
}

QTEST_GUILESS_MAIN(TestKmpInfo)
#include "tst_kmp_info.moc"
