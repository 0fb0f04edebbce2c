#pragma once

// Writing a file in place, where it cannot be replaced (more than one hard
// link, a folder closed to temporaries, a bind-mounted file, attributes a
// new file would not get). For the writers of src/io only.

#include "FileTarget.h"

#ifdef Q_OS_UNIX

#include <QByteArrayView>

namespace kestrun::detail {

// Writes `head` over the start of the target in one write, then syncs it.
WriteResult writeHeadInPlace(const Target &target, QByteArrayView head);

// Makes the target's content exactly that of the file open as `from`:
// copied over it from the start in bounded chunks, cut to its length, and
// synced. A crash during the copy leaves the target partly written.
WriteResult copyInPlace(const Target &target, int from);

} // namespace kestrun::detail

#endif
