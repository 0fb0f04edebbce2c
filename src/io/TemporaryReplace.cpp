#include "io/TemporaryReplace.h"

#include "io/FileErrors.h"

#ifdef Q_OS_UNIX
#include "io/KeptAttributes.h"
#include "io/SaveTemporary.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kestrun::detail {

#ifdef Q_OS_UNIX
namespace {

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Replacement replaceThroughTemporary(const Target &target, const TemporaryFill &fill, Keeping keeping)
{
    QByteArray temporary;
    const int fd = createTemporary(target.path, target.exists ? 0600 : 0666, temporary);
    if (fd < 0) {
        // A path too long for the temporary's name (past PATH_MAX, or a
        // file system with shorter names) leaves the file where it is too.
        const int error = errno;
        const bool closed = error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG;
        return {target.exists && closed ? Replaced::Impossible : Replaced::Failed, errnoText(error)};
    }
    Replacement result;
    if (target.exists && !keepOwnerModeAndAttributes(fd, target) && keeping == Keeping::Exactly)
        result = {Replaced::Impossible, QStringLiteral("the file's owner, group, mode or attributes cannot be kept")};
    else
        result = fill(fd);
    // Renamed before it is closed: closing drops the lock that keeps
    // another save's cleanup away from it.
    if (result.ok() && (::fsync(fd) != 0 || ::rename(temporary.constData(), target.path.constData()) != 0)) {
        const int error = errno;
        result = {error == EACCES || error == EPERM ? Replaced::Impossible : Replaced::Failed, errnoText(error)};
    }
    if (!result.ok())
        ::unlink(temporary.constData());
    ::close(fd); // once synced, what close could still report is on disk
    if (result.ok())
        syncFolder(folderOf(target.path));
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
