#pragma once

#include <QString>

namespace kestrun {

// Whether a file dialog may start in `folder`: an existing folder on an
// ordinary file system. The kernel's own file systems (/proc, /sys and their
// kind) are not, nor is the device folder (/dev, which reports itself as
// tmpfs: told by its device) or any other folder that holds device nodes:
// their files are not maps, and reading one (/proc/kmsg) can wait for ever.
// A descriptor path (/proc/self/fd/N) lies on /proc and is refused with it.
bool isOrdinaryFolder(const QString &folder);

} // namespace kestrun
