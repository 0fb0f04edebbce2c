#include "io/PosixFile.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestrun::detail {

QString errnoText(int error)
{
    return qt_error_string(error);
}

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

} // namespace kestrun::detail

#endif
