#include "catalogue/PicturePrefetch.h"

#include "catalogue/Catalogue.h"

#include <system_error>

namespace kestrun {

PicturePrefetch::PicturePrefetch(const QString &gameFolder)
{
    // Qt's allocation limit is process-wide and read by every decoding: it is
    // set here, on the window's thread, before the worker starts, never by the
    // worker while the window's thread may be decoding.
    applyPictureAllocationLimit();
    try {
        m_worker = std::thread([this, gameFolder] {
            SpriteTable scratch;
            PictureReader reader;
            loadCatalogue(gameFolder, scratch, [this, &reader](const QString &path) {
                PictureReadResult picture = reader.read(path);
                m_pictures.insert(path, picture);
                return picture;
            });
        });
    } catch (const std::system_error &) {
        // No thread to be had (a limit on processes, say): the load then
        // decodes every picture itself, as it would without a prefetch.
    }
}

PicturePrefetch::~PicturePrefetch()
{
    finish();
}

void PicturePrefetch::finish()
{
    if (m_worker.joinable())
        m_worker.join();
}

std::optional<PictureReadResult> PicturePrefetch::decoded(const QString &path)
{
    finish();
    const auto found = m_pictures.constFind(path);
    if (found == m_pictures.constEnd())
        return std::nullopt;
    return *found;
}

} // namespace kestrun
