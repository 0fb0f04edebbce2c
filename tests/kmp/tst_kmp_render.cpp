// kmp render: pixel for pixel the editor's canvas after a full redraw, for the
// same map and game; the sizes, resampling and cell lines asked for; and whole
// pictures or none.
#include "KmpTestSupport.h"
#include "support/EditorFixture.h"
#include "support/TestFiles.h"
#include "MapCanvas.h"

#include <QDir>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

QImage picture(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Whether every pixel of `big` is the pixel of `small` it enlarges, `factor` times.
bool enlargesPixelForPixel(const QImage &small, const QImage &big, int factor)
{
    if (big.size() != small.size() * factor)
        return false;
    for (int y = 0; y < big.height(); ++y) {
        for (int x = 0; x < big.width(); ++x) {
            if (big.pixel(x, y) != small.pixel(x / factor, y / factor))
                return false;
        }
    }
    return true;
}

QSet<QRgb> colorsOf(const QImage &image)
{
    QSet<QRgb> colors;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colors.insert(image.pixel(x, y));
    }
    return colors;
}

} // namespace

class TestKmpRender : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameAsTheEditorsCanvas_data();
    void sameAsTheEditorsCanvas();
    void sizes_data();
    void sizes();
    void wholeEnlargementsKeepSharpPixels();
    void cellLines();
    void outDirDrawsEachMapUnderItsName();
    void failuresLeaveNoPicture_data();
    void failuresLeaveNoPicture();

private:
    QString render(const QStringList &options, const QString &map = u"showcase.kmp"_s);

    QTemporaryDir m_dir;
    std::unique_ptr<GameFolder> m_game;
};

void TestKmpRender::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    // Slots 1..6 are whole pictures, 7 a small one (the rest of its cell light
    // grey); the showcase's sprite 200 is listed nowhere.
    m_game = std::make_unique<GameFolder>(1, 6, "7=small.bmp\r\n");
    QVERIFY(writeSolidBmp(m_game->folder + u"small.bmp"_s, 20, 30, QColor(spriteColor(7))));
    QVERIFY(writeFile(u"showcase.kmp"_s, mapFileBytes(showcaseGrid())));
}

QString TestKmpRender::render(const QStringList &options, const QString &map)
{
    const QString out = u"out.png"_s;
    QFile::remove(out);
    const KmpRun run =
        runKmpHere(QStringList{u"render"_s, u"--game"_s, m_game->folder} + options + QStringList{map, out});
    return run.status == 0 && run.err.isEmpty() ? out : run.err;
}

void TestKmpRender::sameAsTheEditorsCanvas_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<QByteArray>("map");
    QByteArray zeroFilled = mapFileBytes(showcaseGrid()).left(300);
    for (int layer = 0; layer <= 3; ++layer) {
        QTest::addRow("showcase, layer %d", layer) << layer << mapFileBytes(showcaseGrid());
        QTest::addRow("short file, layer %d", layer) << layer << zeroFilled;
    }
}

void TestKmpRender::sameAsTheEditorsCanvas()
{
    QFETCH(int, layer);
    QFETCH(QByteArray, map);
    QVERIFY(writeFile(u"level.kmp"_s, map));

    // The editor opens the map from its command line (a full redraw of all
    // three layers), then the layer switch redraws up to the chosen layer.
    Editor editor({m_dir.filePath(u"level.kmp"_s)}, m_game->folder);
    if (layer != 3)
        editor.window->cmdLayer_Click(layer);
    const QImage canvas = inside(*editor.window).picMap->image().convertToFormat(QImage::Format_RGB32);

    const QString out = render({u"--layer"_s, QString::number(layer)}, u"level.kmp"_s);
    QCOMPARE(out, u"out.png"_s);
    const QImage drawn = picture(out);
    QCOMPARE(drawn.size(), QSize(642, 440));
    QVERIFY(drawn == canvas);
}

void TestKmpRender::sizes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");
    QTest::newRow("default") << QStringList{} << QSize(642, 440);
    QTest::newRow("tilesize 20") << QStringList{u"--tilesize"_s, u"20"_s} << QSize(321, 220);
    QTest::newRow("tilesize 8") << QStringList{u"--tilesize"_s, u"8"_s} << QSize(128, 88);
    QTest::newRow("scale 0.25") << QStringList{u"--scale"_s, u"0.25"_s} << QSize(161, 110);
    QTest::newRow("scale 1.5") << QStringList{u"--scale"_s, u"1.5"_s} << QSize(963, 660);
    QTest::newRow("size 200") << QStringList{u"--size"_s, u"200"_s} << QSize(200, 137);
    QTest::newRow("size 1") << QStringList{u"--size"_s, u"1"_s} << QSize(1, 1);
}

void TestKmpRender::sizes()
{
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    const QString out = render(options);
    QCOMPARE(out, u"out.png"_s);
    QCOMPARE(picture(out).size(), size);
}

void TestKmpRender::wholeEnlargementsKeepSharpPixels()
{
    const QImage canvas = picture(render({}));
    QVERIFY(enlargesPixelForPixel(canvas, picture(render({u"--scale"_s, u"2"_s})), 2));
    QVERIFY(enlargesPixelForPixel(canvas, picture(render({u"--tilesize"_s, u"120"_s})), 3));
    // A reduction is smoothed: where cells meet it shows blends of their
    // colours, which no pixel of the canvas has.
    const QSet<QRgb> source = colorsOf(canvas);
    const QSet<QRgb> reduced = colorsOf(picture(render({u"--scale"_s, u"0.3"_s})));
    QVERIFY(!source.contains(reduced));
    QVERIFY(reduced.size() > source.size());
}

void TestKmpRender::cellLines()
{
    const QImage plain = picture(render({}));
    const QImage lined = picture(render({u"--grid"_s}));
    const QRgb grey = qRgb(128, 128, 128);
    for (int y = 0; y < 440; ++y) {
        for (int x = 0; x < 642; ++x) {
            const bool onLine = (x % 40 == 0 && x <= 640) || y % 40 == 0;
            QCOMPARE(lined.pixel(x, y), onLine ? grey : plain.pixel(x, y));
        }
    }
    // At a quarter of the size, lines fall every ten pixels.
    const QImage small = picture(render({u"--grid"_s, u"--tilesize"_s, u"10"_s}));
    QCOMPARE(small.pixel(30, 5), grey);
    QCOMPARE(small.pixel(5, 30), grey);
    QVERIFY(small.pixel(35, 35) != grey);
}

void TestKmpRender::outDirDrawsEachMapUnderItsName()
{
    QVERIFY(QDir().mkpath(u"more"_s));
    QVERIFY(writeFile(u"more/level2.kmp"_s, mapFileBytes(MapGrid())));
    const KmpRun run = runKmpHere({u"render"_s, u"--game"_s, m_game->folder, u"--size"_s, u"100"_s, u"--out-dir"_s,
                                   u"thumbs/new"_s, u"showcase.kmp"_s, u"more/level2.kmp"_s});
    QCOMPARE(run.status, 0);
    QCOMPARE(QDir(u"thumbs/new"_s).entryList(QDir::Files), (QStringList{u"level2.png"_s, u"showcase.png"_s}));
    QCOMPARE(picture(u"thumbs/new/level2.png"_s).size(), QSize(100, 69));
    QCOMPARE(picture(u"thumbs/new/level2.png"_s).pixel(50, 30), qRgb(0, 0, 0)); // terrain 0 is black

    const KmpRun clash = runKmpHere({u"render"_s, u"--game"_s, m_game->folder, u"--out-dir"_s, u"thumbs/clash"_s,
                                     u"showcase.kmp"_s, u"./showcase.kmp"_s});
    QCOMPARE(clash.status, 64);
    QVERIFY(clash.err.startsWith(u"kmp render: two maps would both be drawn to thumbs/clash/showcase.png\n"_s));
    QVERIFY(!QFileInfo::exists(u"thumbs/clash"_s));
}

void TestKmpRender::failuresLeaveNoPicture_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    const QString game = m_game->folder;
    QTest::newRow("not a map") << QStringList{u"--game"_s, game, u"odd.txt"_s, u"gone.png"_s} << 2
                               << u"kmp render: odd.txt: Not valid map file\n"_s;
    QTest::newRow("missing map") << QStringList{u"--game"_s, game, u"none.kmp"_s, u"gone.png"_s} << 2
                                 << u"kmp render: none.kmp: No such file or directory\n"_s;
    QTest::newRow("folder in the way") << QStringList{u"--game"_s, game, u"-o"_s, u"thumbs"_s, u"showcase.kmp"_s} << 2
                                       << u"kmp render: thumbs: it is a folder, not a file\n"_s;
    QTest::newRow("no game for sprites") << QStringList{u"--game"_s, u"nowhere"_s, u"showcase.kmp"_s, u"gone.png"_s}
                                         << 2
                                         << u"kmp render: game folder nowhere/: cannot open nowhere/tileset.dat: "_s;
    QTest::newRow("two sizes") << QStringList{u"--size"_s, u"10"_s,           u"--scale"_s,
                                              u"2"_s,      u"showcase.kmp"_s, u"gone.png"_s}
                               << 64 << u"kmp render: give only one of --scale, --tilesize and --size\n"_s;
    QTest::newRow("layer 4") << QStringList{u"--layer"_s, u"4"_s, u"showcase.kmp"_s, u"gone.png"_s} << 64
                             << u"kmp render: --layer takes 0, 1, 2 or 3\n"_s;
    QTest::newRow("scale too large") << QStringList{u"--scale"_s, u"30"_s, u"showcase.kmp"_s, u"gone.png"_s} << 64
                                     << u"kmp render: --scale takes a factor above 0 that keeps the picture within "
                                        u"16384 pixels\n"_s;
}

void TestKmpRender::failuresLeaveNoPicture()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, err);
    QVERIFY(writeFile(u"odd.txt"_s, "some text"));
    QVERIFY(QDir().mkpath(u"thumbs"_s));
    const QStringList before = QDir().entryList(QDir::AllEntries | QDir::Hidden);
    const KmpRun run = runKmpHere(QStringList{u"render"_s} + arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.startsWith(err), qPrintable(run.err));
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden), before);
}

QTEST_MAIN(TestKmpRender)
#include "tst_kmp_render.moc"
