#include "catalogue/PicturePrefetch.h"

#include "catalogue/Catalogue.h"

namespace kestrun {

PicturePrefetch::PicturePrefetch(const QString &gameFolder)
    : m_worker([this, gameFolder] {
        SpriteTable scratch;
        PictureReader reader;
        loadCatalogue(gameFolder, scratch, [this, &reader](const QString &path) {
            PictureReadResult picture = reader.read(path);
            m_pictures.insert(path, picture);
            return picture;
        });
    })
{
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
