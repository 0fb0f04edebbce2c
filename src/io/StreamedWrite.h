#pragma once

#include "WholeFileWrite.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace kestrun {

// Appends bytes to the file being written; false when they could not be written (the writer keeps the reason).
using ByteSink = std::function<bool(QByteArrayView)>;
// Writes the whole new content into `sink`; returns an empty string, or why the content could not be made (then the
// write is abandoned and the old file kept).
using ContentProducer = std::function<QString(const ByteSink &sink)>;
// Writes a map file whole from `produce`, under the editor's save rules: through a temporary renamed over it, or in
// place where the save writes in place (a hard-linked map, a rename refused with EBUSY or EXDEV, flags or ACL or
// attributes a new file would not get, ...). Shared-folder links are refused as for every writer.
//
// The content is produced once, never held in memory whole. Where the map
// is written in place it is first produced into a temporary file without a
// name (in the map's folder, or the system's temporary folder), then copied
// over the map, so a producer that fails half-way leaves the map as it was.
// When a sink write fails, the result's reason is the write's, whatever the
// producer says.
WriteResult writeMapStream(const QString &path, const ContentProducer &produce);

} // namespace kestrun
