#pragma once

#include "WholeFileWrite.h"

namespace kestrun {

// Writes a file that can be made again from its sources (a picture drawn
// from a map, a gallery page): like writeWholeFile, the file is afterwards
// exactly `data` or exactly what it was, never a partial file, with its
// owner, group and mode kept as far as the system allows. Unlike it, nothing
// is synced: a crash may lose the new file, which is made again, and a
// thousand thumbnails do not wait for the disk a thousand times.
WriteResult writeRebuildableFile(const QString &path, QByteArrayView data);

} // namespace kestrun
