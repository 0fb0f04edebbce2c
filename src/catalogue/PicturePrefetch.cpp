#include "PicturePrefetch.h"

#include "Catalogue.h"

#include <system_error>
#include <utility>

namespace kestrun {

PicturePrefetch::PicturePrefetch(const QString &gameFolder)
    : m_gameFolder(gameFolder)
{
    // Qt's allocation limit is process-wide and read by every decoding: it is
    // set here, on the window's thread, before the worker starts, never by the
    // worker while the window's thread may be decoding.
    applyPictureAllocationLimit();
    try {
        m_worker = std::thread([this, gameFolder] {
            PictureReader reader;
            m_load = loadCatalogue(gameFolder, m_sprites, [this, &reader](const QString &path) {
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

std::optional<CatalogueLoadResult> PicturePrefetch::load(const QString &gameFolder, SpriteTable &sprites)
{
    finish();
    if (!m_load || gameFolder != m_gameFolder)
        return std::nullopt;
    // Handed over once: a later load reads the folder anew.
    sprites = std::exchange(m_sprites, SpriteTable());
    return std::exchange(m_load, std::nullopt);
}

} // namespace kestrun
