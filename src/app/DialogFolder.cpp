#include "DialogFolder.h"

#include <QFile>

#include <sys/stat.h>

#ifdef __linux__
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <array>
#include <memory>

namespace kestrun {
namespace {

#ifdef __linux__
// The file systems the kernel makes up from its own state.
constexpr std::array<decltype(statfs::f_type), 12> KernelFileSystems = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,      DEVPTS_SUPER_MAGIC, DEBUGFS_MAGIC,
    TRACEFS_MAGIC,    SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    PSTOREFS_MAGIC,   BPF_FS_MAGIC,     EFIVARFS_MAGIC,     0x19800202 /* mqueue */};

// Whether the folder lists a character or block device. Only the entries'
// types are read (from the listing, or lstat where it gives none).
bool holdsDeviceNodes(const QByteArray &folder)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(::opendir(folder.constData()), ::closedir);
    if (!listing)
        return false;
    while (const dirent *entry = ::readdir(listing.get())) {
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(listing.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISCHR(info.st_mode) ? DT_CHR : S_ISBLK(info.st_mode) ? DT_BLK : DT_REG;
        }
        if (type == DT_CHR || type == DT_BLK)
            return true;
    }
    return false;
}
#endif

} // namespace

bool isOrdinaryFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
#ifdef __linux__
    struct statfs system {};
    if (::statfs(name.constData(), &system) != 0)
        return false;
    if (std::find(KernelFileSystems.begin(), KernelFileSystems.end(), system.f_type) != KernelFileSystems.end())
        return false;
    // Anything on /dev's own file system (where /dev is a mount of its own,
    // not a plain folder of the root), and any folder of device nodes
    // elsewhere (a container's, or a copy of /dev).
    struct stat devices {
    }, root{};
    if (::stat("/dev", &devices) == 0 && ::stat("/", &root) == 0 && devices.st_dev != root.st_dev
        && devices.st_dev == info.st_dev)
        return false;
    return !holdsDeviceNodes(name);
#else
    return true;
#endif
}

} // namespace kestrun
