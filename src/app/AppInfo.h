#pragma once

#include <QString>

namespace kestrun {

// The application title: the main window's caption, the title of every
// message box and the settings store's application name.
inline const QString AppTitle = QStringLiteral("Kestrunle");

} // namespace kestrun
