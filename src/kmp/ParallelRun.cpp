#include "ParallelRun.h"

#include "Invocation.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

ParallelOptions::ParallelOptions()
    : m_jobs(QStringList{u"j"_s, u"jobs"_s}, u"Handle N maps at once (default: the number of cores)."_s, u"N"_s)
    , m_progress(u"progress"_s, u"Show the progress on the error stream, even when it is not a terminal."_s)
    , m_noProgress(u"no-progress"_s, u"Never show the progress."_s)
{
}

void ParallelOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({m_jobs, m_progress, m_noProgress});
}

std::optional<RunSettings> ParallelOptions::read(const QCommandLineParser &parser, const Invocation &invocation,
                                                 Console &io) const
{
    RunSettings settings;
    settings.jobs = std::clamp(QThread::idealThreadCount(), 1, MaxJobs);
    if (parser.isSet(m_jobs)) {
        const auto jobs = wholeNumber(parser.value(m_jobs), 1, MaxJobs);
        if (!jobs) {
            invocation.usageError(io, u"-j takes the number of maps handled at once, 1 to %1"_s.arg(MaxJobs));
            return std::nullopt;
        }
        settings.jobs = *jobs;
    }
    if (parser.isSet(m_progress) && parser.isSet(m_noProgress)) {
        invocation.usageError(io, u"give only one of --progress and --no-progress"_s);
        return std::nullopt;
    }
    settings.progress = parser.isSet(m_progress) || (io.errIsTerminal && !parser.isSet(m_noProgress));
    return settings;
}

void runInOrder(qsizetype count, const RunSettings &settings, Console &io, const std::function<void(qsizetype)> &work,
                const std::function<void(qsizetype, Progress &)> &deliver)
{
    Progress progress(io.err, count, settings.progress);
    const qsizetype threads = std::min<qsizetype>(settings.jobs, count);
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i) {
            work(i);
            deliver(i, progress);
            progress.advance();
        }
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<bool> done(std::size_t(count), false);
    std::atomic<qsizetype> next = 0;
    const auto worker = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            work(i);
            {
                const std::lock_guard lock(mutex);
                done[std::size_t(i)] = true;
            }
            finished.notify_one();
        }
    };
    std::vector<std::jthread> pool;
    for (qsizetype t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    for (qsizetype i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return bool(done[std::size_t(i)]); });
        }
        deliver(i, progress);
        progress.advance();
    }
}

} // namespace kestrun::kmp
