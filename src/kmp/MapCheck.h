#pragma once

#include "SpriteTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrun::kmp {

enum class Severity { Warning, Error };

// One thing check reports about a map.
struct Finding {
    Severity severity = Severity::Error;
    QString kind;                               // a stable name for scripts, such as "sprite-not-listed"
    QString message;                            // what a person reads
    int x = -1, y = -1, layer = -1, index = -1; // the cell, layer and value it is about, or -1
};

// Checks one map file as the editor would load it for a game.
// Errors: what the editor refuses ("Not valid map file", "Wrong version"), and
// sprites the game's catalogue does not list or whose picture does not load.
// Warnings: a size other than 726 bytes, MaxX, MaxY or the reserved bytes not
// as the editor writes them, and terrain codes none of the five.
// `head` holds the file's first bytes (726 of them when it has that many),
// `size` is its whole size, `sprites` the game's table as the editor loads it,
// or null to leave the sprites unchecked (a game whose catalogue gives none:
// that one fault says it all).
std::vector<Finding> checkMap(const QByteArray &head, qint64 size, const SpriteTable *sprites);

// What check says of a map as a whole. A map whose sprites could not be
// checked (no catalogue) is "unchecked" unless it has errors, never "clean".
enum class MapStatus { Clean, Warnings, Errors, Unchecked };
MapStatus statusOf(const std::vector<Finding> &findings, bool spritesChecked);
QString statusName(MapStatus status);

// A finding without its cell, to count how often it turns up: "sprite 30 is
// not in the catalogue", "terrain code 3 is none of the five the editor
// draws", "Not valid map file", "the file is shorter than 726 bytes".
QString findingGroupText(const Finding &finding);

// The findings' messages with each group (findingGroupText) said once: the
// message of a finding alone in its group, "GROUP: N cells" for several.
// Only those of `only` when given. In the order the groups first turn up.
QStringList summedFindingLines(const std::vector<Finding> &findings, std::optional<Severity> only = std::nullopt);

} // namespace kestrun::kmp
