// The canvas: a full redraw of every layer against its floor (the same frame
// composed with bare QPainter calls), and one cell drawn and put on screen.
#include "BenchSupport.h"

#include <QPainter>

using namespace kestrun;
using namespace kestrun::bench;

static void BM_RedrawMapAllLayers(benchmark::State &state)
{
    QuietPlatform platform;
    auto window = loadedEditor(platform, false);
    for (auto _ : state)
        window->RedrawMap(3);
}
BENCHMARK(BM_RedrawMapAllLayers)->Unit(benchmark::kMicrosecond);

// The floor: 176 box fills and 528 copies of 40 x 40 into a 640 x 440 image.
static void BM_RedrawFloorBareQPainter(benchmark::State &state)
{
    QImage canvas(640, 440, QImage::Format_RGB32);
    std::vector<QImage> tiles;
    for (int i = 0; i < 528; ++i)
        tiles.push_back(benchPicture(i % 255 + 1));
    for (auto _ : state) {
        QPainter painter(&canvas);
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 11; ++y)
                painter.fillRect(x * 40, y * 40, 42, 42, QColor::fromRgb(0, 255, (x * y) & 255));
        int t = 0;
        for (int layer = 0; layer < 3; ++layer)
            for (int x = 0; x < 16; ++x)
                for (int y = 0; y < 11; ++y)
                    painter.drawImage(x * 40, y * 40, tiles[t++]);
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
        window->DrawSprite(n % 16, (n / 16) % 11, std::uint8_t(n % 255 + 1));
        QCoreApplication::processEvents();
        ++n;
    }
}
BENCHMARK(BM_DrawSpriteWithRepaint)->Unit(benchmark::kMicrosecond);

KESTRUN_BENCHMARK_MAIN()
