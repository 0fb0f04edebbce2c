#include "catalogue/Catalogue.h"
#include "catalogue/PicturePrefetch.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

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
        return prefetch.decoded(path).value_or(PictureReadResult{{PictureReadStatus::Unreadable, u"not decoded"_s}, {}});
    });
    QVERIFY(result.ok());
    QVERIFY(asked.size() >= 16);
    for (const QString &path : asked)
        QCOMPARE(prefetch.decoded(path).value().picture, loadPictureFile(path).picture);
    QVERIFY(!prefetch.decoded(sample + QStringLiteral("not-listed.bmp")));
}

void TestPrefetch::stopsWhereTheLoadStops()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(writeSolidBmp(folder + u"a.bmp"_s, 40, 40, Qt::red));
    QVERIFY(writeSolidBmp(folder + u"c.bmp"_s, 40, 40, Qt::blue));
    QVERIFY(writeFile(folder + u"tileset.dat"_s, "1=a.bmp\r\n2=missing.bmp\r\n3=c.bmp\r\n"));
    PicturePrefetch prefetch(folder);
    QCOMPARE(prefetch.decoded(folder + u"a.bmp"_s).value().picture.pixel(0, 0), QColor(Qt::red).rgb());
    QCOMPARE(prefetch.decoded(folder + u"missing.bmp"_s).value().status, PictureReadStatus::Unreadable);
    QVERIFY(!prefetch.decoded(folder + u"c.bmp"_s)); // after the failure: never decoded

    PicturePrefetch nowhere(folder + u"absent/"_s);
    QVERIFY(!nowhere.decoded(folder + u"a.bmp"_s));
}

QTEST_GUILESS_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
