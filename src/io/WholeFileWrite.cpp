#include "io/WholeFileWrite.h"

#include "io/TemporaryReplace.h"

#ifdef Q_OS_UNIX
#include "io/PosixFile.h"
#include "io/SaveSteps.h"
#include "io/SaveTemporary.h"
#endif

namespace kestrun {

using namespace detail;

#ifdef Q_OS_UNIX

WriteResult writeWholeFile(const QString &path, QByteArrayView data)
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
    if (const Replacement replaced = replaceThroughTemporary(resolved.target, fill, Keeping::AsAllowed); !replaced.ok())
        return writeFailure(replaced.reason);
    return {};
}

#else

// Without POSIX: Qt's safe save.
WriteResult writeWholeFile(const QString &path, QByteArrayView data)
{
    return saveWithQt(path, [data](QSaveFile &out) { return out.write(data.data(), data.size()) == data.size(); });
}

#endif

} // namespace kestrun
