#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueText.h"
#include "catalogue/GamePath.h"
#include "catalogue/LeadingNumber.h"
#include "catalogue/CatalogueRecords.h"

#include <QFile>

namespace kestrun {

QString catalogueFilePath(const QString &gameFolder)
{
    return gameFolder + QStringLiteral("tileset.dat");
}

QString resolvePicturePath(const QString &gameFolder, const QString &fileName)
{
    return resolveGamePath(gameFolder + fileName);
}

CatalogueLoadResult loadCatalogue(const QString &gameFolder, SpriteTable &sprites,
                                  const PictureLoader &loadPicture)
{
    CatalogueLoadResult result;

    QByteArray bytes;
    {
        // The file is open only while its bytes are read.
        QFile file(resolveGamePath(catalogueFilePath(gameFolder)));
        if (!file.open(QIODevice::ReadOnly)) {
            result.failure = QStringLiteral("cannot open %1: %2").arg(file.fileName(), file.errorString());
            return result;
        }
        if (file.size() > MaxCatalogueBytes) {
            result.failure = QStringLiteral("%1 is too large to be a catalogue").arg(file.fileName());
            return result;
        }
        bytes = file.read(MaxCatalogueBytes + 1);
        if (file.error() != QFileDevice::NoError || bytes.size() > MaxCatalogueBytes) {
            result.failure = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return result;
        }
    }

    const QStringList records = splitCatalogueRecords(decodeCatalogueText(bytes));
    for (const QString &record : records) {
        const CatalogueRecord parts = splitCatalogueRecord(record);
        const std::optional<int> index = spriteIndexOf(parts.indexText);
        if (!index) {
            result.failure = QStringLiteral("index out of range 0..255 in record \"%1\"").arg(record);
            return result;
        }
        sprites.setFileName(*index, parts.fileName);
        const QString picturePath = resolvePicturePath(gameFolder, parts.fileName);
        const QImage picture = loadPicture(picturePath);
        if (picture.isNull()) {
            result.failure = QStringLiteral("cannot load picture %1").arg(picturePath);
            return result;
        }
        sprites.setPicture(*index, picture);
        result.listEntries << parts.fileName;
    }

    if (result.listEntries.isEmpty()) {
        result.failure = QStringLiteral("the catalogue lists no pictures");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace kestrun
