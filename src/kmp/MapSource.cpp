#include "MapSource.h"

#include "RegularFileHead.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

ReadResult refused(const QString &reason)
{
    ReadResult result;
    result.status = ReadStatus::Refused;
    result.reason = reason;
    return result;
}

// The standard input to its end: its first `keep` bytes and its size,
// refused when it runs past `limit`.
ReadResult readStandardInput(qint64 keep, qint64 limit)
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return refused(input.errorString());
    ReadResult result;
    for (;;) {
        const QByteArray chunk = input.read(64 * 1024);
        if (input.error() != QFileDevice::NoError)
            return refused(input.errorString());
        if (chunk.isEmpty())
            break;
        if (result.bytes.size() < keep)
            result.bytes += chunk.left(keep - result.bytes.size());
        result.size += chunk.size();
        if (result.size > limit)
            return refused(u"the standard input runs past %1 bytes, more than kmp reads"_s.arg(limit));
    }
    return result;
}

} // namespace

ReadResult readWholeFile(const QString &path, qint64 limit)
{
    if (path == StandardStream)
        return readStandardInput(limit, limit);
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

ReadResult readFileHead(const QString &path, qint64 keep)
{
    if (path == StandardStream)
        return readStandardInput(keep, MaxWholeFileBytes);
    return readRegularFileHead(path, keep);
}

} // namespace kestrun::kmp
