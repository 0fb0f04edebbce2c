#include "QtPlatformServices.h"

#include "AppIdentity.h"
#include "NameOnlyIconProvider.h"
#include "UserSettings.h"
#include "PicturePrefetch.h"

#include <QFileDialog>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>

namespace kestrun {
namespace {

std::optional<QString> runFileDialog(QWidget *owner, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    // No caption of ours: Qt titles the dialog "Open" or "Save As", in the
    // user's language when its translation is loaded.
    NameOnlyIconProvider iconProvider; // outlives the dialog that uses it
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // File types are told by name: reading a file to sniff its type can
    // block for ever (a named pipe, /proc/kmsg).
    dialog.setIconProvider(&iconProvider);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    const int index = request.filterIndex - 1;
    if (index >= 0 && index < filters.size())
        dialog.selectNameFilter(filters.at(index));
    // The name is taken as typed (no extension added) and an existing file
    // is replaced without a question, as the map's Save As has always done;
    // the replacement itself is safe (a temporary file renamed over it).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// The window a message or prompt belongs to. During start-up its owner is
// not on screen yet (or there is none) while the splash is: the splash owns
// it then, so that window managers stack it above the splash, not under it.
QWidget *ownerOnScreen(QWidget *owner)
{
    if (owner && owner->isVisible())
        return owner;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->windowType() == Qt::SplashScreen)
            return window;
    }
    return owner;
}

} // namespace

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts.at(i) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters;
}

QtPlatformServices::QtPlatformServices() = default;
QtPlatformServices::~QtPlatformServices() = default;

void QtPlatformServices::prefetchRememberedCatalogue()
{
    const QString gameFolder = setting(AppTitle, GameFolderSection, GameFolderKey, QString());
    if (!gameFolder.isEmpty())
        m_prefetch = std::make_unique<PicturePrefetch>(gameFolder);
}

void QtPlatformServices::showMessage(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppTitle, text, QMessageBox::Ok, ownerOnScreen(owner));
    box.exec();
}

QString QtPlatformServices::inputBox(QWidget *owner, const QString &prompt, const QString &defaultText)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(ownerOnScreen(owner), AppTitle, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

std::optional<QString> QtPlatformServices::openFileDialog(QWidget *owner, const FileDialogRequest &request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatformServices::saveFileDialog(QWidget *owner, const FileDialogRequest &request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

QString QtPlatformServices::setting(const QString &application, const QString &section, const QString &key,
                                    const QString &defaultValue)
{
    const QString name = userSettingKey(section, key);
    if (!settingsStoreRefusal(application).isEmpty())
        return m_unstoredSettings.value(application + QLatin1Char('/') + name, defaultValue);
    return userSettingsStore(application).value(name, defaultValue).toString();
}

void QtPlatformServices::saveSetting(const QString &application, const QString &section, const QString &key,
                                     const QString &value)
{
    const QString name = userSettingKey(section, key);
    if (!settingsStoreRefusal(application).isEmpty()) {
        m_unstoredSettings.insert(application + QLatin1Char('/') + name, value);
        return;
    }
    QSettings settings = userSettingsStore(application);
    settings.setValue(name, value);
    settings.sync();
}

void QtPlatformServices::deleteSetting(const QString &application, const QString &section, const QString &key)
{
    const QString name = userSettingKey(section, key);
    if (!settingsStoreRefusal(application).isEmpty()) {
        m_unstoredSettings.remove(application + QLatin1Char('/') + name);
        return;
    }
    QSettings settings = userSettingsStore(application);
    settings.remove(name);
    settings.sync();
}

PictureReadResult QtPlatformServices::loadPicture(const QString &path)
{
    if (m_prefetch) {
        if (std::optional<PictureReadResult> picture = m_prefetch->decoded(path))
            return *picture;
    }
    return m_pictureReader.read(path);
}

CatalogueLoadResult QtPlatformServices::loadSpriteCatalogue(const QString &gameFolder, SpriteTable &sprites)
{
    if (m_prefetch) {
        if (std::optional<CatalogueLoadResult> loaded = m_prefetch->load(gameFolder, sprites))
            return *loaded;
    }
    return PlatformServices::loadSpriteCatalogue(gameFolder, sprites);
}

} // namespace kestrun
