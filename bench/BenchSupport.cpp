#include "BenchSupport.h"

#include <QPainter>
#include <QTest>

namespace kestrun::bench {

QImage benchPicture(int index)
{
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(index * 7 % 360, 200, 200));
    QPainter(&picture).drawLine(0, 0, 39, index % 40);
    return picture;
}

void fillBenchMap(SpriteTable &sprites, MapGrid &grid)
{
    for (int i = 1; i < 256; ++i) {
        const auto slot = std::uint8_t(i);
        sprites.setFileName(slot, QStringLiteral("s%1.bmp").arg(i));
        sprites.setPicture(slot, benchPicture(i));
    }
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 11; ++y) {
            const auto n = std::uint8_t(x + 16 * y);
            grid.setCell(x, y,
                         MapCell{std::uint8_t(1u << (n % 5)), std::uint8_t(n % 255 + 1),
                                 std::uint8_t((n + 40) % 255 + 1), std::uint8_t((n + 80) % 255 + 1)});
        }
    }
}

std::unique_ptr<frmMain> loadedEditor(QuietPlatform &platform, bool shown)
{
    auto window = std::make_unique<frmMain>(platform, QByteArrayList{});
    window->Form_Load();
    MapGrid grid;
    fillBenchMap(inside(*window).Sprites, grid);
    // Into the window's map the way painting puts it, byte by byte.
    for (int x = 0; x < MapGrid::Width; ++x) {
        for (int y = 0; y < MapGrid::Height; ++y) {
            for (int layer = 0; layer < 4; ++layer)
                inside(*window).document().paint({x, y, Layer(layer), grid.layerByte(x, y, Layer(layer))});
        }
    }
    if (shown) {
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        QCoreApplication::processEvents();
    }
    return window;
}

int runBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace kestrun::bench
