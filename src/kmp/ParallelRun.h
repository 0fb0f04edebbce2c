#pragma once

#include "Console.h"
#include "Progress.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <functional>
#include <optional>

namespace kestrun::kmp {

class Invocation;

// How a command that handles many maps runs them: on how many threads, and
// whether it shows its progress.
struct RunSettings {
    int jobs = 1;
    bool progress = false;
};

// -j/--jobs N, --progress and --no-progress, shared by the commands that
// handle many maps.
class ParallelOptions {
public:
    ParallelOptions();
    void addTo(QCommandLineParser &parser) const;
    // The settings the command line asks for: N threads (the number of cores
    // by default), progress when the error stream is a terminal unless
    // forced either way. Nothing after a usage error, already reported.
    std::optional<RunSettings> read(const QCommandLineParser &parser, const Invocation &invocation, Console &io) const;

private:
    QCommandLineOption m_jobs;
    QCommandLineOption m_progress;
    QCommandLineOption m_noProgress;
};

// The most threads -j takes.
inline constexpr int MaxJobs = 256;

// Runs work(i) for each i in [0, count) on up to settings.jobs threads, and
// deliver(i) on the calling thread for each i in order, as soon as work(i)
// and every earlier one are done: whatever deliver writes comes out in input
// order, the same whatever the number of threads. work must touch only what
// belongs to its own i. The progress, when shown, counts delivered items;
// deliver clears it before it writes anything.
void runInOrder(qsizetype count, const RunSettings &settings, Console &io, const std::function<void(qsizetype)> &work,
                const std::function<void(qsizetype, Progress &)> &deliver);

} // namespace kestrun::kmp
