#include "RebuildableFileWrite.h"

#include "TemporaryReplace.h"

namespace kestrun {

WriteResult writeRebuildableFile(const QString &path, QByteArrayView data)
{
    return detail::replaceWhole(path, data, detail::Syncing::Off);
}

} // namespace kestrun
