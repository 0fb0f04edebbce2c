#include "catalogue/Catalogue.h"

// Placeholder until the catalogue reader lands.
namespace kestrun {

QString catalogueFilePath(const QString &gameFolder)
{
    return gameFolder + QStringLiteral("tileset.dat");
}

CatalogueLoadResult loadCatalogue(const QString &, SpriteTable &, const PictureLoader &)
{
    return {};
}

QString resolvePicturePath(const QString &gameFolder, const QString &fileName)
{
    return gameFolder + fileName;
}

} // namespace kestrun
