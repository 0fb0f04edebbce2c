#pragma once

// The file a write of src/io (writeFileHead, writeWholeFile, writeMapStream)
// goes to, once symbolic links are followed and it is known that it may be
// written. For those writers only.

#include "WholeFileWrite.h"

#include <QByteArray>
#include <QString>

#ifdef Q_OS_UNIX
#include "PosixFile.h"

#include <sys/stat.h>
#endif

namespace kestrun::detail {

inline WriteResult writeFailure(const QString &reason)
{
    return {WriteStatus::Failed, reason};
}

#ifdef Q_OS_UNIX

// The file a write goes to, after symbolic links: its folder, held open so
// that nothing after the walk resolves the path again, and its name there.
// `exists` is false for a missing file (a dangling link's target included).
struct Target {
    Descriptor folder; // opened with O_PATH
    QByteArray name;
    bool exists = false;
    struct stat info {};

    // A path to the file through the folder's descriptor
    // (/proc/self/fd/N/NAME), for the calls that take only a path.
    QByteArray pathThroughFolder() const;
};

struct TargetResult : FileResult<WriteStatus> {
    Target target;
};

// The file `path` names, once it is known that it may be written: a missing
// file (made by the write), or a regular file the user may write. A folder,
// device, pipe, read-only file or symbolic-link loop is a failure.
//
// The path is walked one part at a time from descriptor to descriptor,
// links read where they are met, as the kernel's protected_symlinks rule
// has them: in a sticky folder that anyone may write (such as /tmp), a link
// owned neither by this user nor by the folder's owner is refused, wherever
// it is on the way.
TargetResult writableTarget(const QString &path);

#else

// Why the file at `path` may not be written; empty for a missing file or a
// regular file the user may write.
QString whyNotWritable(const QString &path);

#endif

} // namespace kestrun::detail
