#pragma once

#include "io/RegularFile.h"

namespace kestrun {

// The same as readRegularFile (the regular file's first `maxBytes` bytes and
// its size; anything else refused without blocking), in plain system calls
// rather than through QFile: for readers of many small files, such as kmp
// checking a thousand maps, where QFile's own calls cost more than the read.
ReadResult readRegularFileHead(const QString &path, qint64 maxBytes);

} // namespace kestrun
