#include "io/PosixFile.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestrun::detail {

OpenedFile openRegularDescriptor(const QByteArray &path, int access)
{
    OpenedFile opened;
    opened.status = OpenStatus::Refused;
    const int fd = ::open(path.constData(), access | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        opened.error = errno;
        opened.reason = errnoText(opened.error);
        return opened;
    }
    if (::fstat(fd, &opened.info) != 0)
        opened.reason = errnoText(errno);
    else
        opened.reason = whyNotRegular(opened.info.st_mode);
    if (opened.reason.isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        opened.reason = errnoText(errno);
    if (!opened.reason.isEmpty()) {
        ::close(fd);
        return opened;
    }
    opened.status = OpenStatus::Opened;
    opened.fd = fd;
    return opened;
}

QString writeAllAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return writeErrorText(errno);
        if (written == 0)
            return DiskFull;
        data += written;
        size -= written;
        offset += written;
    }
    return QString();
}

QString syncAndClose(int fd)
{
    const QString synced = ::fsync(fd) == 0 ? QString() : errnoText(errno);
    const QString closed = ::close(fd) == 0 ? QString() : errnoText(errno);
    return synced.isEmpty() ? closed : synced;
}

} // namespace kestrun::detail

#endif
