#include "io/FileHeadWrite.h"

#include "io/FileTarget.h"

#ifdef Q_OS_UNIX
#include "io/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFile>
#include <QFileInfo>
#endif

namespace kestrun {

using namespace detail;

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;

} // namespace

#ifdef Q_OS_UNIX
namespace {

// Copies what `from` holds past `offset` to the same place in `to`, a chunk
// at a time.
QString copyTail(int from, int to, qint64 offset)
{
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::pread(from, chunk.data(), size_t(chunk.size()), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errnoText(errno);
        if (got == 0)
            return QString();
        if (QString why = writeAllAt(to, chunk.constData(), got, offset); !why.isEmpty())
            return why;
        offset += got;
    }
}

// The temporary file's content: the head, then the old file's tail.
// NotAllowedHere for a file that may be written but not read: its tail stays
// only where it is.
Replaced fillHeadAndTail(int fd, const Target &target, QByteArrayView head, QString &reason)
{
    reason = writeAllAt(fd, head.data(), head.size(), 0);
    if (!reason.isEmpty())
        return Replaced::Failed;
    if (!target.exists || target.info.st_size <= head.size())
        return Replaced::Done;
    const int old = ::open(target.path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (old < 0 && errno == EACCES)
        return Replaced::NotAllowedHere;
    reason = old < 0 ? errnoText(errno) : copyTail(old, fd, head.size());
    if (old >= 0)
        ::close(old);
    return reason.isEmpty() ? Replaced::Done : Replaced::Failed;
}

WriteResult writeInPlace(const Target &target, QByteArrayView head)
{
    const int fd = ::open(target.path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return writeFailure(errnoText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return writeFailure(whyNotRegular(info.st_mode));
    }
    // One write of the whole head: a reader never sees part of it.
    QString reason;
    const ssize_t written = ::pwrite(fd, head.data(), size_t(head.size()), 0);
    if (written < 0)
        reason = errno == EFBIG || errno == ENOSPC ? DiskFull : errnoText(errno);
    else if (written != head.size())
        reason = DiskFull;
    const QString closed = syncAndClose(fd);
    if (reason.isEmpty())
        reason = closed;
    return reason.isEmpty() ? WriteResult{} : writeFailure(reason);
}

} // namespace

WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    const Target &target = resolved.target;

    const bool inPlace = target.exists
        && (target.info.st_nlink > 1 || target.info.st_size - head.size() > MaxCopiedTail);
    removeStaleTemporaries(target.path);
    if (!inPlace) {
        QString reason;
        const auto fill = [&](int fd, QString &why) { return fillHeadAndTail(fd, target, head, why); };
        switch (replaceThroughTemporary(target, fill, Keeping::Exactly, reason)) {
        case Replaced::Done:
            return {};
        case Replaced::Failed:
            return writeFailure(reason);
        case Replaced::NotAllowedHere:
            break; // the folder is closed to us, or the file's attributes would not pass
        }
    }
    return writeInPlace(target, head);
}

#else

// Without POSIX: Qt's safe save, the tail copied in bounded chunks.
WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    const qint64 oldSize = QFileInfo(path).size();
    return saveWithQt(path, [&](QSaveFile &out) {
        const auto put = [&](QByteArrayView bytes) { return out.write(bytes.data(), bytes.size()) == bytes.size(); };
        bool written = put(head);
        if (written && oldSize > head.size()) {
            QFile old(path);
            written = old.open(QIODevice::ReadOnly) && old.seek(head.size());
            while (written && !old.atEnd())
                written = put(old.read(ChunkBytes)) && old.error() == QFileDevice::NoError;
        }
        return written;
    });
}

#endif

} // namespace kestrun
