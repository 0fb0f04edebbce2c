#include "catalogue/GameFolderSetting.h"

namespace kestrun {

QSettings userSettingsStore(const QString &application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application, application);
}

QString userSettingKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QString rememberedGameFolder()
{
    return userSettingsStore(AppTitle).value(userSettingKey(GameFolderSection, GameFolderKey)).toString();
}

} // namespace kestrun
