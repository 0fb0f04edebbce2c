#include "TemporaryReplace.h"

#include "FileErrors.h"

#ifdef Q_OS_UNIX
#include "KeptAttributes.h"
#include "SaveSteps.h"
#include "SaveTemporary.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kestrun::detail {

#ifdef Q_OS_UNIX
namespace {

void syncFolder(int folder)
{
    // The folder was walked to with O_PATH, which fsync does not take.
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        stepCall(SaveStep::SyncFolder, [&] { return ::fsync(fd); });
        ::close(fd);
    }
}

// A refusal that leaves the file where it is, writable in place: a folder
// closed to the temporary, a bind-mounted file (EBUSY), a rename across
// file systems (EXDEV).
bool isRefusedHere(int error)
{
    return error == EACCES || error == EPERM || error == EBUSY || error == EXDEV;
}

} // namespace

Replacement replaceThroughTemporary(const Target &target, const TemporaryFill &fill, Keeping keeping,
                                    const TemporaryFill &inPlace, Syncing syncing)
{
    QByteArray temporary;
    const int folder = target.folder.get();
    const int fd = createTemporary(folder, target.name, target.exists ? 0600 : 0666, temporary);
    if (fd < 0) {
        // A path too long for the temporary's name (past PATH_MAX, or a
        // file system with shorter names) leaves the file where it is too.
        const int error = errno;
        const bool closed = error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG;
        return {target.exists && closed ? Replaced::Impossible : Replaced::Failed, writeErrorText(error)};
    }
    Replacement result;
    if (target.exists && !keepOwnerModeAndAttributes(fd, target) && keeping == Keeping::Exactly)
        result = {Replaced::Impossible, QStringLiteral("the file's owner, group, mode or attributes cannot be kept")};
    else
        result = fill(fd);
    // Renamed before it is closed: closing drops the lock that keeps
    // another save's cleanup away from it.
    if (result.ok() && syncing == Syncing::On && stepCall(SaveStep::SyncTemporary, [&] { return ::fsync(fd); }) != 0)
        result = {Replaced::Failed, writeErrorText(errno)};
    bool renamed = false;
    if (result.ok()) {
        renamed = stepCall(SaveStep::Rename,
                           [&] { return ::renameat(folder, temporary.constData(), folder, target.name.constData()); })
            == 0;
        const int error = errno;
        if (!renamed && target.exists && isRefusedHere(error))
            result = inPlace ? inPlace(fd) : Replacement{Replaced::Impossible, writeErrorText(error)};
        else if (!renamed)
            result = {Replaced::Failed, writeErrorText(error)};
    }
    if (!renamed)
        ::unlinkat(folder, temporary.constData(), 0);
    ::close(fd); // once synced, what close could still report is on disk
    if (renamed && syncing == Syncing::On)
        syncFolder(folder);
    return result;
}

#else

WriteResult saveWithQt(const QString &path, const std::function<bool(QSaveFile &)> &fill)
{
    if (QString why = whyNotWritable(path); !why.isEmpty())
        return writeFailure(why);
    // Unbuffered, so a short write (a full disk) shows in write()'s count
    // instead of vanishing in a final flush.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return writeFailure(out.errorString());
    if (!fill(out)) {
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : DiskFull;
        out.cancelWriting();
        return writeFailure(reason);
    }
    if (!out.commit())
        return writeFailure(out.errorString());
    return {};
}

#endif

} // namespace kestrun::detail
