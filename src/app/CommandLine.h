#pragma once

#include <QString>

namespace kestrun {

// The map path of the command line's first argument. The shell has already
// removed the quotes a Windows-style caller put around a path; enclosing
// double quotes are removed only when both are there.
QString mapPathFromArgument(const QString &argument);

} // namespace kestrun
