#pragma once

#include "Catalogue.h"
#include "PictureFile.h"

#include <QString>

#include <optional>

class QWidget;

namespace kestrun {

// What a file dialog is opened with: the filter list written as label and
// pattern pairs separated by "|" ("Все файлы (*.*)|*.*|Карты Kestrun (*.kmp)|*.kmp"),
// the entry preselected (1-based), the name in its name field, and the folder
// it shows first (empty: the current one). A name with a folder of its own
// shows that folder instead.
struct FileDialogRequest {
    QString filter;
    int filterIndex = 1;
    QString fileName;
    QString directory;
};

// The services the editor takes from its platform: message and input boxes,
// the file dialogs, the per-user settings store and picture loading. The Qt
// implementation talks to the user; the tests script a double of it.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // A message box with an OK button only, no icon, titled "Kestrunle".
    virtual void showMessage(QWidget *owner, const QString &text) = 0;
    // A one-line input box titled "Kestrunle"; the text typed on OK, the
    // empty string on Cancel.
    virtual QString inputBox(QWidget *owner, const QString &prompt, const QString &defaultText) = 0;
    // The chosen full path, or nothing when the user cancels. The dialogs
    // carry the platform's own titles ("Open", "Save As").
    virtual std::optional<QString> openFileDialog(QWidget *owner, const FileDialogRequest &request) = 0;
    virtual std::optional<QString> saveFileDialog(QWidget *owner, const FileDialogRequest &request) = 0;

    // The per-user settings store, addressed by application, section and key.
    virtual QString setting(const QString &application, const QString &section, const QString &key,
                            const QString &defaultValue) = 0;
    virtual void saveSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value) = 0;
    virtual void deleteSetting(const QString &application, const QString &section, const QString &key) = 0;

    // A sprite picture from a file, or why it cannot be loaded.
    virtual PictureReadResult loadPicture(const QString &path) = 0;

    // The game folder's catalogue loaded into `sprites` (see loadCatalogue),
    // each picture through loadPicture().
    virtual CatalogueLoadResult loadSpriteCatalogue(const QString &gameFolder, SpriteTable &sprites)
    {
        return loadCatalogue(gameFolder, sprites, [this](const QString &path) { return loadPicture(path); });
    }
};

} // namespace kestrun
