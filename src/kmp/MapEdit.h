#pragma once

#include "GameCatalogue.h"
#include "MapGrid.h"

#include <QString>

#include <optional>

namespace kestrun::kmp {

// Reads a map to change it in place: nothing, or why it cannot be changed
// (a file the editor refuses, in the editor's words, or one that cannot be
// read). Writing it back with writeMapFile keeps its tail, links, owner and
// permissions.
std::optional<QString> readMapToEdit(const QString &path, MapGrid &grid);

// Why a value on a layer would not show as the editor draws it: a terrain
// code none of the five, or (with a catalogue) a sprite it does not list or
// whose picture does not load; empty when it shows. 0 on a sprite layer is
// no sprite, and always fine.
QString valueWarning(int layer, int value, const SpriteTable *sprites);

} // namespace kestrun::kmp
