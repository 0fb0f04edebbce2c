#include "KeptAttributes.h"

#ifdef Q_OS_UNIX
#include "SaveSteps.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#endif

namespace kestrun::detail {
namespace {

#ifdef Q_OS_LINUX
constexpr char AccessAcl[] = "system.posix_acl_access";

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
// user attributes such as tags) onto `to`, and removes an access ACL `to`
// inherited from its folder's default ACL that `from` does not have: it
// would widen who may read the file. False if one could not be set.
bool copyExtendedAttributes(const QByteArray &from, int to)
{
    QByteArray names;
    if (!readAttribute(names, [&](char *out, size_t size) { return ::llistxattr(from.constData(), out, size); }))
        return errno == ENOTSUP;
    bool hasAcl = false;
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        hasAcl = hasAcl || name == AccessAcl;
        QByteArray value, present;
        if (!readAttribute(value, [&](char *out, size_t size) {
                return ::lgetxattr(from.constData(), name.constData(), out, size);
            }))
            return false;
        // A label the system gave the new file already (SELinux) may be
        // one the user could not set.
        if (readAttribute(present, [&](char *out, size_t size) { return ::fgetxattr(to, name.constData(), out, size); })
            && present == value)
            continue;
        if (stepCall(SaveStep::SetAttributes,
                     [&] { return ::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0); })
            != 0)
            return false;
    }
    if (hasAcl || ::fgetxattr(to, AccessAcl, nullptr, 0) < 0)
        return true;
    return stepCall(SaveStep::SetAttributes, [&] { return ::fremovexattr(to, AccessAcl); }) == 0;
}

// The inode flags (chattr) a user sets on a file and a new file does not
// get by itself; others are the file system's own, or forbid the save.
constexpr int KeptFlags = FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL | FS_NOCOW_FL | FS_COMPR_FL | FS_NOCOMP_FL;

// Gives `to` the kept flags of `old`; false when they differ and cannot be
// set. A file system without flags has none to keep.
bool copyFlags(const Target &old, int to)
{
    int fd =
        ::openat(old.folder.get(), old.name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == EACCES)
        fd =
            ::openat(old.folder.get(), old.name.constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool read = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    const int error = errno;
    ::close(fd);
    if (!read) // ENOTTY and the like: a file system without flags
        return error == ENOTTY || error == EOPNOTSUPP || error == EINVAL;
    if ((flags & KeptFlags) == 0)
        return true;
    int given = 0;
    if (::ioctl(to, FS_IOC_GETFLAGS, &given) != 0)
        return false;
    if ((given & KeptFlags) == (flags & KeptFlags))
        return true;
    given = (given & ~KeptFlags) | (flags & KeptFlags);
    return stepCall(SaveStep::SetFlags, [&] { return ::ioctl(to, FS_IOC_SETFLAGS, &given); }) == 0;
}
#else
bool copyExtendedAttributes(const QByteArray &, int)
{
    return true;
}

bool copyFlags(const Target &, int)
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
    if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid())
        && stepCall(SaveStep::SetOwner, [&] { return ::fchown(fd, info.st_uid, info.st_gid); }) != 0) {
        kept = false;
        (void)::fchown(fd, uid_t(-1), info.st_gid);
    }
    kept = stepCall(SaveStep::SetMode, [&] { return ::fchmod(fd, info.st_mode & 07777); }) == 0 && kept;
    kept = copyExtendedAttributes(old.pathThroughFolder(), fd) && kept;
    return copyFlags(old, fd) && kept;
}

} // namespace kestrun::detail

#endif
