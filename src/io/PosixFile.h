#pragma once

// The POSIX calls the readers and writers of src/io share: opening a regular
// file by descriptor and holding the descriptor, writing it. For src/io only.

#include "FileErrors.h"
#include "RegularFile.h"

#include <QByteArray>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>

#include <utility>

namespace kestrun::detail {

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor() { reset(); }
    Descriptor(Descriptor &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

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

// The same for the file `name` in the folder `folder` (a descriptor), never
// following a symbolic link there: a link swapped in is refused.
OpenedFile openRegularAt(int folder, const QByteArray &name, int access);

// Writes all of `data` at `offset`; an empty string, or why not.
QString writeAllAt(int fd, const char *data, qint64 size, qint64 offset);

} // namespace kestrun::detail

#endif
