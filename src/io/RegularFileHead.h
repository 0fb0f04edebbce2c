#pragma once

#include "RegularFile.h"

namespace kestrun {

// The same as readRegularFile (the regular file's first `maxBytes` bytes and
// its size; anything else refused without blocking), in plain system calls
// rather than through QFile: for readers of many small files, such as kmp
// checking a thousand maps, where QFile's own calls cost more than the read.
ReadResult readRegularFileHead(const QString &path, qint64 maxBytes);

// The first `maxBytes` bytes of the file a write to `path` would replace,
// reached by the writers' own walk (see writableTarget): a link the write
// would refuse, another user's in a shared sticky folder, is not followed to
// read it either. Refused, with the write's reason, where the write would be
// and for a missing file; a file the write may replace but that cannot be
// read gives no bytes.
ReadResult readWriteTargetHead(const QString &path, qint64 maxBytes);

} // namespace kestrun
