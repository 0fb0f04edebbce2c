#pragma once

#include "RegularFile.h"

#include <QString>

namespace kestrun::kmp {

// Files kmp reads whole (diff; dump of the standard input; a file dump reads
// as it goes) may be this large; a level is 726 bytes, and anything near this
// is not one.
inline constexpr qint64 MaxWholeFileBytes = qint64(16) * 1024 * 1024;

// The name that stands for the standard input (and for render, its output).
inline const QString StandardStream = QStringLiteral("-");

// The usage error for "-" named twice: a second read of the standard input
// would find it empty and report a map that was never given.
inline const QString StandardInputTwice = QStringLiteral("- is given twice; the standard input is one map");

// Reads a whole file, refusing one larger than `limit`. Only a regular file
// is opened, as everywhere in the editor (see readRegularFile): a folder,
// named pipe, socket or device is refused at once, so nothing blocks.
// "-" is the standard input, read to its end.
ReadResult readWholeFile(const QString &path, qint64 limit = MaxWholeFileBytes);

// The first `keep` bytes of a file and its whole size, as readRegularFile
// gives them; "-" is the standard input, read to its end and refused past
// MaxWholeFileBytes (an endless input is no map).
ReadResult readFileHead(const QString &path, qint64 keep);

} // namespace kestrun::kmp
