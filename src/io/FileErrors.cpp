#include "FileErrors.h"

#include <cerrno>

namespace kestrun::detail {

const QString NoFileName = QStringLiteral("no file name was given");
const QString DiskFull = QStringLiteral("the disk is full or the file too large");
const QString NotWritable = QStringLiteral("the file may not be written (permission denied)");
const QString IsFolder = QStringLiteral("it is a folder, not a file");
const QString NotRegular = QStringLiteral("it is not a regular file");
const QString ReadOnlyFileSystem = QStringLiteral("it is on a read-only file system");

QString errnoText(int error)
{
    return qt_error_string(error);
}

QString writeErrorText(int error)
{
    if (error == EROFS)
        return ReadOnlyFileSystem;
    return error == ENOSPC || error == EFBIG ? DiskFull : errnoText(error);
}

} // namespace kestrun::detail
