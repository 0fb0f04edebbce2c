#include "io/WholeFileWrite.h"

#include "io/FileTarget.h"

namespace kestrun {

using namespace detail;

#ifdef Q_OS_UNIX

WriteResult writeWholeFile(const QString &path, QByteArrayView data)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    removeStaleTemporaries(resolved.target.path);
    QString reason;
    const auto fill = [data](int fd, QString &why) {
        why = writeAllAt(fd, data.data(), data.size(), 0);
        return why.isEmpty() ? Replaced::Done : Replaced::Failed;
    };
    // A folder closed to the temporary file is a failure like any other.
    if (replaceThroughTemporary(resolved.target, fill, Keeping::AsAllowed, reason) != Replaced::Done)
        return writeFailure(reason);
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
