#include "RegularFile.h"

#include "FileErrors.h"

#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include "PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrun {

using namespace detail;

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
    case S_IFREG: return QString();
    case S_IFDIR: return IsFolder;
    case S_IFIFO: return NotRegular + QStringLiteral(" (a named pipe)");
    case S_IFSOCK: return NotRegular + QStringLiteral(" (a socket)");
    case S_IFCHR: return NotRegular + QStringLiteral(" (a character device)");
    case S_IFBLK: return NotRegular + QStringLiteral(" (a block device)");
    default: return NotRegular;
    }
}

OpenResult openRegularFile(QFile &file)
{
    if (file.fileName().isEmpty())
        return refused(NoFileName);
    const QByteArray name = QFile::encodeName(file.fileName());
    // The type is checked before anything is opened: opening a named pipe
    // for reading waits for a writer.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return refused(errnoText(errno));
    if (QString why = whyNotRegular(info.st_mode); !why.isEmpty())
        return refused(why);
    // The descriptor's own type is what counts from here on.
    const OpenedFile opened = openRegularDescriptor(name, O_RDONLY);
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

QString whyNotRegular(const QFileInfo &info)
{
    if (info.isDir())
        return IsFolder;
    return info.exists() && !info.isFile() ? NotRegular : QString();
}

OpenResult openRegularFile(QFile &file)
{
    if (file.fileName().isEmpty())
        return refused(NoFileName);
    if (QString why = whyNotRegular(QFileInfo(file.fileName())); !why.isEmpty())
        return refused(why);
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
