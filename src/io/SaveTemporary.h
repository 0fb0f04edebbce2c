#pragma once

// The temporary files a write of src/io makes beside its target
// (NAME.kestrun-save-XXXXXX): naming, creating and locking them, and
// removing those that killed writes left. For those writers only;
// isSaveTemporaryOf, in WholeFileWrite.h, tells their names.

#include <QByteArray>

#ifdef Q_OS_UNIX
#include <sys/types.h>

namespace kestrun::detail {

// A new temporary file beside `target`, open for writing and locked for as
// long as it is open, its name in `name`; or -1 with errno set.
int createTemporary(const QByteArray &target, mode_t mode, QByteArray &name);

// Removes the temporaries that killed writes of `target` left beside it:
// those no write holds locked.
void removeStaleTemporaries(const QByteArray &target);

} // namespace kestrun::detail

#endif
