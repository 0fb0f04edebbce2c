#pragma once

#include "PlatformServices.h"

#include <QHash>

#include <memory>

namespace kestrun {

// The platform services as the user meets them: Qt's message box, input
// dialog and file dialogs, QSettings in its native per-user location (never
// opened while settingsStoreRefusal() has a reason), and the guarded picture
// reader.
class PicturePrefetch;

class QtPlatformServices final : public PlatformServices {
public:
    QtPlatformServices();
    ~QtPlatformServices() override;

    // Starts decoding the remembered game folder's pictures in the
    // background; loadPicture() then takes them from there.
    void prefetchRememberedCatalogue();

    void showMessage(QWidget *owner, const QString &text) override;
    QString inputBox(QWidget *owner, const QString &prompt, const QString &defaultText) override;
    std::optional<QString> openFileDialog(QWidget *owner, const FileDialogRequest &request) override;
    std::optional<QString> saveFileDialog(QWidget *owner, const FileDialogRequest &request) override;
    QString setting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue) override;
    void saveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    void deleteSetting(const QString &application, const QString &section, const QString &key) override;
    PictureReadResult loadPicture(const QString &path) override;
    // At start-up, the prefetch's whole load of the same folder, when it
    // made one: the window's thread then reads and decodes nothing again.
    CatalogueLoadResult loadSpriteCatalogue(const QString &gameFolder, SpriteTable &sprites) override;

private:
    std::unique_ptr<PicturePrefetch> m_prefetch;
    PictureReader m_pictureReader; // what the prefetch did not decode
    // Where the settings store is refused (a file of it is not a regular
    // file), settings live here for this run only, by application/section/key.
    QHash<QString, QString> m_unstoredSettings;
};

// Turns "label|pattern|label|pattern" into Qt name filters. The label is kept
// as written (the dialog hides the pattern Qt appends), and the Windows
// pattern "*.*", which means every file, becomes "*".
QStringList qtNameFilters(const QString &filter);

} // namespace kestrun
