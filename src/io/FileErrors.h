#pragma once

// The reasons the readers and writers of src/io give, each said in one
// place. For src/io only.

#include <QString>

namespace kestrun::detail {

extern const QString NoFileName;         // "no file name was given"
extern const QString DiskFull;           // a write that did not fit
extern const QString NotWritable;        // a file the user may not write
extern const QString IsFolder;           // what whyNotRegular says of a folder
extern const QString NotRegular;         // ... and of any other kind of file
extern const QString ReadOnlyFileSystem; // a write refused with EROFS

// The system's text for an errno value ("Permission denied"), thread-safe.
QString errnoText(int error);

// Why a write failed with `error`: a full disk or file-size limit is
// DiskFull, a read-only mount ReadOnlyFileSystem, anything else the
// system's text.
QString writeErrorText(int error);

} // namespace kestrun::detail
