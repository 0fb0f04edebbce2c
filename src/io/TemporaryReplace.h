#pragma once

// Replacing a file whole through a temporary file beside it, as the writers
// of src/io (writeFileHead, writeWholeFile) do. For those writers only.

#include "FileTarget.h"

#include <functional>

#ifndef Q_OS_UNIX
#include <QSaveFile>
#endif

namespace kestrun::detail {

// Off: neither the new file nor its folder is synced, for a file that
// can be made again (a crash may lose it; it is never left partial).
enum class Syncing { On, Off };

#ifdef Q_OS_UNIX

// Impossible: the file cannot be replaced here (the folder refused the
// temporary file or the rename, the temporary's name would be too long, the
// old file's attributes or flags would not pass, its tail cannot be read);
// nothing was changed. Changed: the file changed on disk while it was being copied.
enum class Replaced { Done, Failed, Impossible, Changed };
using Replacement = FileResult<Replaced>;

// Writes the new file's content into the temporary file's descriptor.
using TemporaryFill = std::function<Replacement(int fd)>;

// How the old file's owner, group, mode and extended attributes (its ACL
// among them) pass to the new one: exactly, or as far as the system allows.
enum class Keeping { Exactly, AsAllowed };

// Makes a temporary file beside the target (with the old file's owner, group,
// mode, extended attributes and flags), lets `fill` write it, syncs it and
// renames it over the target, then syncs the folder. Impossible also when
// what `keeping` asks could not be kept. When the rename is refused where
// the file itself may still be written (the folder refuses it, EBUSY for a
// bind-mounted file, EXDEV), `inPlace`, if given, gets the filled
// temporary's descriptor and writes the target in place; otherwise that is
// Impossible too. Afterwards the temporary file is gone, unless renamed.
// Neither sync is made when `syncing` is Off.
Replacement replaceThroughTemporary(const Target &target, const TemporaryFill &fill, Keeping keeping,
                                    const TemporaryFill &inPlace = {}, Syncing syncing = Syncing::On);

#else

// Writes the file at `path` through QSaveFile, once it is known that it may
// be written: `fill` writes the content and says whether every byte went (a
// short write is a full disk). Committed, or cancelled on any failure.
WriteResult saveWithQt(const QString &path, const std::function<bool(QSaveFile &)> &fill);

#endif

// writeWholeFile, or without the syncs writeRebuildableFile (without POSIX
// both are Qt's safe save, synced as Qt does).
WriteResult replaceWhole(const QString &path, QByteArrayView data, Syncing syncing);

} // namespace kestrun::detail
