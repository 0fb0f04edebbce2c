#include "UserSettings.h"

#include "RegularFile.h"

#include <QFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kestrun {

QSettings userSettingsStore(const QString &application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application, application);
}

QString userSettingKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QStringList settingsStoreFiles(const QString &application)
{
    // The store reads, in each configuration folder (the user's own first,
    // then $XDG_CONFIG_DIRS, /etc/xdg by default), the application's file
    // and then the organisation's; both are named after the application here.
    // A write reads the user's lock file too.
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    QStringList files;
    for (const QString &folder : folders) {
        files << folder + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".conf")
              << folder + QLatin1Char('/') + application + QStringLiteral(".conf");
    }
    if (!files.isEmpty())
        files << files.constFirst() + QStringLiteral(".lock");
    return files;
}

QString settingsStoreRefusal(const QString &application)
{
#ifdef Q_OS_UNIX
    const QStringList files = settingsStoreFiles(application);
    for (const QString &file : files) {
        struct stat info {};
        if (::stat(QFile::encodeName(file).constData(), &info) != 0)
            continue; // missing, or out of reach: the store skips it too
        if (const QString why = whyNotRegular(info.st_mode); !why.isEmpty())
            return QStringLiteral("the settings file %1: %2").arg(file, why);
    }
#else
    Q_UNUSED(application);
#endif
    return QString();
}

QString rememberedGameFolder()
{
    if (!settingsStoreRefusal(AppTitle).isEmpty())
        return QString();
    return userSettingsStore(AppTitle).value(userSettingKey(GameFolderSection, GameFolderKey)).toString();
}

} // namespace kestrun
