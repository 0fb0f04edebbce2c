#pragma once

#include "FileResult.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace kestrun {

// Every file the editor reads (a map, tileset.dat, a picture) is opened
// through here. Only a regular file is opened, after symbolic links are
// followed: a named pipe, socket or device could block the reader for ever or
// never end, so it is refused without being opened.

enum class OpenStatus { Opened, Refused };
using OpenResult = FileResult<OpenStatus>;

// Opens `file` (its name already set) for reading.
OpenResult openRegularFile(QFile &file);

enum class ReadStatus { Read, Refused };
struct ReadResult : FileResult<ReadStatus> {
    QByteArray bytes;
    qint64 size = 0; // the whole file's size, however much of it was read
};

// The first `maxBytes` bytes (or fewer, when the file is shorter) of the
// regular file at `path`, and the file's size.
ReadResult readRegularFile(const QString &path, qint64 maxBytes);

// Why a file of this kind (a stat() st_mode) is not read or written as a
// map: "it is a folder, not a file", "it is not a regular file (a named
// pipe)"; empty for a regular file.
QString whyNotRegular(unsigned mode);

#ifndef Q_OS_UNIX
// The same where only what QFileInfo says is known: a folder, or another
// kind of file than a regular one.
QString whyNotRegular(const QFileInfo &info);
#endif

} // namespace kestrun
