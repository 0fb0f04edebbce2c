#include "io/KeptAttributes.h"

#ifdef Q_OS_UNIX
#include <QList>

#include <cerrno>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace kestrun::detail {
namespace {

#ifdef Q_OS_LINUX
// Reads an attribute list or value into `bytes` through `get`, which the
// *xattr calls answer: asked for 0 bytes it gives the size. False with errno
// set on failure.
template<typename Get>
bool readAttribute(QByteArray &bytes, const Get &get)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0)
            return false;
        bytes.resize(size);
        const ssize_t got = size == 0 ? 0 : get(bytes.data(), size_t(size));
        if (got >= 0) {
            bytes.resize(got);
            return true;
        }
        if (errno != ERANGE) // ERANGE: it grew in between
            return false;
    }
    return false;
}

// Copies the extended attributes of the file at `from` (its access ACL,
// user attributes such as tags) onto `to`; false if one could not be set.
bool copyExtendedAttributes(const QByteArray &from, int to)
{
    QByteArray names;
    if (!readAttribute(names, [&](char *out, size_t size) { return ::listxattr(from.constData(), out, size); }))
        return errno == ENOTSUP;
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value, present;
        if (!readAttribute(value, [&](char *out, size_t size) { return ::getxattr(from.constData(), name.constData(), out, size); }))
            return false;
        // A label the system gave the new file already (SELinux) may be
        // one the user could not set.
        if (readAttribute(present, [&](char *out, size_t size) { return ::fgetxattr(to, name.constData(), out, size); })
            && present == value)
            continue;
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}
#else
bool copyExtendedAttributes(const QByteArray &, int)
{
    return true;
}
#endif

} // namespace

// Owner and group first, since a change of owner clears the set-id bits.
bool keepOwnerModeAndAttributes(int fd, const Target &old)
{
    const struct stat &info = old.info;
    bool kept = true;
    if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) && ::fchown(fd, info.st_uid, info.st_gid) != 0) {
        kept = false;
        (void)::fchown(fd, uid_t(-1), info.st_gid);
    }
    kept = ::fchmod(fd, info.st_mode & 07777) == 0 && kept;
    return copyExtendedAttributes(old.path, fd) && kept;
}

} // namespace kestrun::detail

#endif
