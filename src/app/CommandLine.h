#pragma once

#include "io/NativeFileName.h"

#include <QByteArray>

namespace kestrun {

// The map path of the command line's first argument, as the bytes the system
// gave (opened through NativeFileName). The shell has already removed the
// quotes a Windows-style caller put around a path; enclosing double quotes
// are removed only when both are there.
QByteArray mapPathFromArgument(const QByteArray &argument);

} // namespace kestrun
