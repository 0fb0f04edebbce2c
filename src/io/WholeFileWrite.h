#pragma once

#include "io/FileResult.h"

#include <QByteArrayView>
#include <QString>

namespace kestrun {

enum class WriteStatus { Written, Failed };
using WriteResult = FileResult<WriteStatus>;

// Writes `data` as the whole content of the file at `path`, creating it or
// replacing what it held: the file is afterwards exactly `data`, or exactly
// what it was. A temporary file beside it (NAME.kestrun-save-XXXXXX) gets the
// bytes, the old file's mode and, where the system allows it, its owner and
// group; it is synced and renamed over the file. A failure, a full disk
// included, leaves nothing behind. Symbolic links are followed to the file
// they name (a dangling link creates it; a loop is a failure). Temporaries
// that a killed write of the same file left behind are removed first. A
// folder, device, pipe or read-only file is refused, and so is a file in a
// folder that may not be written: the file is never written in place, where
// a failure would leave it half-written.
WriteResult writeWholeFile(const QString &path, QByteArrayView data);

// Whether `name` is a temporary file of a write of `fileName` (both without
// a folder, as the system's bytes): `fileName` followed by ".kestrun-save-"
// and six letters or digits.
bool isSaveTemporaryOf(QByteArrayView fileName, QByteArrayView name);

} // namespace kestrun
