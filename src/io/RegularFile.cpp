#include "io/RegularFile.h"

#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include "io/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrun {
namespace {

OpenResult refused(const QString &reason)
{
    return {OpenStatus::Refused, reason};
}

} // namespace

#ifdef Q_OS_UNIX

QString whyNotRegular(unsigned mode)
{
    const auto type = mode_t(mode) & S_IFMT;
    switch (type) {
    case S_IFREG:
        return QString();
    case S_IFDIR:
        return QStringLiteral("it is a folder, not a file");
    case S_IFIFO:
        return QStringLiteral("it is not a regular file (a named pipe)");
    case S_IFSOCK:
        return QStringLiteral("it is not a regular file (a socket)");
    case S_IFCHR:
        return QStringLiteral("it is not a regular file (a character device)");
    case S_IFBLK:
        return QStringLiteral("it is not a regular file (a block device)");
    default:
        return QStringLiteral("it is not a regular file");
    }
}

OpenResult openRegularFile(QFile &file)
{
    if (file.fileName().isEmpty())
        return refused(QStringLiteral("no file name was given"));
    const QByteArray name = QFile::encodeName(file.fileName());
    // The type is checked before anything is opened: opening a named pipe
    // for reading waits for a writer.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return refused(detail::errnoText(errno));
    if (QString why = whyNotRegular(info.st_mode); !why.isEmpty())
        return refused(why);
    // The descriptor's own type is what counts from here on.
    const detail::OpenedFile opened = detail::openRegularDescriptor(name, O_RDONLY);
    if (!opened.ok())
        return refused(opened.reason);
    const int fd = opened.fd;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(file.errorString());
    }
    return {};
}

#else

QString whyNotRegular(unsigned)
{
    return QString();
}

OpenResult openRegularFile(QFile &file)
{
    if (file.fileName().isEmpty())
        return refused(QStringLiteral("no file name was given"));
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return refused(QStringLiteral("it is a folder, not a file"));
    if (info.exists() && !info.isFile())
        return refused(QStringLiteral("it is not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        return refused(file.errorString());
    return {};
}

#endif

ReadResult readRegularFile(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    QFile file(path);
    if (const OpenResult opened = openRegularFile(file); !opened.ok()) {
        result.status = ReadStatus::Refused;
        result.reason = opened.reason;
        return result;
    }
    result.size = file.size();
    // Never more than the file holds: read() sets aside what it is asked for.
    result.bytes = file.read(std::min(maxBytes, result.size));
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Refused;
        result.reason = file.errorString();
        result.bytes.clear();
    }
    return result;
}

} // namespace kestrun
