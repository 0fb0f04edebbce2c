#include "kmp/MapSource.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

QString notRegularReason(const QFileInfo &info)
{
    if (!info.exists())
        return u"no such file"_s;
    if (info.isDir())
        return u"it is a folder, not a file"_s;
    return u"it is not a regular file"_s;
}

MapBytes failed(QString reason)
{
    MapBytes result;
    result.reason = std::move(reason);
    return result;
}

} // namespace

MapBytes readMapBytes(const QString &path, qint64 limit)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return failed(notRegularReason(info));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    MapBytes result;
    result.size = file.size();
    // Never more than the file holds: read() reserves what it is asked for.
    result.data = file.read(std::min(limit, result.size));
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    result.ok = true;
    return result;
}

MapBytes readWholeMapFile(const QString &path)
{
    MapBytes result = readMapBytes(path, MaxWholeFileBytes);
    if (result.ok && result.size > MaxWholeFileBytes) {
        return failed(u"the file is %1 bytes; kmp reads files of up to %2 bytes whole"_s.arg(result.size).arg(
            MaxWholeFileBytes));
    }
    // A file that changed while it was read: what was read is the file.
    if (result.ok)
        result.size = result.data.size();
    return result;
}

} // namespace kestrun::kmp
