// Saving a map: over a plain 726-byte map (a temporary file renamed over
// it), over one with a 1 MiB tail (copied in chunks), and over a 2 GiB
// sparse file (its head written in place). Each reports the process's peak
// resident memory, which the 2 GiB save must not raise.
#include "FileHeadWrite.h"
#include "MapFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

using namespace kestrun;

namespace {

double peakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_SaveMap(benchmark::State &state)
{
    const qint64 tail = state.range(0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.kmp"));
    MapGrid grid;
    applyNewMapDefaults(grid);
    if (!writeMapFile(path, grid).ok()
        || ::truncate(QFile::encodeName(path).constData(), off_t(MapFileSize + tail)) != 0) {
        state.SkipWithError("cannot make the map");
        return;
    }
    for (auto _ : state) {
        const MapWriteResult result = writeMapFile(path, grid);
        if (!result.ok()) {
            state.SkipWithError(qPrintable(result.reason));
            break;
        }
    }
    state.counters["peak_rss_MiB"] = peakMemoryMiB();
}
BENCHMARK(BM_SaveMap)->Arg(0)->Arg(MaxCopiedTail)->Arg(qint64(2) << 30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
