#pragma once

#include "PictureFile.h"
#include "SpriteTable.h"
#include "FileResult.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kestrun {

// Loads the picture of a full path (see PictureReader).
using PictureLoader = std::function<PictureReadResult(const QString &path)>;

enum class CatalogueLoadStatus { Loaded, Failed };
struct CatalogueLoadResult : FileResult<CatalogueLoadStatus> {
    QStringList listEntries; // the sprite list's entries, in record order
};

// Limits no real catalogue comes near (a game's has one record per slot, a
// few kilobytes in all); a larger file is refused whole, before any picture
// is loaded.
inline constexpr qint64 MaxCatalogueBytes = qint64(1) * 1024 * 1024;
inline constexpr qsizetype MaxCatalogueRecords = 4096;

// The catalogue of the game folder: the folder used as a plain prefix.
QString catalogueFilePath(const QString &gameFolder);

// Reads gameFolder + "tileset.dat" into `sprites`, loading every picture with
// `loadPicture`, each file once however many records name it. A picture's
// path is the game folder as a plain prefix followed by the file name, found
// as Windows would find it (see GamePathResolver). Stops at the
// first failure (catalogue unreadable or not a regular file, too large, index
// out of range, picture not loadable) keeping what was loaded before; a
// catalogue that lists nothing is a failure too. A record whose picture fails
// has already put its file name into its slot (the slot keeps its previous
// picture) and gets no list entry.
CatalogueLoadResult loadCatalogue(const QString &gameFolder, SpriteTable &sprites, const PictureLoader &loadPicture);

} // namespace kestrun
