#include "kmp/MapSource.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

ReadResult readWholeFile(const QString &path, qint64 limit)
{
    ReadResult file = readRegularFile(path, limit);
    if (file.ok() && file.size > limit) {
        file.status = ReadStatus::Refused;
        file.reason = u"the file is %1 bytes; kmp reads files of up to %2 bytes whole"_s.arg(file.size).arg(limit);
        file.bytes.clear();
    }
    // A file that changed while it was read: what was read is the file.
    if (file.ok())
        file.size = file.bytes.size();
    return file;
}

} // namespace kestrun::kmp
