// The canvas: a full redraw of every layer against its floor (the same frame
// composed with bare QPainter calls), the core's whole-map drawing alone (no
// window), and one cell drawn and put on screen.
#include "BenchSupport.h"

#include "MapRenderer.h"

#include <QPainter>

using namespace kestrun;
using namespace kestrun::bench;

static void BM_RedrawMapAllLayers(benchmark::State &state)
{
    QuietPlatform platform;
    auto window = loadedEditor(platform, false);
    for (auto _ : state)
        inside(*window).RedrawMap(3);
}
BENCHMARK(BM_RedrawMapAllLayers)->Unit(benchmark::kMicrosecond);

// The same full grid drawn by the core renderer into an image, as a tool
// without a window draws it.
static void BM_DrawMapCore(benchmark::State &state)
{
    SpriteTable sprites;
    MapGrid grid;
    fillBenchMap(sprites, grid);
    QImage canvas = MapRenderer::blankCanvas(0);
    MapRenderer renderer;
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer.drawMap(canvas, grid, sprites, 3));
}
BENCHMARK(BM_DrawMapCore)->Unit(benchmark::kMicrosecond);

// The floor: 176 box fills and 528 copies of 40 x 40 into a 640 x 440 image.
static void BM_RedrawFloorBareQPainter(benchmark::State &state)
{
    QImage canvas(640, 440, QImage::Format_RGB32);
    std::vector<QImage> blocks;
    for (int i = 0; i < 528; ++i)
        blocks.push_back(benchPicture(i % 255 + 1));
    for (auto _ : state) {
        QPainter painter(&canvas);
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 11; ++y)
                painter.fillRect(x * 40, y * 40, 42, 42, QColor::fromRgb(0, 255, (x * y) & 255));
        int t = 0;
        for (int layer = 0; layer < 3; ++layer)
            for (int x = 0; x < 16; ++x)
                for (int y = 0; y < 11; ++y)
                    painter.drawImage(x * 40, y * 40, blocks[t++]);
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
}
BENCHMARK(BM_RedrawFloorBareQPainter)->Unit(benchmark::kMicrosecond);

// One sprite copied into a cell and its region repainted on screen.
static void BM_DrawSpriteWithRepaint(benchmark::State &state)
{
    QuietPlatform platform;
    auto window = loadedEditor(platform, true);
    int n = 0;
    for (auto _ : state) {
        inside(*window).DrawSprite(n % 16, (n / 16) % 11, std::uint8_t(n % 255 + 1));
        QCoreApplication::processEvents();
        ++n;
    }
}
BENCHMARK(BM_DrawSpriteWithRepaint)->Unit(benchmark::kMicrosecond);

KESTRUN_BENCHMARK_MAIN()
