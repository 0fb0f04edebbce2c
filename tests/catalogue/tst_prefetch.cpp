#include "Catalogue.h"
#include "PicturePrefetch.h"
#include "support/TestFiles.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <system_error>
#include <thread>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestPrefetch : public QObject {
    Q_OBJECT
private slots:
    void decodesWhatTheLoadWouldDecode();
    void stopsWhereTheLoadStops();
    void handsOverTheWholeLoadOnce();
    void withoutAThreadNothingIsDecodedAhead();
    void allocationLimitIsSetBeforeTheWorkerStarts();
};

void TestPrefetch::decodesWhatTheLoadWouldDecode()
{
    const QString sample = qEnvironmentVariable("KESTRUN_SOURCE_DIR") + QStringLiteral("/sample/");
    PicturePrefetch prefetch(sample);
    SpriteTable sprites;
    QStringList asked;
    const CatalogueLoadResult result = loadCatalogue(sample, sprites, [&](const QString &path) {
        asked << path;
        return prefetch.decoded(path).value_or(
            PictureReadResult{{PictureReadStatus::Unreadable, u"not decoded"_s}, {}});
    });
    QVERIFY(result.ok());
    QVERIFY(asked.size() >= 16);
    for (const QString &path : asked)
        QCOMPARE(prefetch.decoded(path).value().picture, loadPictureFile(path).picture);
    QVERIFY(!prefetch.decoded(sample + QStringLiteral("not-listed.bmp")));
}

void TestPrefetch::handsOverTheWholeLoadOnce()
{
    const QString sample = qEnvironmentVariable("KESTRUN_SOURCE_DIR") + QStringLiteral("/sample/");
    PicturePrefetch prefetch(sample);
    SpriteTable handed, loaded;
    QVERIFY(!prefetch.load(sample + u"other/"_s, handed));
    const std::optional<CatalogueLoadResult> result = prefetch.load(sample, handed);
    QVERIFY(result && result->ok());
    QCOMPARE(result->listEntries, loadCatalogue(sample, loaded, loadPictureFile).listEntries);
    for (int slot = 0; slot < SpriteTable::SlotCount; ++slot) {
        QCOMPARE(handed[std::uint8_t(slot)].FileName, loaded[std::uint8_t(slot)].FileName);
        QCOMPARE(handed.block(std::uint8_t(slot)), loaded.block(std::uint8_t(slot)));
    }
    QVERIFY(!prefetch.load(sample, handed));
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

void TestPrefetch::withoutAThreadNothingIsDecodedAhead()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(writeSolidBmp(folder + u"a.bmp"_s, 40, 40, Qt::red));
    QVERIFY(writeFile(folder + u"tileset.dat"_s, "1=a.bmp\r\n"));

    // A child process that may start no thread: an unprivileged user held
    // to no more processes than it has (root is never held).
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        constexpr uid_t Nobody = 65534;
        const rlimit none{0, 0};
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(77);
        if (::setrlimit(RLIMIT_NPROC, &none) != 0)
            ::_exit(77);
        try {
            std::thread([] {}).join();
            ::_exit(78); // the limit does not hold here
        } catch (const std::system_error &) {
        }
        PicturePrefetch prefetch(folder);
        ::_exit(prefetch.decoded(folder + u"a.bmp"_s) ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the prefetch let the failure to start a thread escape");
    if (WEXITSTATUS(status) == 77)
        QSKIP("Cannot drop root to an unprivileged user here.");
    if (WEXITSTATUS(status) == 78)
        QSKIP("The limit on processes does not stop threads here.");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestPrefetch::allocationLimitIsSetBeforeTheWorkerStarts()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(writeFile(folder + u"tileset.dat"_s, "1=a.bmp\r\n"));
    applyPictureAllocationLimit();
    const int pictureLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(pictureLimit + 1);
    PicturePrefetch prefetch(folder);
    // Read at once, while the worker may still be running: a limit set
    // by the worker would not be there yet, or be a race.
    QCOMPARE(QImageReader::allocationLimit(), pictureLimit);
}

QTEST_GUILESS_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
