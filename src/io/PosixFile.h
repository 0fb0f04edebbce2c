#pragma once

// The POSIX calls the readers and writers of src/io share: error texts and
// opening a regular file by descriptor. For src/io only.

#include "io/RegularFile.h"

#include <QByteArray>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>

namespace kestrun::detail {

// The system's text for an errno value ("Permission denied"), thread-safe.
QString errnoText(int error);

struct OpenedFile : FileResult<OpenStatus> {
    int fd = -1;
    int error = 0; // errno when the open itself failed
    struct stat info {};
};

// Opens the regular file at `path` with `access` (O_RDONLY or O_WRONLY),
// after symbolic links. A named pipe or device met there (swapped in after a
// check, say) is refused without blocking; the descriptor of a regular file
// then blocks as usual. The caller closes `fd`.
OpenedFile openRegularDescriptor(const QByteArray &path, int access);

} // namespace kestrun::detail

#endif
