#include "io/FileHeadWrite.h"

#include "io/RegularFile.h"

#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#include <QSaveFile>
#endif

namespace kestrun {
namespace {

const QString TemporaryInfix = QStringLiteral(".kestrun-save-");
constexpr int TemporarySuffixLength = 6;
constexpr qint64 ChunkBytes = 64 * 1024;
const QString DiskFull = QStringLiteral("the disk is full or the file too large");

WriteResult failed(const QString &reason)
{
    return {WriteStatus::Failed, reason};
}

} // namespace

bool isSaveTemporaryOf(const QString &fileName, const QString &name)
{
    static const QRegularExpression suffix(QStringLiteral("^[A-Za-z0-9]{%1}$").arg(TemporarySuffixLength));
    const QString prefix = fileName + TemporaryInfix;
    return name.startsWith(prefix) && suffix.match(QStringView(name).sliced(prefix.size())).hasMatch();
}

#ifdef Q_OS_UNIX
namespace {

constexpr int MaxLinkHops = 40;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The file a save writes, after symbolic links; `exists` is false for a
// missing file (a dangling link's target included).
struct Target {
    QByteArray path;
    bool exists = false;
    struct stat info {};
};

struct TargetResult : FileResult<WriteStatus> {
    Target target;
};

TargetResult resolveTarget(QByteArray path)
{
    TargetResult result;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno != ENOENT) {
                result.status = WriteStatus::Failed;
                result.reason = errnoText(errno);
            }
            result.target.path = path;
            return result;
        }
        if (!S_ISLNK(info.st_mode)) {
            result.target = {path, true, info};
            return result;
        }
        QByteArray link(info.st_size > 0 ? info.st_size + 1 : 4096, '\0');
        const ssize_t length = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (length < 0 || length >= link.size()) {
            result.status = WriteStatus::Failed;
            result.reason = length < 0 ? errnoText(errno) : QStringLiteral("its symbolic link changed while saving");
            return result;
        }
        link.truncate(length);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    result.status = WriteStatus::Failed;
    result.reason = QStringLiteral("it is a symbolic-link loop (%1)").arg(errnoText(ELOOP));
    return result;
}

// Writes all of `data` at `offset`; an empty string, or why not.
QString writeAllAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno == EFBIG || errno == ENOSPC ? DiskFull : errnoText(errno);
        if (written == 0)
            return DiskFull;
        data += written;
        size -= written;
        offset += written;
    }
    return QString();
}

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

// Syncs and closes `fd`; an empty string, or why either failed.
QString syncAndClose(int fd)
{
    const QString synced = ::fsync(fd) == 0 ? QString() : errnoText(errno);
    const QString closed = ::close(fd) == 0 ? QString() : errnoText(errno);
    return synced.isEmpty() ? closed : synced;
}

void removeStaleTemporaries(const QByteArray &target)
{
    const QByteArray folder = folderOf(target);
    const QString fileName = QFile::decodeName(baseNameOf(target));
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isSaveTemporaryOf(fileName, QFile::decodeName(entry->d_name)))
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(path.constData());
    }
    ::closedir(dir);
}

// A new temporary file beside `target`, open for writing, or -1 with errno set.
int createTemporary(const QByteArray &target, mode_t mode, QByteArray &name)
{
    static const char Alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + TemporaryInfix.toLatin1();
        for (int i = 0; i < TemporarySuffixLength; ++i)
            name += Alphabet[QRandomGenerator::global()->bounded(int(sizeof Alphabet) - 1)];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Gives the temporary file the old file's owner and group where the system
// allows it (a user may give a file only a group of its own), then its mode;
// in that order, since a change of owner clears the set-id bits.
void keepOwnerAndMode(int fd, const struct stat &old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

enum class Replaced { Done, Failed, NotAllowedHere };

// Writes the new file beside the target and renames it over the target.
// NotAllowedHere: the folder refused the temporary file or the rename, or
// the old file may not be read for its tail; nothing was changed.
Replaced replaceWhole(const Target &target, QByteArrayView head, QString &reason)
{
    QByteArray temporary;
    const int fd = createTemporary(target.path, target.exists ? 0600 : 0666, temporary);
    if (fd < 0) {
        reason = errnoText(errno);
        return target.exists && (errno == EACCES || errno == EPERM || errno == EROFS) ? Replaced::NotAllowedHere
                                                                                       : Replaced::Failed;
    }
    if (target.exists)
        keepOwnerAndMode(fd, target.info);
    reason = writeAllAt(fd, head.data(), head.size(), 0);
    if (reason.isEmpty() && target.exists && target.info.st_size > head.size()) {
        const int old = ::open(target.path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (old < 0 && errno == EACCES) {
            // A map that may be written but not read: its tail stays only
            // where it is.
            ::close(fd);
            ::unlink(temporary.constData());
            return Replaced::NotAllowedHere;
        }
        reason = old < 0 ? errnoText(errno) : copyTail(old, fd, head.size());
        if (old >= 0)
            ::close(old);
    }
    const QString closed = syncAndClose(fd);
    if (reason.isEmpty())
        reason = closed;
    if (reason.isEmpty() && ::rename(temporary.constData(), target.path.constData()) != 0) {
        const int error = errno;
        reason = errnoText(error);
        ::unlink(temporary.constData());
        return error == EACCES || error == EPERM ? Replaced::NotAllowedHere : Replaced::Failed;
    }
    if (!reason.isEmpty()) {
        ::unlink(temporary.constData());
        return Replaced::Failed;
    }
    syncFolder(folderOf(target.path));
    return Replaced::Done;
}

WriteResult writeInPlace(const Target &target, QByteArrayView head)
{
    const int fd = ::open(target.path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failed(errnoText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failed(whyNotRegular(info.st_mode));
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
    return reason.isEmpty() ? WriteResult{} : failed(reason);
}

} // namespace

WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    if (path.isEmpty())
        return failed(QStringLiteral("no file name was given"));
    const TargetResult resolved = resolveTarget(QFile::encodeName(path));
    if (!resolved.ok())
        return failed(resolved.reason);
    const Target &target = resolved.target;

    bool inPlace = false;
    if (target.exists) {
        if (QString why = whyNotRegular(target.info.st_mode); !why.isEmpty())
            return failed(why);
        if (::access(target.path.constData(), W_OK) != 0)
            return failed(QStringLiteral("the file may not be written (permission denied)"));
        inPlace = target.info.st_nlink > 1 || target.info.st_size - head.size() > MaxCopiedTail;
    }
    removeStaleTemporaries(target.path);
    if (!inPlace) {
        QString reason;
        switch (replaceWhole(target, head, reason)) {
        case Replaced::Done:
            return {};
        case Replaced::Failed:
            return failed(reason);
        case Replaced::NotAllowedHere:
            break; // the folder is closed to us, the file is not
        }
    }
    return writeInPlace(target, head);
}

#else

// Without POSIX: Qt's safe save, the tail copied in bounded chunks.
WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    if (path.isEmpty())
        return failed(QStringLiteral("no file name was given"));
    const QFileInfo target(path);
    if (target.exists()) {
        if (target.isDir())
            return failed(QStringLiteral("it is a folder, not a file"));
        if (!target.isFile())
            return failed(QStringLiteral("it is not a regular file"));
        if (!target.isWritable())
            return failed(QStringLiteral("the file may not be written (permission denied)"));
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(out.errorString());
    auto put = [&](QByteArrayView bytes) {
        return out.write(bytes.data(), bytes.size()) == bytes.size();
    };
    bool written = put(head);
    if (written && target.size() > head.size()) {
        QFile old(path);
        written = old.open(QIODevice::ReadOnly) && old.seek(head.size());
        while (written && !old.atEnd())
            written = put(old.read(ChunkBytes)) && old.error() == QFileDevice::NoError;
    }
    if (!written) {
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : DiskFull;
        out.cancelWriting();
        return failed(reason);
    }
    if (!out.commit())
        return failed(out.errorString());
    return {};
}

#endif

} // namespace kestrun
