#pragma once

// The file a write of src/io (writeFileHead, writeWholeFile) goes to, once
// symbolic links are followed and it is known that it may be written. For
// those writers only.

#include "io/WholeFileWrite.h"

#include <QByteArray>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kestrun::detail {

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

// The folder of a path ("." for a bare name) and its last part.
QByteArray folderOf(const QByteArray &path);
QByteArray baseNameOf(const QByteArray &path);

#else

// Why the file at `path` may not be written; empty for a missing file or a
// regular file the user may write.
QString whyNotWritable(const QString &path);

#endif

} // namespace kestrun::detail
