#include "catalogue/Catalogue.h"
#include "catalogue/PicturePrefetch.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;

class TestPrefetch : public QObject {
    Q_OBJECT
private slots:
    void decodesWhatTheLoadWouldDecode();
    void stopsWhereTheLoadStops();
};

void TestPrefetch::decodesWhatTheLoadWouldDecode()
{
    const QString sample = qEnvironmentVariable("KESTRUN_SOURCE_DIR") + QStringLiteral("/sample/");
    PicturePrefetch prefetch(sample);
    SpriteTable sprites;
    QStringList asked;
    const CatalogueLoadResult result = loadCatalogue(sample, sprites, [&](const QString &path) {
        asked << path;
        return prefetch.take(path).value_or(PictureReadResult{{PictureReadStatus::Unreadable, "not decoded"}, {}});
    });
    QVERIFY(result.ok());
    QVERIFY(asked.size() >= 16);
    for (const QString &path : asked)
        QCOMPARE(prefetch.take(path).value().picture, loadPictureFile(path).picture);
    QVERIFY(!prefetch.take(sample + QStringLiteral("not-listed.bmp")));
}

void TestPrefetch::stopsWhereTheLoadStops()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(writeSolidBmp(folder + "a.bmp", 40, 40, Qt::red));
    QVERIFY(writeSolidBmp(folder + "c.bmp", 40, 40, Qt::blue));
    QVERIFY(writeFile(folder + "tileset.dat", "1=a.bmp\r\n2=missing.bmp\r\n3=c.bmp\r\n"));
    PicturePrefetch prefetch(folder);
    QCOMPARE(prefetch.take(folder + "a.bmp").value().picture.pixel(0, 0), QColor(Qt::red).rgb());
    QCOMPARE(prefetch.take(folder + "missing.bmp").value().status, PictureReadStatus::Unreadable);
    QVERIFY(!prefetch.take(folder + "c.bmp")); // after the failure: never decoded

    PicturePrefetch nowhere(folder + "absent/");
    QVERIFY(!nowhere.take(folder + "a.bmp"));
}

QTEST_GUILESS_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
