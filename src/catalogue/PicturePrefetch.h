#pragma once

#include "Catalogue.h"
#include "PictureFile.h"
#include "SpriteTable.h"

#include <QHash>
#include <QString>

#include <optional>
#include <thread>

namespace kestrun {

// Decodes a game folder's catalogue pictures on a worker thread while the
// editor starts (the splash and the window are built meanwhile), so the load
// finds them decoded. The worker runs the same catalogue load as the editor,
// into a table of its own, and keeps that table, the load's result and every
// picture it decoded by path. Where no thread can be started, nothing is
// decoded ahead.
class PicturePrefetch {
public:
    explicit PicturePrefetch(const QString &gameFolder);
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch &) = delete;
    PicturePrefetch &operator=(const PicturePrefetch &) = delete;

    // The picture decoded from `path` (waiting for the worker to finish), or
    // nothing when the worker did not decode that path.
    std::optional<PictureReadResult> decoded(const QString &path);
    // The worker's whole load (waiting for it to finish) when it loaded
    // `gameFolder`: its table is given to `sprites`, a fresh table, which
    // then holds what loading the catalogue into it would have put there.
    // Nothing when the worker loaded another folder, did not run, or has
    // handed its load over already.
    std::optional<CatalogueLoadResult> load(const QString &gameFolder, SpriteTable &sprites);

private:
    void finish();

    const QString m_gameFolder;
    QHash<QString, PictureReadResult> m_pictures;
    SpriteTable m_sprites;
    std::optional<CatalogueLoadResult> m_load;
    std::thread m_worker;
};

} // namespace kestrun
