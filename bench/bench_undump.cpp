// kmp undump in bounded memory, in the same run:
// - 64 MiB of newlines (no dump at all), refused as an empty text, against
//   only reading those 64 MiB in the pieces undump reads;
// - a dump of a map with a 32 MiB tail turned back into the map file.
// Each reports the process's peak resident memory so far ("peak_MiB"): it
// stays near the program's own size, whatever the input's.
#include "BenchSupport.h"

#include "Commands.h"
#include "DumpFormat.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <vector>

using namespace kestrun;

namespace {

constexpr qint64 NewlineBytes = qint64(64) << 20;
constexpr qint64 TailBytes = qint64(32) << 20;

struct Workspace {
    QTemporaryDir dir;
    QString newlines; // 64 MiB of '\n'
    QString dump;     // the dump of a map with a 32 MiB tail
};

Workspace *Work = nullptr;

bool makeWorkspace(Workspace &work)
{
    if (!work.dir.isValid())
        return false;
    work.newlines = work.dir.filePath(QStringLiteral("newlines.txt"));
    QFile newlines(work.newlines);
    const QByteArray piece(1 << 20, '\n');
    if (!newlines.open(QIODevice::WriteOnly))
        return false;
    for (qint64 written = 0; written < NewlineBytes; written += piece.size()) {
        if (newlines.write(piece) != piece.size())
            return false;
    }
    newlines.close();

    const QString map = work.dir.filePath(QStringLiteral("tail.kmp"));
    QFile file(map);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(MapFileSize, '\1')) != MapFileSize
        || !file.resize(MapFileSize + TailBytes))
        return false;
    file.close();
    work.dump = work.dir.filePath(QStringLiteral("tail.txt"));
    QFile dump(work.dump);
    if (!file.open(QIODevice::ReadOnly) || !dump.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&dump);
    return kmp::dumpMapStream(file, file.size(), out).isEmpty();
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

int undump(const QString &text, const QString &out)
{
    QString output, errors;
    QTextStream outStream(&output), errStream(&errors);
    kmp::Console io{outStream, errStream};
    return kmp::runKmp({QStringLiteral("undump"), QStringLiteral("--force"), text, out}, io);
}

void BM_UndumpNewlinesFloor(benchmark::State &state)
{
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        QFile file(Work->newlines);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the text could not be read");
            break;
        }
        while (file.read(buffer.data(), qint64(buffer.size())) > 0)
            benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * NewlineBytes);
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_UndumpNewlinesFloor)->Unit(benchmark::kMillisecond);

void BM_UndumpNewlines(benchmark::State &state)
{
    const QString out = Work->dir.filePath(QStringLiteral("never.kmp"));
    for (auto _ : state) {
        if (undump(Work->newlines, out) != kmp::ExitFailure || QFile::exists(out)) {
            state.SkipWithError("64 MiB of newlines were not refused");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * NewlineBytes);
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_UndumpNewlines)->Unit(benchmark::kMillisecond);

void BM_UndumpTail(benchmark::State &state)
{
    const QString out = Work->dir.filePath(QStringLiteral("back.kmp"));
    for (auto _ : state) {
        if (undump(Work->dump, out) != kmp::ExitOk) {
            state.SkipWithError("the dump was not undumped");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * TailBytes);
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_UndumpTail)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return kestrun::bench::runInWorkspace(argc, argv, Work, makeWorkspace);
}
