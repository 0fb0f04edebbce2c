#include "PosixFile.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestrun::detail {

void Descriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

namespace {

OpenedFile openRegular(int folder, const QByteArray &path, int flags)
{
    OpenedFile opened;
    opened.status = OpenStatus::Refused;
    const int fd = ::openat(folder, path.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
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

} // namespace

OpenedFile openRegularDescriptor(const QByteArray &path, int access)
{
    return openRegular(AT_FDCWD, path, access);
}

OpenedFile openRegularAt(int folder, const QByteArray &name, int access)
{
    return openRegular(folder, name, access | O_NOFOLLOW);
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

} // namespace kestrun::detail

#endif
