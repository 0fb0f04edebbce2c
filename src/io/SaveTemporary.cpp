#include "SaveTemporary.h"

#include "FileTarget.h"
#include "SaveSteps.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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

#ifdef Q_OS_UNIX
namespace detail {
namespace {

// Removes the temporary `name` in `folder` unless a save holds its lock. The
// type is checked before it is opened, as opening a device may act on it.
void removeIfAbandoned(int folder, const char *name)
{
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return;
    constexpr int Flags = O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    int fd = ::openat(folder, name, O_RDONLY | Flags);
    if (fd < 0 && errno == EACCES) // a temporary of a write-only file
        fd = ::openat(folder, name, O_WRONLY | Flags);
    if (fd < 0)
        return;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlinkat(folder, name, 0);
    ::close(fd);
}

} // namespace

// The lock tells the leftover cleanup of another write of the same file that
// this one is alive; should that cleanup have removed the file before it was
// locked, another is made.
int createTemporary(int folder, const QByteArray &fileName, mode_t mode, QByteArray &name)
{
    static const char Alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QByteArray prefix = temporaryStem(fileName) + TemporaryInfix;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (int i = 0; i < TemporarySuffixLength; ++i)
            name += Alphabet[QRandomGenerator::global()->bounded(int(sizeof Alphabet) - 1)];
        const int fd = stepCall(SaveStep::CreateTemporary, [&] {
            return ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        });
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

int createUnnamedTemporary(int folder)
{
    constexpr int Flags = O_TMPFILE | O_RDWR | O_CLOEXEC;
    const int fd = stepCall(SaveStep::CreateTemporary, [&] { return ::openat(folder, ".", Flags, 0600); });
    if (fd >= 0)
        return fd;
    return ::open(QFile::encodeName(QDir::tempPath()).constData(), Flags, 0600);
}

void removeStaleTemporaries(int folder, const QByteArray &fileName)
{
    // Compared as bytes: decoded, two names that are not valid UTF-8 may
    // read the same.
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return;
    DIR *dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (isSaveTemporaryOf(fileName, entry->d_name))
            removeIfAbandoned(folder, entry->d_name);
    }
    ::closedir(dir);
}

} // namespace detail
#endif

} // namespace kestrun
