#include "WholeFileWrite.h"

#include "TemporaryReplace.h"

#ifdef Q_OS_UNIX
#include "PosixFile.h"
#include "SaveSteps.h"
#include "SaveTemporary.h"
#endif

namespace kestrun {

namespace detail {

#ifdef Q_OS_UNIX

WriteResult replaceWhole(const QString &path, QByteArrayView data, Syncing syncing)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    removeStaleTemporaries(resolved.target.folder.get(), resolved.target.name);
    const auto fill = [data](int fd) {
        const int injected = reachSaveStep(SaveStep::Write);
        const QString why = injected ? writeErrorText(injected) : writeAllAt(fd, data.data(), data.size(), 0);
        return Replacement{why.isEmpty() ? Replaced::Done : Replaced::Failed, why};
    };
    // A folder closed to the temporary file is a failure like any other.
    if (const Replacement replaced = replaceThroughTemporary(resolved.target, fill, Keeping::AsAllowed, {}, syncing);
        !replaced.ok())
        return writeFailure(replaced.reason);
    return {};
}

#else

WriteResult replaceWhole(const QString &path, QByteArrayView data, Syncing)
{
    return saveWithQt(path, [data](QSaveFile &out) { return out.write(data.data(), data.size()) == data.size(); });
}

#endif

} // namespace detail

WriteResult writeWholeFile(const QString &path, QByteArrayView data)
{
    return detail::replaceWhole(path, data, detail::Syncing::On);
}

} // namespace kestrun
