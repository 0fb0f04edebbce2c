#pragma once

// The temporary files a write of src/io makes beside its target
// (NAME.kestrun-save-XXXXXX): naming, creating and locking them, and
// removing those that killed writes left. For those writers only;
// isSaveTemporaryOf, in WholeFileWrite.h, tells their names.

#include <QByteArray>

#ifdef Q_OS_UNIX
#include <sys/types.h>

namespace kestrun::detail {

// A new temporary file for the file `fileName` in the folder `folder` (a
// descriptor), open for reading and writing and locked for as long as it is
// open, its name in `name`; or -1 with errno set.
int createTemporary(int folder, const QByteArray &fileName, mode_t mode, QByteArray &name);

// A temporary file without a name, open for reading and writing: in
// `folder` where its file system allows it, else in the system's temporary
// folder. Or -1 with errno set.
int createUnnamedTemporary(int folder);

// Removes the temporaries that killed writes of `fileName` left beside it
// in `folder`: those no write holds locked.
void removeStaleTemporaries(int folder, const QByteArray &fileName);

} // namespace kestrun::detail

#endif
