// kmp export and import, proven against Tiled's own programs: maps re-saved
// by Tiled come back byte for byte, Tiled's rasterizer draws what kmp render
// draws, an edited tile lands in its cell and layer, and what has no meaning
// in a level is refused without writing anything.
#include "KmpTestSupport.h"
#include "CellGeometry.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <zlib.h>
#include <zstd.h>

#include <memory>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const char *const LayerNames[] = {"Terrain", "Sprites 1", "Sprites 2", "Sprites 3"};

// A valid map of random cells and reserved bytes, MaxX and MaxY, cut to
// `length` (at most 726) and followed by `tailBytes` random bytes.
QByteArray randomMap(quint32 seed, int length, int tailBytes)
{
    QRandomGenerator random(seed);
    MapGrid grid;
    for (int i = 0; i < MapGrid::CellCount; ++i)
        grid.setCell(i % 16, i / 16,
                     MapCell{std::uint8_t(random.bounded(256)), std::uint8_t(random.bounded(256)),
                             std::uint8_t(random.bounded(256)), std::uint8_t(random.bounded(256))});
    MapHeader header = currentMapHeader();
    header.MaxX = std::int32_t(random.generate());
    header.MaxY = -std::int32_t(random.bounded(1000));
    for (std::uint8_t &byte : header.Reserved)
        byte = std::uint8_t(random.bounded(256));
    QByteArray tail(tailBytes, Qt::Uninitialized);
    for (char &byte : tail)
        byte = char(random.bounded(256));
    return mapFileBytes(grid, header).left(length) + tail;
}

// The layer's <data> text in a TMX as export writes it.
QRegularExpression dataOf(const char *layer)
{
    return QRegularExpression(u"(name=\"%1\"[^>]*>\\s*<data[^>]*>)([^<]*)(</data>)"_s.arg(QLatin1String(layer)));
}

QByteArray compressed(const QByteArray &raw, const QString &how)
{
    if (how == u"zstd-stream"_s) { // as a stream writes it: no size in the frame, a 2 MiB window
        const std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx *)> context(ZSTD_createCCtx(), ZSTD_freeCCtx);
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_contentSizeFlag, 0);
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_windowLog, 21);
        QByteArray out(qsizetype(ZSTD_compressBound(std::size_t(raw.size()))) + 64, Qt::Uninitialized);
        ZSTD_inBuffer input{raw.constData(), std::size_t(raw.size()), 0};
        ZSTD_outBuffer output{out.data(), std::size_t(out.size()), 0};
        ZSTD_compressStream2(context.get(), &output, &input, ZSTD_e_continue); // the size stays unknown
        while (ZSTD_compressStream2(context.get(), &output, &input, ZSTD_e_end) > 0) {
        }
        out.truncate(qsizetype(output.pos));
        return out;
    }
    if (how == u"zstd"_s) {
        QByteArray out(qsizetype(ZSTD_compressBound(std::size_t(raw.size()))), Qt::Uninitialized);
        out.truncate(
            qsizetype(ZSTD_compress(out.data(), std::size_t(out.size()), raw.constData(), std::size_t(raw.size()), 3)));
        return out;
    }
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, how == u"gzip"_s ? 16 + MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(raw.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Every layer of an exported TMX stored as base64, compressed by `how` ("" none).
QString reencoded(QString tmx, const QString &how)
{
    for (const char *layer : LayerNames) {
        const QRegularExpressionMatch match = dataOf(layer).match(tmx);
        QByteArray raw;
        for (const QString &gid : match.captured(2).split(u',')) {
            const quint32 value = gid.trimmed().toUInt();
            for (int shift = 0; shift < 32; shift += 8)
                raw += char(value >> shift);
        }
        const QString attributes = how.isEmpty()
            ? u"encoding=\"base64\""_s
            : u"encoding=\"base64\" compression=\"%1\""_s.arg(how.section(u'-', 0, 0));
        const QString head = match.captured(1).replace(u"encoding=\"csv\""_s, attributes);
        tmx.replace(match.capturedStart(), match.capturedLength(),
                    head + QString::fromLatin1((how.isEmpty() ? raw : compressed(raw, how)).toBase64()) + u"</data>"_s);
    }
    return tmx;
}

} // namespace

class TestKmpTiled : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void roundTripThroughTiled_data();
    void roundTripThroughTiled();
    void everyEncodingImports_data();
    void everyEncodingImports();
    void rasterizerDrawsWhatRenderDraws();
    void editedTileLandsInItsCell_data();
    void editedTileLandsInItsCell();
    void refusedWithoutWriting_data();
    void refusedWithoutWriting();
    void exportRefuses_data();
    void exportRefuses();
    void tilesetsNamedByWhatTheyShow();
    void outputsFollowTheRule_data();
    void outputsFollowTheRule();

private:
    // Runs one of Tiled's programs headless, with its settings in the test's folder.
    void runTiled(const QString &program, const QStringList &arguments);
    QByteArray exported(const QByteArray &map);
    QByteArray imported(const QString &tiledMap);

    QTemporaryDir m_dir;
    QString m_work;
    std::unique_ptr<GameFolder> m_game;
    QString m_tiled;
    QString m_rasterizer;
};

void TestKmpTiled::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_tiled = QStandardPaths::findExecutable(u"tiled"_s);
    m_rasterizer = QStandardPaths::findExecutable(u"tmxrasterizer"_s);
    // Slots 1..6 have pictures, the rest are empty slots.
    m_game = std::make_unique<GameFolder>(1, 6);
    const QString home = m_dir.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QFile::setPermissions(home, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

void TestKmpTiled::init()
{
    static int round = 0;
    m_work = m_dir.filePath(u"case%1"_s.arg(++round));
    QVERIFY(QDir().mkpath(m_work + u"/resaved"_s));
}

void TestKmpTiled::runTiled(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        QSKIP("Tiled is not installed (Debian: tiled); tools/ensure-packages.sh installs it for the tests");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = m_dir.filePath(u"home"_s);
    for (const QString &name : {u"HOME"_s, u"XDG_RUNTIME_DIR"_s, u"XDG_CONFIG_HOME"_s})
        environment.insert(name, home);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_work);
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(120000), qPrintable(program + u" did not finish"_s));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAllStandardError().constData());
}

QByteArray TestKmpTiled::exported(const QByteArray &map)
{
    writeFile(m_work + u"/level.kmp"_s, map);
    const KmpRun run = runKmpHere(
        {u"export"_s, u"--game"_s, m_game->folder, m_work + u"/level.kmp"_s, u"-o"_s, m_work + u"/level.tmx"_s});
    return run.status == 0 ? readFile(m_work + u"/level.tmx"_s) : run.err.toUtf8();
}

QByteArray TestKmpTiled::imported(const QString &tiledMap)
{
    QFile::remove(m_work + u"/back.kmp"_s);
    const KmpRun run = runKmpHere({u"import"_s, m_work + u'/' + tiledMap, u"-o"_s, m_work + u"/back.kmp"_s});
    return run.status == 0 ? readFile(m_work + u"/back.kmp"_s) : run.err.toUtf8();
}

void TestKmpTiled::roundTripThroughTiled_data()
{
    QTest::addColumn<QByteArray>("map");
    QTest::newRow("new map") << newMapBytes();
    QTest::newRow("random cells and header") << randomMap(1, MapFileSize, 0);
    QTest::newRow("random with a tail") << randomMap(2, MapFileSize, 1000);
    QTest::newRow("tail of 1 MiB") << randomMap(3, MapFileSize, 1 << 20);
    QTest::newRow("cut inside the cells") << randomMap(4, 401, 0);
    QTest::newRow("cut inside the header") << randomMap(5, 8, 0);
    QTest::newRow("signature and version only") << randomMap(6, 6, 0);
}

void TestKmpTiled::roundTripThroughTiled()
{
    QFETCH(QByteArray, map);
    QVERIFY(exported(map).startsWith("<?xml"));
    QCOMPARE(imported(u"level.tmx"_s), map);
    // Re-saved by Tiled in a folder of its own (external tilesets by a
    // relative path), and as JSON with the tilesets embedded.
    runTiled(m_tiled, {u"--export-map"_s, u"level.tmx"_s, u"resaved/level.tmx"_s});
    runTiled(m_tiled, {u"--export-map"_s, u"--embed-tilesets"_s, u"level.tmx"_s, u"resaved/level.tmj"_s});
    QCOMPARE(imported(u"resaved/level.tmx"_s), map);
    QCOMPARE(imported(u"resaved/level.tmj"_s), map);
}

void TestKmpTiled::everyEncodingImports_data()
{
    QTest::addColumn<QString>("compression");
    for (const QString &how : {u""_s, u"zlib"_s, u"gzip"_s, u"zstd"_s, u"zstd-stream"_s})
        QTest::newRow(how.isEmpty() ? "base64" : qPrintable(how)) << how;
}

void TestKmpTiled::everyEncodingImports()
{
    QFETCH(QString, compression);
    const QByteArray map = randomMap(7, MapFileSize, 5);
    const QString tmx = reencoded(QString::fromUtf8(exported(map)), compression);
    QVERIFY(writeFile(m_work + u"/encoded.tmx"_s, tmx.toUtf8()));
    QCOMPARE(imported(u"encoded.tmx"_s), map);
    // Tiled keeps the encoding when it writes JSON.
    runTiled(m_tiled, {u"--export-map"_s, u"encoded.tmx"_s, u"resaved/encoded.json"_s});
    QVERIFY(readFile(m_work + u"/resaved/encoded.json"_s).contains("\"encoding\":\"base64\""));
    QCOMPARE(imported(u"resaved/encoded.json"_s), map);
}

void TestKmpTiled::rasterizerDrawsWhatRenderDraws()
{
    // Sprites within and beyond the game's six, over every terrain code.
    QByteArray map = randomMap(8, MapFileSize, 0);
    for (int i = 0; i < MapGrid::CellCount; ++i) {
        for (int layer = 1; layer < 4; ++layer) {
            char &sprite = map[MapHeaderSize + 4 * i + layer];
            sprite = char(uchar(sprite) % 9 < 4 ? 0 : uchar(sprite) % 9);
        }
    }
    QVERIFY(exported(map).startsWith("<?xml"));
    runTiled(m_rasterizer, {u"level.tmx"_s, u"tiled.png"_s});
    QCOMPARE(
        runKmpHere({u"render"_s, u"--game"_s, m_game->folder, m_work + u"/level.kmp"_s, m_work + u"/kmp.png"_s}).status,
        0);
    const QImage tiled(m_work + u"/tiled.png"_s);
    const QImage rendered(m_work + u"/kmp.png"_s);
    QCOMPARE(tiled.size(), QSize(MapGrid::Width * CellSize, MapGrid::Height * CellSize));
    for (int y = 0; y < MapGrid::Height; ++y) {
        for (int x = 0; x < MapGrid::Width; ++x) {
            const QPoint centre(x * CellSize + CellSize / 2, y * CellSize + CellSize / 2);
            QVERIFY2(tiled.pixel(centre) == rendered.pixel(centre), qPrintable(u"cell (%1, %2)"_s.arg(x).arg(y)));
        }
    }
}

void TestKmpTiled::editedTileLandsInItsCell_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("gid");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("length");
    QTest::newRow("terrain, first cell, to Water") << 0 << 0 << 0 << 17 << 16 << 729;
    QTest::newRow("terrain, empty tile is code 0") << 0 << 15 << 10 << 0 << 0 << 729;
    QTest::newRow("sprite layer 1, last cell") << 1 << 15 << 10 << 257 + 255 << 255 << 729;
    QTest::newRow("sprite layer 2, cleared") << 2 << 7 << 4 << 0 << 0 << 729;
    QTest::newRow("sprite layer 3, unused tile 0 is empty") << 3 << 3 << 9 << 257 << 0 << 729;
    // A short file stays short unless a cell past its end is painted.
    QTest::newRow("short file, painted within") << 1 << 0 << 1 << 300 << 43 << 401;
    QTest::newRow("short file, painted past its end") << 2 << 15 << 10 << 260 << 3 << 401;
}

void TestKmpTiled::editedTileLandsInItsCell()
{
    QFETCH(int, layer);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, gid);
    QFETCH(int, value);
    QFETCH(int, length);
    const QByteArray map = randomMap(9, std::min(length, MapFileSize), std::max(length - MapFileSize, 0));
    QString tmx = QString::fromUtf8(exported(map));
    const QRegularExpressionMatch data = dataOf(LayerNames[layer]).match(tmx);
    QStringList gids = data.captured(2).split(u',');
    QCOMPARE(gids.size(), MapGrid::CellCount);
    gids[x + 16 * y] = QString::number(gid);
    tmx.replace(data.capturedStart(2), data.capturedLength(2), gids.join(u','));
    QVERIFY(writeFile(m_work + u"/edited.tmx"_s, tmx.toUtf8()));

    const int offset = MapHeaderSize + 4 * (x + 16 * y) + layer;
    QByteArray expected = map.leftJustified(MapFileSize, '\0');
    expected[offset] = char(value);
    if (offset < length && length < MapFileSize)
        expected.truncate(length);
    QCOMPARE(imported(u"edited.tmx"_s), expected);
    runTiled(m_tiled, {u"--export-map"_s, u"edited.tmx"_s, u"resaved/edited.tmj"_s});
    QCOMPARE(imported(u"resaved/edited.tmj"_s), expected);
}

void TestKmpTiled::refusedWithoutWriting_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    // The first terrain cell holds code 0 (tile 1).
    const QString firstTerrain = u"<data encoding=\"csv\">\n1,"_s;
    QTest::newRow("another width") << u"width=\"16\" height=\"11\" tilewidth"_s
                                   << u"width=\"17\" height=\"11\" tilewidth"_s << u"the map is 17 x 11 tiles"_s;
    QTest::newRow("a width past any int")
        << u"width=\"16\" height=\"11\" tilewidth"_s << u"width=\"99999999999\" height=\"11\" tilewidth"_s
        << u"the map gives no size in whole tiles"_s;
    QTest::newRow("a JSON array") << u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s << u"["_s << u"at byte"_s;
    QTest::newRow("a layer of another size")
        << u"name=\"Sprites 1\" width=\"16\""_s << u"name=\"Sprites 1\" width=\"15\""_s
        << u"layer \"Sprites 1\" is 15 x 11 tiles"_s;
    QTest::newRow("flipped tile") << firstTerrain << u"<data encoding=\"csv\">\n2147483649,"_s
                                  << u"layer \"Terrain\", cell (0, 0): the tile is flipped"_s;
    QTest::newRow("sprite tile in the terrain")
        << firstTerrain << u"<data encoding=\"csv\">\n300,"_s << u"layer \"Terrain\", cell (0, 0): tile 30"_s;
    QTest::newRow("missing layer") << u"name=\"Sprites 3\""_s << u"name=\"Sprites three\""_s
                                   << u"no tile layer is named \"Sprites 3\""_s;
    QTest::newRow("a tile too many") << u"\n</data>"_s << u",1\n</data>"_s << u"more than 176 tiles"_s;
    QTest::newRow("a tile too few") << firstTerrain << u"<data encoding=\"csv\">\n"_s << u"175 tiles, not 176"_s;
    QTest::newRow("length past a missing tail")
        << u"\"Length\" type=\"int\" value=\"726\""_s << u"\"Length\" type=\"int\" value=\"800\""_s
        << u"map property Length is 800"_s;
    QTest::newRow("version out of range")
        << u"\"Version\" type=\"int\" value=\"2\""_s << u"\"Version\" type=\"int\" value=\"70000\""_s
        << u"map property Version is \"70000\""_s;
    QTest::newRow("a DTD") << u"<map "_s << u"<!DOCTYPE map [<!ENTITY big \"x\">]><map "_s << u"DTD"_s;
    QTest::newRow("an undeclared entity")
        << u"name=\"Terrain\""_s << u"name=\"&big;\""_s << u"Entity 'big' not declared"_s;
    QTest::newRow("overlapping tilesets")
        << u"firstgid=\"257\""_s << u"firstgid=\"200\""_s << u"is not a tile of the tileset \"Kestrun terrain\""_s;
}

void TestKmpTiled::refusedWithoutWriting()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QByteArray map = randomMap(10, MapFileSize, 0);
    map[MapHeaderSize] = 0;
    QString tmx = QString::fromUtf8(exported(map));
    QVERIFY2(tmx.contains(from), qPrintable(from));
    QVERIFY(writeFile(m_work + u"/broken.tmx"_s, tmx.replace(tmx.indexOf(from), from.size(), to).toUtf8()));
    const QString error = QString::fromUtf8(imported(u"broken.tmx"_s));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!QFile::exists(m_work + u"/back.kmp"_s));
}

void TestKmpTiled::exportRefuses_data()
{
    QTest::addColumn<QByteArray>("map");
    QTest::addColumn<QString>("message");
    QTest::newRow("tail above 1 MiB") << randomMap(11, MapFileSize, (1 << 20) + 1) << u"at most 1 MiB"_s;
    QTest::newRow("not a map") << QByteArray(MapFileSize, 'x') << u"Not valid map file"_s;
    QTest::newRow("another version") << newMapBytes().replace(4, 1, "\3") << u"Wrong version"_s;
}

void TestKmpTiled::exportRefuses()
{
    QFETCH(QByteArray, map);
    QFETCH(QString, message);
    const QString error = QString::fromUtf8(exported(map));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!QFile::exists(m_work + u"/level.tmx"_s));
}

void TestKmpTiled::tilesetsNamedByWhatTheyShow()
{
    QVERIFY(writeFile(m_work + u"/level.kmp"_s, newMapBytes()));
    const QString map = m_work + u"/level.kmp"_s;
    QCOMPARE(runKmpHere({u"export"_s, u"--out-dir"_s, m_work + u"/out"_s, map}).status, 0);
    QCOMPARE(runKmpHere({u"export"_s, u"--game"_s, m_game->folder, map, m_work + u"/out/game.tmx"_s}).status, 0);
    // One terrain tileset; a sprite tileset for the empty slots and one for the game.
    const QStringList files = QDir(m_work + u"/out"_s).entryList({u"*.tsx"_s}, QDir::Files);
    QCOMPARE(files.size(), 3);
    QCOMPARE(files.filter(u"kestrun-terrain-"_s).size(), 1);
    const QByteArray plain = readFile(m_work + u"/out/level.tmx"_s);
    const QByteArray game = readFile(m_work + u"/out/game.tmx"_s);
    for (const QString &file : files) {
        const int users = int(plain.contains(file.toUtf8())) + int(game.contains(file.toUtf8()));
        QCOMPARE(users, file.startsWith(u"kestrun-terrain-"_s) ? 2 : 1);
    }
}

void TestKmpTiled::outputsFollowTheRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("victim");
    QTest::addColumn<QString>("message");
    const QString input = u"one of this command's inputs"_s;
    QTest::newRow("export over its map") << QStringList{u"export"_s, u"level.kmp"_s, u"-o"_s, u"level.kmp"_s}
                                         << u"level.kmp"_s << input;
    QTest::newRow("import over its map, forced")
        << QStringList{u"import"_s, u"--force"_s, u"level.tmx"_s, u"-o"_s, u"level.tmx"_s} << u"level.tmx"_s << input;
    QTest::newRow("export over a map")
        << QStringList{u"export"_s, u"level.kmp"_s, u"-o"_s, u"other.kmp"_s} << u"other.kmp"_s
        << u"it is a map, and kmp does not replace it with a file of another kind (give --force"_s;
    QTest::newRow("export to a name of another type")
        << QStringList{u"export"_s, u"level.kmp"_s, u"other.kmp"_s} << u"other.kmp"_s << u"does not end in .tmx"_s;
    QTest::newRow("import over a picture")
        << QStringList{u"import"_s, u"level.tmx"_s, u"-o"_s, u"picture.png"_s} << u"picture.png"_s << u"give --force"_s;
    QTest::newRow("import to the standard output")
        << QStringList{u"import"_s, u"level.tmx"_s, u"-"_s} << u"level.tmx"_s << u"give a file"_s;
}

void TestKmpTiled::outputsFollowTheRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, victim);
    QFETCH(QString, message);
    QVERIFY(exported(newMapBytes()).startsWith("<?xml"));
    QVERIFY(QDir::setCurrent(m_work));
    QVERIFY(writeFile(u"other.kmp"_s, randomMap(12, MapFileSize, 0)));
    QVERIFY(writeFile(u"picture.png"_s, "\x89PNG\r\n\x1a\n"));
    const QByteArray before = readFile(victim);
    const KmpRun run = runKmpHere(arguments);
    QVERIFY2(run.status != 0 && run.err.contains(message), qPrintable(run.err));
    QCOMPARE(readFile(victim), before);
}

QTEST_GUILESS_MAIN(TestKmpTiled)
#include "tst_kmp_tiled.moc"
