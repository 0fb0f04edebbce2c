#pragma once

#include "FileResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace kestrun::kmp::tiled {

enum class ImportStatus { Imported, Refused };
struct ImportResult : FileResult<ImportStatus> {
    QByteArray file; // the map file's bytes, when imported
};

// An external tileset's bytes by its source as the map names it, or why it
// cannot be read (`reason` set).
struct TilesetSource {
    QByteArray bytes;
    QString reason;
};
using TilesetLoader = std::function<TilesetSource(const QString &source)>;

// The map file a Tiled map (TMX or JSON) of a level describes, or why it has
// no meaning as one: another size, a missing layer, a tile from another
// tileset, a flipped tile, a header property out of range. The reason names
// the layer and the cell at fault.
ImportResult importLevel(QByteArrayView document, const TilesetLoader &loadTileset);

} // namespace kestrun::kmp::tiled
