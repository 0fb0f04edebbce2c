#include "io/FileTarget.h"

#include "io/PosixFile.h"
#include "io/RegularFile.h"

#include <QFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif
#else
#include <QFileInfo>
#endif

namespace kestrun {
namespace {

constexpr char TemporaryInfix[] = ".kestrun-save-";
constexpr qsizetype TemporarySuffixLength = 6;
// The longest file name most file systems take (Linux's NAME_MAX).
constexpr qsizetype MaxNameBytes = 255;
constexpr qsizetype MaxStemBytes = MaxNameBytes - qsizetype(sizeof TemporaryInfix - 1) - TemporarySuffixLength;
constexpr qsizetype HashDigits = 8;

// FNV-1a: a fixed hash, the same in every process.
quint32 fixedHash(QByteArrayView bytes)
{
    quint32 hash = 2166136261u;
    for (const char byte : bytes)
        hash = (hash ^ quint8(byte)) * 16777619u;
    return hash;
}

// What a temporary file's name starts with: the file's name, or, for a name
// too long to take the infix and suffix as well, its start (cut between
// UTF-8 characters), "~" and a hash of the whole name, so that two long names
// alike at the start still have temporaries of their own.
QByteArray temporaryStem(QByteArrayView fileName)
{
    if (fileName.size() <= MaxStemBytes)
        return fileName.toByteArray();
    qsizetype cut = MaxStemBytes - 1 - HashDigits;
    for (int back = 0; back < 3 && (quint8(fileName[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return fileName.first(cut).toByteArray() + '~'
        + QByteArray::number(fixedHash(fileName), 16).rightJustified(HashDigits, '0');
}

} // namespace

bool isSaveTemporaryOf(QByteArrayView fileName, QByteArrayView name)
{
    const QByteArray prefix = temporaryStem(fileName) + TemporaryInfix;
    if (name.size() != prefix.size() + TemporarySuffixLength || !name.startsWith(prefix))
        return false;
    const QByteArrayView suffix = name.last(TemporarySuffixLength);
    return std::all_of(suffix.begin(), suffix.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

namespace detail {

const QString DiskFull = QStringLiteral("the disk is full or the file too large");

#ifdef Q_OS_UNIX
namespace {

constexpr int MaxLinkHops = 40;

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

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

// A new temporary file beside `target`, open for writing and locked for as
// long as it is open, or -1 with errno set. The lock tells the leftover
// cleanup of another save of the same file that this one is alive; should
// that cleanup have removed the file before it was locked, another is made.
int createTemporary(const QByteArray &target, mode_t mode, QByteArray &name)
{
    static const char Alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QByteArray prefix = folderOf(target) + '/' + temporaryStem(baseNameOf(target)) + TemporaryInfix;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (int i = 0; i < TemporarySuffixLength; ++i)
            name += Alphabet[QRandomGenerator::global()->bounded(int(sizeof Alphabet) - 1)];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return -1;
        // Without locks (some network file systems) the cleanup locks
        // nothing either, and so removes nothing.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Removes the temporary at `path` unless a save holds its lock. The type is
// checked before it is opened, as opening a device may act on it.
void removeIfAbandoned(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    constexpr int Flags = O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    int fd = ::open(path.constData(), O_RDONLY | Flags);
    if (fd < 0 && errno == EACCES) // a temporary of a write-only file
        fd = ::open(path.constData(), O_WRONLY | Flags);
    if (fd < 0)
        return;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(path.constData());
    ::close(fd);
}

#ifdef Q_OS_LINUX
// Reads an attribute list or value into `bytes` through `get`, which the
// *xattr calls answer: asked for 0 bytes it gives the size. False with errno
// set on failure.
template<typename Get>
bool readAttribute(QByteArray &bytes, const Get &get)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0)
            return false;
        bytes.resize(size);
        const ssize_t got = size == 0 ? 0 : get(bytes.data(), size_t(size));
        if (got >= 0) {
            bytes.resize(got);
            return true;
        }
        if (errno != ERANGE) // ERANGE: it grew in between
            return false;
    }
    return false;
}

// Copies the extended attributes of the file at `from` (its access ACL,
// user attributes such as tags) onto `to`; false if one could not be set.
bool copyExtendedAttributes(const QByteArray &from, int to)
{
    QByteArray names;
    if (!readAttribute(names, [&](char *out, size_t size) { return ::listxattr(from.constData(), out, size); }))
        return errno == ENOTSUP;
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value, present;
        if (!readAttribute(value, [&](char *out, size_t size) { return ::getxattr(from.constData(), name.constData(), out, size); }))
            return false;
        // A label the system gave the new file already (SELinux) may be
        // one the user could not set.
        if (readAttribute(present, [&](char *out, size_t size) { return ::fgetxattr(to, name.constData(), out, size); })
            && present == value)
            continue;
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}
#else
bool copyExtendedAttributes(const QByteArray &, int)
{
    return true;
}
#endif

// Gives the temporary file the old file's owner, group, mode and extended
// attributes: owner and group first, since a change of owner clears the
// set-id bits. False when one of them could not be given (a user may not
// give a file away; then the group alone, where the user is a member of it).
bool keepOwnerModeAndAttributes(int fd, const Target &old)
{
    const struct stat &info = old.info;
    bool kept = true;
    if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) && ::fchown(fd, info.st_uid, info.st_gid) != 0) {
        kept = false;
        (void)::fchown(fd, uid_t(-1), info.st_gid);
    }
    kept = ::fchmod(fd, info.st_mode & 07777) == 0 && kept;
    return copyExtendedAttributes(old.path, fd) && kept;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

TargetResult writableTarget(const QString &path)
{
    if (path.isEmpty())
        return {{WriteStatus::Failed, QStringLiteral("no file name was given")}, {}};
    TargetResult resolved = resolveTarget(QFile::encodeName(path));
    if (!resolved.ok() || !resolved.target.exists)
        return resolved;
    if (QString why = whyNotRegular(resolved.target.info.st_mode); !why.isEmpty())
        return {{WriteStatus::Failed, why}, {}};
    if (::access(resolved.target.path.constData(), W_OK) != 0)
        return {{WriteStatus::Failed, QStringLiteral("the file may not be written (permission denied)")}, {}};
    return resolved;
}

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

QString syncAndClose(int fd)
{
    const QString synced = ::fsync(fd) == 0 ? QString() : errnoText(errno);
    const QString closed = ::close(fd) == 0 ? QString() : errnoText(errno);
    return synced.isEmpty() ? closed : synced;
}

void removeStaleTemporaries(const QByteArray &target)
{
    // Compared as bytes: decoded, two names that are not valid UTF-8 may
    // read the same.
    const QByteArray folder = folderOf(target);
    const QByteArray fileName = baseNameOf(target);
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (isSaveTemporaryOf(fileName, entry->d_name))
            removeIfAbandoned(folder + '/' + entry->d_name);
    }
    ::closedir(dir);
}

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
    ::close(fd); // after a sync: what close could still report is on disk
    if (result.ok())
        syncFolder(folderOf(target.path));
    return result;
}

#else

namespace {

QString whyNotWritable(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("no file name was given");
    const QFileInfo target(path);
    if (!target.exists())
        return QString();
    if (target.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (!target.isFile())
        return QStringLiteral("it is not a regular file");
    if (!target.isWritable())
        return QStringLiteral("the file may not be written (permission denied)");
    return QString();
}

} // namespace

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

} // namespace detail
} // namespace kestrun
