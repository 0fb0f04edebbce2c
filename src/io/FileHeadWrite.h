#pragma once

#include "WholeFileWrite.h"

#include <QByteArrayView>
#include <QString>

namespace kestrun {

// A tail longer than this is not copied: the head is written in place.
inline constexpr qint64 MaxCopiedTail = qint64(1) * 1024 * 1024;

// Writes `head` over the start of the file at `path`, keeping every byte the
// file holds after it, or creates the file. Symbolic links are followed to
// the file they name (a dangling link creates it; a loop is a failure),
// except another user's link in a shared sticky folder (see writableTarget).
// A folder, device, pipe or read-only file is refused.
//
// On POSIX systems the file is replaced whole, as writeWholeFile replaces
// one: a temporary file beside it gets the head, the old tail (copied in
// bounded chunks, exactly as long as it was when examined), and the old
// file's owner, group, mode, extended attributes and inode flags; it is
// synced and renamed over the file, and the folder synced, so a failure or a
// crash leaves the old file as it was. The head is written in place instead
// (one write, then a sync), which is what keeps the file as it is for
// everyone else, when
//   - the file has more than one hard link (every name sees the change),
//   - its tail is longer than MaxCopiedTail (copying costs more than it
//     protects),
//   - the folder may not be written but the file may, or the temporary's
//     path would be too long,
//   - the rename is refused (EBUSY: a file bind-mounted over; EXDEV),
//   - the temporary cannot be given the old owner, group, mode, extended
//     attributes (the ACL, or none where the folder's default ACL would
//     give one) or inode flags exactly (another user's file), or
//   - the file may be written but not read (its tail cannot be copied).
// Temporaries that killed saves of the same file left behind are removed
// first; one that another save holds locked is left alone.
//
// Elsewhere the file is always replaced, through QSaveFile.
WriteResult writeFileHead(const QString &path, QByteArrayView head);

} // namespace kestrun
