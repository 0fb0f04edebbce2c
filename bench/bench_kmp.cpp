// kmp against its floors, in the same run:
// - check of 1,000 maps for a 256-sprite game, against only reading those
//   1,000 files and loading the game's catalogue;
// - render of one map at 40 px a cell (decode, draw, encode), against
//   encoding the same 642 x 440 picture to PNG with QImage alone;
// - render --out-dir and gallery of 500 maps with -j 2 against -j 1 (wall
//   time: the gain of a second core);
// - gallery of 1,000 maps against rendering the same thumbnails alone.
#include "BenchSupport.h"

#include "Catalogue.h"
#include "PictureFile.h"
#include "Commands.h"
#include "MapImage.h"
#include "MapText.h"
#include "MapFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace kestrun;
using namespace kestrun::bench;

namespace {

constexpr int MapCount = 1000;

struct Workspace {
    QTemporaryDir dir;
    QString game;         // the game folder, with its trailing separator
    QStringList maps;     // 1,000 levels using sprites 1..255 on every layer
    QByteArray renderMap; // the map file render draws
};

Workspace *Work = nullptr;

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeWorkspace(Workspace &work)
{
    if (!work.dir.isValid())
        return false;
    work.game = work.dir.filePath(QStringLiteral("game/"));
    QByteArray catalogue;
    for (int i = 0; i < 256; ++i) {
        const QString name = QStringLiteral("sprite%1.bmp").arg(i, 3, 10, QLatin1Char('0'));
        if (!QDir().mkpath(work.game) || !benchPicture(i).save(work.game + name, "BMP"))
            return false;
        catalogue += QByteArray::number(i) + '=' + name.toLatin1() + "\r\n";
    }
    if (!writeBytes(work.game + QStringLiteral("tileset.dat"), catalogue))
        return false;

    QRandomGenerator random(42);
    for (int m = 0; m < MapCount; ++m) {
        MapGrid grid;
        for (int x = 0; x < MapGrid::Width; ++x) {
            for (int y = 0; y < MapGrid::Height; ++y) {
                grid.setCell(x, y,
                             MapCell{std::uint8_t(1u << random.bounded(5)), std::uint8_t(1 + random.bounded(255)),
                                     std::uint8_t(random.bounded(256)), std::uint8_t(random.bounded(256))});
            }
        }
        const QString path = work.dir.filePath(QStringLiteral("level%1.kmp").arg(m));
        if (!writeBytes(path, encodeMap(grid)))
            return false;
        work.maps << path;
    }
    SpriteTable sprites;
    MapGrid grid;
    fillBenchMap(sprites, grid);
    work.renderMap = encodeMap(grid);
    return true;
}

// --- check -------------------------------------------------------------------

void BM_CheckFloor(benchmark::State &state)
{
    for (auto _ : state) {
        SpriteTable sprites;
        if (!loadCatalogue(Work->game, sprites, loadPictureFile).ok()) {
            state.SkipWithError("the catalogue did not load");
            break;
        }
        for (const QString &path : Work->maps) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                state.SkipWithError("a map could not be read");
                break;
            }
            benchmark::DoNotOptimize(file.readAll().constData());
        }
    }
    state.SetItemsProcessed(state.iterations() * MapCount);
}
BENCHMARK(BM_CheckFloor)->Unit(benchmark::kMillisecond);

void BM_Check(benchmark::State &state)
{
    const QStringList arguments = QStringList{QStringLiteral("check"), QStringLiteral("-j"), QStringLiteral("1"),
                                              QStringLiteral("--game"), Work->game}
        + Work->maps;
    for (auto _ : state) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        kmp::Console io{outStream, errStream};
        if (kmp::runKmp(arguments, io) != kmp::ExitOk) {
            state.SkipWithError("the maps were not all clean");
            break;
        }
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetItemsProcessed(state.iterations() * MapCount);
}
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);

// --- render ------------------------------------------------------------------

void BM_RenderFloorPngOnly(benchmark::State &state)
{
    SpriteTable sprites;
    MapGrid grid;
    fillBenchMap(sprites, grid);
    const QImage picture = kmp::renderMap(grid, sprites, {});
    for (auto _ : state) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "PNG")) {
            state.SkipWithError("PNG encoding failed");
            break;
        }
        benchmark::DoNotOptimize(png.constData());
    }
}
BENCHMARK(BM_RenderFloorPngOnly)->Unit(benchmark::kMillisecond);

// What render does for each map once the game is loaded: decode the file,
// draw the canvas through the editor's renderer, encode the PNG.
void BM_Render(benchmark::State &state)
{
    SpriteTable sprites;
    MapGrid unused;
    fillBenchMap(sprites, unused);
    for (auto _ : state) {
        MapGrid grid;
        if (decodeMap(asByteSpan(Work->renderMap), grid) != MapReadStatus::Loaded) {
            state.SkipWithError("the map did not load");
            break;
        }
        const kmp::EncodeResult encoded = kmp::encodePng(kmp::renderMap(grid, sprites, {}));
        benchmark::DoNotOptimize(encoded.png.constData());
    }
}
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond);

// --- many maps at once -------------------------------------------------------

// Runs a whole kmp command line once per iteration, its pictures into a
// fresh folder each time.
void runWhole(benchmark::State &state, const QStringList &command)
{
    for (auto _ : state) {
        state.PauseTiming();
        QDir(Work->dir.filePath(QStringLiteral("out"))).removeRecursively();
        state.ResumeTiming();
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        kmp::Console io{outStream, errStream};
        if (kmp::runKmp(command, io) != kmp::ExitOk) {
            state.SkipWithError(qPrintable(err));
            break;
        }
    }
}

QStringList firstMaps(qsizetype count)
{
    return Work->maps.mid(0, count);
}

// render --out-dir of 500 maps at the canvas's size; the argument is -j.
void BM_RenderMany(benchmark::State &state)
{
    runWhole(state,
             QStringList{QStringLiteral("render"), QStringLiteral("--game"), Work->game, QStringLiteral("-j"),
                         QString::number(state.range(0)), QStringLiteral("--out-dir"),
                         Work->dir.filePath(QStringLiteral("out"))}
                 + firstMaps(500));
}
BENCHMARK(BM_RenderMany)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

// gallery of `count` maps; the arguments are -j and the count.
void BM_Gallery(benchmark::State &state)
{
    runWhole(state,
             QStringList{QStringLiteral("gallery"), QStringLiteral("--game"), Work->game, QStringLiteral("-j"),
                         QString::number(state.range(0)), QStringLiteral("--out-dir"),
                         Work->dir.filePath(QStringLiteral("out"))}
                 + firstMaps(state.range(1)));
}
BENCHMARK(BM_Gallery)
    ->Args({1, 500})
    ->Args({2, 500})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

// The gallery's floor: its 1,000 thumbnails (321 pixels wide) drawn by render alone.
void BM_GalleryFloorThumbnails(benchmark::State &state)
{
    runWhole(state,
             QStringList{QStringLiteral("render"), QStringLiteral("--game"), Work->game, QStringLiteral("-j"),
                         QStringLiteral("1"), QStringLiteral("--size"), QStringLiteral("321"),
                         QStringLiteral("--out-dir"), Work->dir.filePath(QStringLiteral("out/thumbs"))}
                 + firstMaps(1000));
}
BENCHMARK(BM_GalleryFloorThumbnails)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return kestrun::bench::runInWorkspace(argc, argv, Work, makeWorkspace);
}
