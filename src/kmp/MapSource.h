#pragma once

#include "io/RegularFile.h"

#include <QString>

namespace kestrun::kmp {

// Files kmp reads whole (dump, diff) may be this large; a level is 726 bytes,
// and anything near this is not one.
inline constexpr qint64 MaxWholeFileBytes = qint64(16) * 1024 * 1024;

// Reads a whole file, refusing one larger than `limit`. Only a regular file
// is opened, as everywhere in the editor (see readRegularFile): a folder,
// named pipe, socket or device is refused at once, so nothing blocks.
ReadResult readWholeFile(const QString &path, qint64 limit = MaxWholeFileBytes);

} // namespace kestrun::kmp
