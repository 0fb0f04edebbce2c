#pragma once

#include <QString>

namespace kestrun {

// The application title: the main window's caption, the title of every
// message box and the name of the per-user settings store.
inline const QString AppTitle = QStringLiteral("Kestrunle");

// Where the game folder is remembered: application AppTitle, this section
// and key of the per-user settings store.
inline const QString GameFolderSection = QStringLiteral("settings");
inline const QString GameFolderKey = QStringLiteral("gamepath");

} // namespace kestrun
