#include "io/RebuildableFileWrite.h"

#include "io/FileTarget.h"

#ifdef Q_OS_UNIX
#include "io/FileErrors.h"
#include "io/KeptAttributes.h"
#include "io/PosixFile.h"
#include "io/SaveTemporary.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#else
#include "io/TemporaryReplace.h"
#endif

namespace kestrun {

using namespace detail;

#ifdef Q_OS_UNIX

WriteResult writeRebuildableFile(const QString &path, QByteArrayView data)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    const Target &target = resolved.target;
    const int folder = target.folder.get();
    removeStaleTemporaries(folder, target.name);
    QByteArray temporary;
    const int fd = createTemporary(folder, target.name, target.exists ? 0600 : 0666, temporary);
    if (fd < 0)
        return writeFailure(writeErrorText(errno));
    if (target.exists)
        keepOwnerModeAndAttributes(fd, target);
    QString why = writeAllAt(fd, data.data(), data.size(), 0);
    // Renamed before it is closed: closing drops the lock that keeps another
    // write's cleanup away from it.
    if (why.isEmpty() && ::renameat(folder, temporary.constData(), folder, target.name.constData()) != 0)
        why = writeErrorText(errno);
    if (!why.isEmpty())
        ::unlinkat(folder, temporary.constData(), 0);
    ::close(fd);
    return why.isEmpty() ? WriteResult{} : writeFailure(why);
}

#else

// Without POSIX: Qt's safe save, synced as Qt does.
WriteResult writeRebuildableFile(const QString &path, QByteArrayView data)
{
    return saveWithQt(path, [data](QSaveFile &out) { return out.write(data.data(), data.size()) == data.size(); });
}

#endif

} // namespace kestrun
