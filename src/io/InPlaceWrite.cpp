#include "InPlaceWrite.h"

#ifdef Q_OS_UNIX
#include "SaveSteps.h"

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestrun::detail {
namespace {

constexpr qint64 ChunkBytes = 64 * 1024;

// The target opened for writing: a link swapped in since it was examined is
// refused, not followed.
OpenedFile openTarget(const Target &target)
{
    if (const int injected = reachSaveStep(SaveStep::InPlaceOpen)) {
        OpenedFile refused;
        refused.status = OpenStatus::Refused;
        refused.error = injected;
        refused.reason = writeErrorText(injected);
        return refused;
    }
    OpenedFile file = openRegularAt(target.folder.get(), target.name, O_WRONLY);
    if (!file.ok() && file.error != 0)
        file.reason = writeErrorText(file.error);
    return file;
}

QString writeAt(int fd, const char *data, qint64 size, qint64 offset)
{
    if (const int injected = reachSaveStep(SaveStep::InPlaceWrite))
        return writeErrorText(injected);
    return writeAllAt(fd, data, size, offset);
}

QString copyAll(int from, int to)
{
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    qint64 offset = 0;
    for (;;) {
        const ssize_t got = ::pread(from, chunk.data(), size_t(chunk.size()), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errnoText(errno);
        if (got == 0)
            break;
        if (QString why = writeAt(to, chunk.constData(), got, offset); !why.isEmpty())
            return why;
        offset += got;
    }
    if (stepCall(SaveStep::InPlaceTruncate, [&] { return ::ftruncate(to, off_t(offset)); }) != 0)
        return writeErrorText(errno);
    return QString();
}

WriteResult syncAndCloseTarget(int fd, QString reason)
{
    if (stepCall(SaveStep::InPlaceSync, [&] { return ::fsync(fd); }) != 0 && reason.isEmpty())
        reason = writeErrorText(errno);
    if (::close(fd) != 0 && reason.isEmpty())
        reason = errnoText(errno);
    return reason.isEmpty() ? WriteResult{} : writeFailure(reason);
}

} // namespace

WriteResult writeHeadInPlace(const Target &target, QByteArrayView head)
{
    const OpenedFile file = openTarget(target);
    if (!file.ok())
        return writeFailure(file.reason);
    // One write of the whole head: a reader never sees part of it.
    QString reason;
    if (const int injected = reachSaveStep(SaveStep::InPlaceWrite)) {
        reason = writeErrorText(injected);
    } else {
        const ssize_t written = ::pwrite(file.fd, head.data(), size_t(head.size()), 0);
        if (written < 0)
            reason = writeErrorText(errno);
        else if (written != head.size())
            reason = DiskFull;
    }
    return syncAndCloseTarget(file.fd, reason);
}

WriteResult copyInPlace(const Target &target, int from)
{
    const OpenedFile file = openTarget(target);
    if (!file.ok())
        return writeFailure(file.reason);
    return syncAndCloseTarget(file.fd, copyAll(from, file.fd));
}

} // namespace kestrun::detail

#endif
