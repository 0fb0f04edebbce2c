#include "RegularFileHead.h"

#include "FileTarget.h"

#ifdef Q_OS_UNIX
#include "PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace kestrun {

#ifdef Q_OS_UNIX

using namespace detail;

namespace {

// The first `maxBytes` bytes of the file just opened, and its size.
ReadResult readOpened(const OpenedFile &opened, qint64 maxBytes)
{
    ReadResult result;
    result.status = ReadStatus::Refused;
    if (!opened.ok()) {
        result.reason = opened.reason;
        return result;
    }
    const Descriptor fd(opened.fd);
    result.size = opened.info.st_size;
    result.bytes.resize(std::min(maxBytes, result.size));
    qsizetype done = 0;
    while (done < result.bytes.size()) {
        const ssize_t got = ::read(fd.get(), result.bytes.data() + done, size_t(result.bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.reason = errnoText(errno);
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break; // shortened meanwhile: what was read is the file
        done += got;
    }
    result.bytes.truncate(done);
    result.status = ReadStatus::Read;
    return result;
}

} // namespace

ReadResult readRegularFileHead(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    result.status = ReadStatus::Refused;
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        result.reason = NoFileName;
        return result;
    }
    // The type is checked before anything is opened, as readRegularFile does:
    // opening a device may act on it.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        result.reason = errnoText(errno);
        return result;
    }
    if (QString why = whyNotRegular(info.st_mode); !why.isEmpty()) {
        result.reason = why;
        return result;
    }
    return readOpened(openRegularDescriptor(name, O_RDONLY), maxBytes);
}

ReadResult readWriteTargetHead(const QString &path, qint64 maxBytes)
{
    const TargetResult found = writableTarget(path);
    if (!found.ok() || !found.target.exists) {
        ReadResult result;
        result.status = ReadStatus::Refused;
        result.reason = found.ok() ? errnoText(ENOENT) : found.reason;
        return result;
    }
    ReadResult head = readOpened(openRegularAt(found.target.folder.get(), found.target.name, O_RDONLY), maxBytes);
    if (!head.ok()) {
        head = ReadResult{};
        head.size = found.target.info.st_size;
    }
    return head;
}

#else

ReadResult readRegularFileHead(const QString &path, qint64 maxBytes)
{
    return readRegularFile(path, maxBytes);
}

ReadResult readWriteTargetHead(const QString &path, qint64 maxBytes)
{
    if (QString why = detail::whyNotWritable(path); !why.isEmpty()) {
        ReadResult result;
        result.status = ReadStatus::Refused;
        result.reason = why;
        return result;
    }
    ReadResult head = readRegularFile(path, maxBytes);
    if (!head.ok())
        head = ReadResult{};
    return head;
}

#endif

} // namespace kestrun
