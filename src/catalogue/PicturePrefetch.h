#pragma once

#include "catalogue/PictureFile.h"

#include <QHash>
#include <QString>

#include <optional>
#include <thread>

namespace kestrun {

// Decodes a game folder's catalogue pictures on a worker thread while the
// editor starts (the splash and the window are built meanwhile), so the load
// finds them decoded. The worker runs the same catalogue load as the editor,
// into a table of its own, and keeps every picture it decoded by path.
// Where no thread can be started, nothing is decoded ahead.
class PicturePrefetch {
public:
    explicit PicturePrefetch(const QString &gameFolder);
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch &) = delete;
    PicturePrefetch &operator=(const PicturePrefetch &) = delete;

    // The picture decoded from `path` (waiting for the worker to finish), or
    // nothing when the worker did not decode that path.
    std::optional<PictureReadResult> decoded(const QString &path);

private:
    void finish();

    QHash<QString, PictureReadResult> m_pictures;
    std::thread m_worker;
};

} // namespace kestrun
