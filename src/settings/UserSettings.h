#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include "AppIdentity.h"

namespace kestrun {

// The per-user settings store of `application`, in the platform's native
// format and place ($XDG_CONFIG_HOME/<application>/<application>.conf here).
// The editor and the command-line tool both address it through this, so they
// always read the same value.
QSettings userSettingsStore(const QString &application);
// The store's key of a setting addressed by section and key.
QString userSettingKey(const QString &section, const QString &key);

// Every file the store of `application` may read, system-wide fallbacks
// included, whether it exists or not.
QStringList settingsStoreFiles(const QString &application);
// Why the store of `application` must not be opened: one of its files exists
// and is not a regular file ("the settings file F: it is not a regular file
// (a named pipe)"), which could block its reader for ever. Empty otherwise.
// Where it is not empty the store is neither read nor written.
QString settingsStoreRefusal(const QString &application);

// The game folder the editor remembers, exactly as stored (a plain prefix);
// the empty string when none is, or when the store is refused.
QString rememberedGameFolder();

} // namespace kestrun
