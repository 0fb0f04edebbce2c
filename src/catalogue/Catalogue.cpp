#include "Catalogue.h"

#include "CatalogueRecords.h"
#include "CatalogueText.h"
#include "GamePath.h"
#include "LeadingNumber.h"
#include "RegularFile.h"

#include <QHash>

namespace kestrun {
namespace {

CatalogueLoadResult &fail(CatalogueLoadResult &result, const QString &reason)
{
    result.status = CatalogueLoadStatus::Failed;
    result.reason = reason;
    return result;
}

} // namespace

QString catalogueFilePath(const QString &gameFolder)
{
    return gameFolder + QStringLiteral("tileset.dat");
}

CatalogueLoadResult loadCatalogue(const QString &gameFolder, SpriteTable &sprites, const PictureLoader &loadPicture)
{
    CatalogueLoadResult result;

    GamePathResolver resolver;
    const QString cataloguePath = resolver.resolve(catalogueFilePath(gameFolder));
    const ReadResult file = readRegularFile(cataloguePath, MaxCatalogueBytes + 1);
    if (!file.ok())
        return fail(result, QStringLiteral("cannot open %1: %2").arg(cataloguePath, file.reason));
    if (file.bytes.size() > MaxCatalogueBytes)
        return fail(result, QStringLiteral("%1 is too large to be a catalogue").arg(cataloguePath));

    const QStringList records = splitCatalogueRecords(decodeCatalogueText(file.bytes));
    if (records.size() > MaxCatalogueRecords)
        return fail(result, QStringLiteral("%1 holds too many records to be a catalogue").arg(cataloguePath));

    // A file named by several records, however they spell it (letter case,
    // separators, "." components, links), is read once: names are taken
    // apart by their normalised, case-folded path, files by their identity.
    QHash<QString, QString> pathOfName;
    QHash<QString, PictureReadResult> pictureOfFile;
    for (const QString &record : records) {
        const CatalogueRecord parts = splitCatalogueRecord(record);
        const std::optional<std::uint8_t> index = spriteIndexOf(parts.indexText);
        if (!index)
            return fail(result, QStringLiteral("index out of range 0..255 in record \"%1\"").arg(record));
        sprites.setFileName(*index, parts.fileName);
        const QString name = normalisedGamePath(gameFolder + parts.fileName);
        const QString nameKey = caseFoldKey(name);
        auto path = pathOfName.constFind(nameKey);
        if (path == pathOfName.constEnd())
            path = pathOfName.insert(nameKey, resolver.resolve(name));
        const QString identity = fileIdentity(*path);
        auto picture = pictureOfFile.constFind(identity);
        if (picture == pictureOfFile.constEnd())
            picture = pictureOfFile.insert(identity, loadPicture(*path));
        if (!picture->ok())
            return fail(result, QStringLiteral("cannot load picture %1: %2").arg(*path, picture->reason));
        sprites.setPicture(*index, picture->picture);
        result.listEntries << parts.fileName;
    }

    if (result.listEntries.isEmpty())
        return fail(result, QStringLiteral("the catalogue lists no pictures"));
    return result;
}

} // namespace kestrun
