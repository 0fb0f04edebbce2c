#pragma once

#include "FileResult.h"

#include <QByteArrayView>
#include <QString>

namespace kestrun {

enum class WriteStatus { Written, Failed };
using WriteResult = FileResult<WriteStatus>;

// Writes `data` as the whole content of the file at `path`, creating it or
// replacing what it held: the file is afterwards exactly `data`, or exactly
// what it was. A temporary file beside it (NAME.kestrun-save-XXXXXX) gets the
// bytes and, as far as the system allows, the old file's owner, group, mode,
// extended attributes and inode flags; it is synced and renamed over the file. A
// failure, a full disk included, leaves nothing behind. Symbolic links are
// followed to the file they name (a dangling link creates it; a loop is a
// failure), except another user's link in a shared sticky folder, which is
// refused. Temporaries that killed writes of the same file left behind,
// and no write holds locked, are removed first. A
// folder, device, pipe or read-only file is refused, and so is a file in a
// folder that may not be written: the file is never written in place, where
// a failure would leave it half-written.
WriteResult writeWholeFile(const QString &path, QByteArrayView data);

// Whether `name` is a temporary file of a write of `fileName` (both without
// a folder, as the system's bytes): `fileName` followed by ".kestrun-save-"
// and six letters or digits; for a name too long for that, its start, "~"
// and eight hex digits of a hash of the whole name stand for `fileName`.
bool isSaveTemporaryOf(QByteArrayView fileName, QByteArrayView name);

} // namespace kestrun
