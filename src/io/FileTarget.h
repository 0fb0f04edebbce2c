#pragma once

// What the file writers of src/io (writeFileHead, writeWholeFile) share: the
// file a write goes to, and, on POSIX systems, replacing it through a
// temporary file beside it. For those writers only.

#include "io/WholeFileWrite.h"

#include <QByteArray>
#include <QString>

#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include <QSaveFile>
#endif

namespace kestrun::detail {

extern const QString DiskFull;

inline WriteResult writeFailure(const QString &reason)
{
    return {WriteStatus::Failed, reason};
}

#ifdef Q_OS_UNIX

// The file a write goes to, after symbolic links; `exists` is false for a
// missing file (a dangling link's target included).
struct Target {
    QByteArray path;
    bool exists = false;
    struct stat info {};
};

struct TargetResult : FileResult<WriteStatus> {
    Target target;
};

// The file `path` names, once it is known that it may be written: a missing
// file (made by the write), or a regular file the user may write. A folder,
// device, pipe, read-only file or symbolic-link loop is a failure.
TargetResult writableTarget(const QString &path);

// Writes all of `data` at `offset`; an empty string, or why not.
QString writeAllAt(int fd, const char *data, qint64 size, qint64 offset);

// Syncs and closes `fd`; an empty string, or why either failed.
QString syncAndClose(int fd);

// Removes the temporaries that killed writes of `target` left beside it.
void removeStaleTemporaries(const QByteArray &target);

// Impossible: the file cannot be replaced here (the folder refused the
// temporary file or the rename, the temporary's name would be too long, the
// old file's attributes would not pass, its tail cannot be read); nothing
// was changed. Changed: the file changed on disk while it was being copied.
enum class Replaced { Done, Failed, Impossible, Changed };
using Replacement = FileResult<Replaced>;

// Writes the new file's content into the temporary file's descriptor.
using TemporaryFill = std::function<Replacement(int fd)>;

// How the old file's owner, group, mode and extended attributes (its ACL
// among them) pass to the new one: exactly, or as far as the system allows.
enum class Keeping { Exactly, AsAllowed };

// Makes a temporary file beside the target (with the old file's owner, group,
// mode and extended attributes), lets `fill` write it, syncs it and renames
// it over the target. Impossible also when what `keeping` asks could not be
// kept. On any failure the temporary file is gone.
Replacement replaceThroughTemporary(const Target &target, const TemporaryFill &fill, Keeping keeping);

#else

// Writes the file at `path` through QSaveFile, once it is known that it may
// be written: `fill` writes the content and says whether every byte went (a
// short write is a full disk). Committed, or cancelled on any failure.
WriteResult saveWithQt(const QString &path, const std::function<bool(QSaveFile &)> &fill);

#endif

} // namespace kestrun::detail
