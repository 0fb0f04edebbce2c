#pragma once

#include <QByteArray>
#include <QString>

namespace kestrun::kmp {

// Files kmp reads whole (dump, diff) may be this large; a level is 726 bytes,
// and anything near this is not one.
inline constexpr qint64 MaxWholeFileBytes = qint64(16) * 1024 * 1024;

struct MapBytes {
    bool ok = false;
    QString reason;  // why the file could not be read, when not ok
    QByteArray data; // the file's first bytes, as many as were asked for
    qint64 size = 0; // the file's whole size
};

// Reads the first `limit` bytes of a file. Only regular files are opened: a
// folder, named pipe, socket or device is refused at once, so nothing blocks.
MapBytes readMapBytes(const QString &path, qint64 limit);
// Reads a whole file, refusing one larger than MaxWholeFileBytes.
MapBytes readWholeMapFile(const QString &path);

} // namespace kestrun::kmp
