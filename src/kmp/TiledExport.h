#pragma once

#include "TiledFormat.h"

#include <QByteArray>
#include <QString>

namespace kestrun::kmp::tiled {

// The level as a Tiled map (TMX): CSV tile layers, the header fields, length
// and tail as map properties, and the two tilesets as external files of
// these names. The tail must be at most MaxTailBytes.
QByteArray exportTmx(const LevelFile &level, const QString &terrainTsx, const QString &spriteTsx);

} // namespace kestrun::kmp::tiled
