#include "MapCheck.h"

#include "MapText.h"
#include "MapFile.h"
#include "Terrain.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

void checkHeader(const MapHeader &header, qint64 size, std::vector<Finding> &findings)
{
    const auto warn = [&findings](const QString &kind, const QString &message) {
        findings.push_back({Severity::Warning, kind, message});
    };
    if (size < MapFileSize) {
        warn(u"short-file"_s,
             u"the file is %1 bytes, shorter than %2: the editor reads zeros for the missing %3"_s.arg(size)
                 .arg(MapFileSize)
                 .arg(MapFileSize - size));
    } else if (size > MapFileSize) {
        warn(u"long-file"_s,
             u"the file is %1 bytes, longer than %2: the editor ignores the %3 bytes after the map "
             u"and keeps them when it saves"_s.arg(size)
                 .arg(MapFileSize)
                 .arg(size - MapFileSize));
    }
    const MapHeader written = currentMapHeader();
    if (header.MaxX != written.MaxX)
        warn(u"max-x"_s, u"MaxX is %1; the editor writes %2"_s.arg(header.MaxX).arg(written.MaxX));
    if (header.MaxY != written.MaxY)
        warn(u"max-y"_s, u"MaxY is %1; the editor writes %2"_s.arg(header.MaxY).arg(written.MaxY));
    if (header.Reserved != written.Reserved)
        warn(u"reserved"_s, u"the reserved bytes are %1; the editor writes zeros"_s.arg(spacedHex(header.Reserved)));
}

// Whether the editor draws this terrain code (one of the five); without
// making a name for each of a thousand maps' cells.
bool drawnTerrain(std::uint8_t code)
{
    return std::any_of(Terrains.begin(), Terrains.end(),
                       [code](const TerrainKind &kind) { return terrainByte(kind.code) == code; });
}

void checkCell(int x, int y, MapCell cell, const SpriteTable *sprites, std::vector<Finding> &findings)
{
    if (!drawnTerrain(cell.Terrain)) {
        findings.push_back({Severity::Warning, u"terrain-code"_s,
                            u"cell (%1, %2): terrain code %3 is none of Ground 1, Beton 2, Brick 4, Ice 8, "
                            u"Water 16; the editor draws it black"_s.arg(x)
                                .arg(y)
                                .arg(cell.Terrain),
                            x, y, 0, cell.Terrain});
    }
    if (!sprites)
        return;
    const std::uint8_t layers[] = {cell.Sprite1, cell.Sprite2, cell.Sprite3};
    for (int layer = 1; layer <= 3; ++layer) {
        const int index = layers[layer - 1];
        if (index == 0)
            continue; // an empty layer
        const SpriteEntry &entry = (*sprites)[std::uint8_t(index)];
        if (!entry.Picture.isNull())
            continue;
        const QString where = u"cell (%1, %2) layer %3: sprite %4"_s.arg(x).arg(y).arg(layer).arg(index);
        if (entry.FileName.isEmpty()) {
            findings.push_back({Severity::Error, u"sprite-not-listed"_s, where + u" is not in the game's catalogue"_s,
                                x, y, layer, index});
        } else {
            findings.push_back({Severity::Error, u"sprite-picture-fails"_s,
                                where + u" (%1): its picture does not load"_s.arg(entry.FileName), x, y, layer, index});
        }
    }
}

} // namespace

std::vector<Finding> checkMap(const QByteArray &head, qint64 size, const SpriteTable *sprites)
{
    std::vector<Finding> findings;
    const auto bytes = asByteSpan(head);
    MapGrid grid;
    switch (decodeMap(bytes, grid)) {
    case MapReadStatus::NotValidMapFile:
        findings.push_back({Severity::Error, u"not-valid-map-file"_s, u"Not valid map file"_s});
        return findings;
    case MapReadStatus::WrongVersion:
        findings.push_back({Severity::Error, u"wrong-version"_s,
                            u"Wrong version: the file has version %1, the editor reads version %2"_s
                                .arg(decodeMapHeader(bytes).Version)
                                .arg(MapFileVersion)});
        return findings;
    case MapReadStatus::Loaded:
    case MapReadStatus::Unreadable: break;
    }
    checkHeader(decodeMapHeader(bytes), size, findings);
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x)
            checkCell(x, y, grid.cell(x, y), sprites, findings);
    }
    return findings;
}

MapStatus statusOf(const std::vector<Finding> &findings, bool spritesChecked)
{
    const auto has = [&findings](Severity severity) {
        return std::any_of(findings.begin(), findings.end(),
                           [severity](const Finding &finding) { return finding.severity == severity; });
    };
    if (has(Severity::Error))
        return MapStatus::Errors;
    if (!spritesChecked)
        return MapStatus::Unchecked;
    return has(Severity::Warning) ? MapStatus::Warnings : MapStatus::Clean;
}

QString statusName(MapStatus status)
{
    switch (status) {
    case MapStatus::Clean: return u"clean"_s;
    case MapStatus::Warnings: return u"warnings"_s;
    case MapStatus::Errors: return u"errors"_s;
    case MapStatus::Unchecked: break;
    }
    return u"unchecked"_s;
}

QString findingGroupText(const Finding &finding)
{
    if (finding.kind == u"sprite-not-listed"_s)
        return u"sprite %1 is not in the catalogue"_s.arg(finding.index);
    if (finding.kind == u"sprite-picture-fails"_s)
        return u"sprite %1: its picture does not load"_s.arg(finding.index);
    if (finding.kind == u"terrain-code"_s)
        return u"terrain code %1 is none of the five the editor draws"_s.arg(finding.index);
    // The findings about a whole file, in words without the figures that
    // differ from one map to the next.
    static const QHash<QString, QString> wholeFile{
        {u"not-valid-map-file"_s, u"Not valid map file"_s},
        {u"wrong-version"_s, u"Wrong version"_s},
        {u"unreadable"_s, u"cannot read the file"_s},
        {u"short-file"_s, u"the file is shorter than %1 bytes"_s.arg(MapFileSize)},
        {u"long-file"_s, u"the file is longer than %1 bytes"_s.arg(MapFileSize)},
        {u"max-x"_s, u"MaxX is not what the editor writes"_s},
        {u"max-y"_s, u"MaxY is not what the editor writes"_s},
        {u"reserved"_s, u"the reserved bytes are not zeros"_s},
    };
    return wholeFile.value(finding.kind, finding.message);
}

QStringList summedFindingLines(const std::vector<Finding> &findings, std::optional<Severity> only)
{
    QStringList lines;
    QHash<QString, qsizetype> lineOf;
    QHash<QString, int> counts;
    for (const Finding &finding : findings) {
        if (only && finding.severity != *only)
            continue;
        const QString group = findingGroupText(finding);
        const int count = ++counts[group];
        if (count == 1) {
            lineOf.insert(group, lines.size());
            lines << finding.message;
        } else {
            lines[lineOf.value(group)] = u"%1: %2 cells"_s.arg(group).arg(count);
        }
    }
    return lines;
}

} // namespace kestrun::kmp
