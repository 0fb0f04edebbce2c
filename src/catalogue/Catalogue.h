#pragma once

#include "catalogue/PictureFile.h"
#include "catalogue/SpriteTable.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrun {

// Loads a picture from a full path; a null QImage means it could not be loaded.
using PictureLoader = std::function<QImage(const QString &path)>;

struct CatalogueLoadResult {
    bool ok = false;          // false: the failure path was taken
    QStringList listEntries;  // the sprite list's entries, in record order
    QString failure;          // what went wrong, for diagnostics only
};

// A catalogue file larger than this is not read at all (a well-formed one of
// 256 records is a few kilobytes).
inline constexpr qint64 MaxCatalogueBytes = qint64(16) * 1024 * 1024;

// The catalogue of the game folder: the folder used as a plain prefix.
QString catalogueFilePath(const QString &gameFolder);

// Reads gameFolder + "tileset.dat" into `sprites`, loading every picture with
// `loadPicture`. Stops at the first failure (catalogue unreadable, index out of
// range, picture not loadable) keeping what was loaded before; a catalogue that
// lists nothing is a failure too. A record whose picture fails has already put
// its file name into its slot (the slot keeps its previous picture) and gets no
// list entry.
CatalogueLoadResult loadCatalogue(const QString &gameFolder, SpriteTable &sprites,
                                  const PictureLoader &loadPicture);

// The picture path of a catalogue file name: the folder as a plain prefix,
// "\" read as a separator, and each component matched ignoring case when the
// exact path does not exist (see resolveGamePath).
QString resolvePicturePath(const QString &gameFolder, const QString &fileName);

} // namespace kestrun
