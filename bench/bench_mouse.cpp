// Mouse editing through the real canvas widget: one drag step (a move that
// paints a cell, with the repaint of its region) and one move without a
// button (the cursor frame and the cell readout).
#include "BenchSupport.h"

#include "MapCanvas.h"

#include <QMouseEvent>

using namespace kestrun;
using namespace kestrun::bench;

namespace {

void sendMove(MapCanvas *canvas, QPointF position, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::MouseMove, position, canvas->mapToGlobal(position), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

QPointF cellCentre(int n)
{
    return QPointF((n % 16) * 40 + 20, ((n / 16) % 11) * 40 + 20);
}

} // namespace

static void BM_DragStep(benchmark::State &state)
{
    QuietPlatform platform;
    auto window = loadedEditor(platform, true);
    window->cmdLayer_Click(2);
    inside(*window).setEditingState({inside(*window).CurrentLayer, 17, inside(*window).CurrentTerrain});
    MapCanvas *canvas = inside(*window).picMap;
    QMouseEvent press(QEvent::MouseButtonPress, cellCentre(0), canvas->mapToGlobal(cellCentre(0)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &press);
    int n = 1;
    for (auto _ : state) {
        sendMove(canvas, cellCentre(n++), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

static void BM_MoveWithoutButton(benchmark::State &state)
{
    QuietPlatform platform;
    auto window = loadedEditor(platform, true);
    MapCanvas *canvas = inside(*window).picMap;
    int n = 0;
    for (auto _ : state) {
        sendMove(canvas, cellCentre(n++), Qt::NoButton);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MoveWithoutButton)->Unit(benchmark::kMicrosecond);

KESTRUN_BENCHMARK_MAIN()
