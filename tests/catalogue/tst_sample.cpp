// The bundled sample game folder loads as a game folder should, and its level
// uses what it is meant to show.
#include "Catalogue.h"
#include "MapFile.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QSet>
#include <QTest>
#include <QtEndian>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestSample : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void catalogueLoads();
    void catalogueIsWrittenAsTheGameWritesIt();
    void picturesAre24BitBmp();
    void levelUsesEveryTerrainAndLayer();

private:
    QString m_folder;
};

void TestSample::initTestCase()
{
    const QString source = qEnvironmentVariable("KESTRUN_SOURCE_DIR");
    QVERIFY2(!source.isEmpty(), "KESTRUN_SOURCE_DIR is not set");
    m_folder = source + QStringLiteral("/sample/");
}

void TestSample::catalogueLoads()
{
    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(m_folder, sprites, loadPictureFile);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QVERIFY(result.listEntries.size() >= 16);
    // A new map shows sprite 1 everywhere: it is the plain ground.
    QCOMPARE(sprites[1].FileName, QStringLiteral("tiles\\ground.bmp"));
    QCOMPARE(result.listEntries.constFirst(), sprites[1].FileName);
    for (const QString &name : result.listEntries) {
        const int slot = sprites.findFileName(name);
        QVERIFY2(slot > 0, qPrintable(name));
        QCOMPARE(sprites[std::uint8_t(slot)].Picture.size(), QSize(40, 40));
    }
}

void TestSample::catalogueIsWrittenAsTheGameWritesIt()
{
    const QByteArray bytes = readFile(m_folder + u"tileset.dat"_s);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    QVERIFY(!bytes.contains(','));
    QVERIFY(!bytes.contains('"'));
    QVERIFY(bytes.contains('\\'));
}

void TestSample::picturesAre24BitBmp()
{
    int count = 0;
    QDirIterator it(m_folder, {u"*.bmp"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray bmp = readFile(it.next());
        QVERIFY2(bmp.size() >= 54 && bmp.startsWith("BM"), qPrintable(it.filePath()));
        QCOMPARE(qFromLittleEndian<qint32>(bmp.constData() + 18), 40); // width
        QCOMPARE(qFromLittleEndian<qint32>(bmp.constData() + 22), 40); // height
        QCOMPARE(qFromLittleEndian<quint16>(bmp.constData() + 28), quint16(24));
        ++count;
    }
    QVERIFY(count >= 16);
}

void TestSample::levelUsesEveryTerrainAndLayer()
{
    MapGrid map;
    QCOMPARE(readMapFile(m_folder + u"sample.kmp"_s, map).status, MapReadStatus::Loaded);
    SpriteTable sprites;
    QVERIFY(loadCatalogue(m_folder, sprites, loadPictureFile).ok());

    QSet<int> terrains;
    int used[4] = {0, 0, 0, 0};
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            terrains.insert(map.cell(x, y).Terrain);
            for (int layer = 1; layer <= 3; ++layer) {
                const int sprite = map.layerByte(x, y, Layer(layer));
                if (sprite == 0)
                    continue;
                ++used[layer];
                QVERIFY2(
                    !sprites[std::uint8_t(sprite)].Picture.isNull(),
                    qPrintable(QStringLiteral("cell %1,%2 layer %3: sprite %4").arg(x).arg(y).arg(layer).arg(sprite)));
            }
        }
    }
    QCOMPARE(terrains, (QSet<int>{1, 2, 4, 8, 16}));
    QCOMPARE(used[1], MapGrid::CellCount); // every cell has its surface
    QVERIFY(used[2] > 0);
    QVERIFY(used[3] > 0);
}

QTEST_GUILESS_MAIN(TestSample)
#include "tst_sample.moc"
