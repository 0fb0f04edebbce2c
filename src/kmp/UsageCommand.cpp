// kmp usage: which sprites and terrain codes a game's maps use, and where;
// which catalogue sprites no map uses, and which used ones it lacks.
#include "Commands.h"

#include "Invocation.h"
#include "MapBatch.h"
#include "MapSource.h"
#include "MapText.h"
#include "ParallelRun.h"
#include "MapFile.h"
#include "Terrain.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(For each sprite index the maps use (on any of layers 1 to 3): the cells and
maps that use it and its picture's file name; then the catalogue's sprites no
map uses, and the indices used but missing from the catalogue. The same for
terrain codes: the cells and maps of each, the five the editor draws that no
map uses, and codes it does not draw. A MAP of - is read from the standard
input. A map that cannot be read is reported and left out. --json also names,
for each value, the maps that use it (in the order given) and its cells in each.

Exit status: 0 done, 2 a map or the catalogue could not be read, 64 a wrong
command line.
)"_s;

// Cells of each value in one map: [0] terrain codes, [1] sprite indices on
// any layer (index 0, an empty layer, is not a sprite).
struct MapCounts {
    QString failure; // why the map could not be counted, or empty
    std::array<std::array<int, 256>, 2> cells{};
};

// The same over every map, with the maps each value turns up in.
struct Totals {
    std::array<std::array<int, 256>, 2> cells{};
    std::array<std::array<int, 256>, 2> maps{};
    int counted = 0;

    void add(const MapCounts &map)
    {
        ++counted;
        for (std::size_t kind = 0; kind < 2; ++kind) {
            for (std::size_t value = 0; value < 256; ++value) {
                cells[kind][value] += map.cells[kind][value];
                maps[kind][value] += map.cells[kind][value] > 0 ? 1 : 0;
            }
        }
    }
};

constexpr std::size_t TerrainCounts = 0;
constexpr std::size_t SpriteCounts = 1;

MapCounts countMap(const QString &path)
{
    MapCounts counts;
    const ReadResult file = readFileHead(path, MapFileSize);
    if (!file.ok()) {
        counts.failure = file.reason;
        return counts;
    }
    MapGrid grid;
    switch (decodeMap(asByteSpan(file.bytes), grid)) {
    case MapReadStatus::Loaded: break;
    case MapReadStatus::WrongVersion: counts.failure = u"Wrong version"_s; return counts;
    case MapReadStatus::NotValidMapFile:
    case MapReadStatus::Unreadable: counts.failure = u"Not valid map file"_s; return counts;
    }
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            const MapCell cell = grid.cell(x, y);
            ++counts.cells[TerrainCounts][cell.Terrain];
            for (const std::uint8_t sprite : {cell.Sprite1, cell.Sprite2, cell.Sprite3})
                ++counts.cells[SpriteCounts][sprite];
        }
    }
    counts.cells[SpriteCounts][0] = 0;
    return counts;
}

QString cellsInMaps(int cells, int maps)
{
    return u"%1 %2 in %3 %4"_s.arg(cells)
        .arg(cells == 1 ? u"cell"_s : u"cells"_s)
        .arg(maps)
        .arg(maps == 1 ? u"map"_s : u"maps"_s);
}

bool listed(const SpriteTable *sprites, int index)
{
    return sprites && !(*sprites)[std::uint8_t(index)].FileName.isEmpty();
}

// The sprite's picture as the catalogue names it, or why there is none.
QString pictureOf(const SpriteTable *sprites, int index)
{
    if (!sprites)
        return u"catalogue unread"_s;
    const SpriteEntry &entry = (*sprites)[std::uint8_t(index)];
    if (entry.FileName.isEmpty())
        return u"not in the catalogue"_s;
    return entry.Picture.isNull() ? entry.FileName + u", its picture does not load"_s : entry.FileName;
}

void writeText(const Totals &totals, const SpriteTable *sprites, Console &io)
{
    QStringList unused, missing, unusedTerrain, undrawn;
    for (int index = 1; index < 256; ++index) {
        const int cells = totals.cells[SpriteCounts][std::size_t(index)];
        if (cells > 0) {
            io.out << "sprite " << index << " (" << pictureOf(sprites, index)
                   << "): " << cellsInMaps(cells, totals.maps[SpriteCounts][std::size_t(index)]) << '\n';
            if (sprites && !listed(sprites, index))
                missing << QString::number(index);
        } else if (listed(sprites, index)) {
            unused << u"%1 (%2)"_s.arg(index).arg((*sprites)[std::uint8_t(index)].FileName);
        }
    }
    for (int code = 0; code < 256; ++code) {
        const int cells = totals.cells[TerrainCounts][std::size_t(code)];
        const bool drawn = !TerrainName(std::uint8_t(code)).isEmpty();
        if (cells > 0) {
            io.out << "terrain " << code << " (" << (drawn ? TerrainName(std::uint8_t(code)) : u"not drawn"_s)
                   << "): " << cellsInMaps(cells, totals.maps[TerrainCounts][std::size_t(code)]) << '\n';
            if (!drawn)
                undrawn << QString::number(code);
        } else if (drawn) {
            unusedTerrain << u"%1 %2"_s.arg(TerrainName(std::uint8_t(code))).arg(code);
        }
    }
    const auto list = [](const QStringList &items) { return items.isEmpty() ? u"none"_s : items.join(u", "_s); };
    if (sprites) {
        io.out << "sprites no map uses: " << list(unused) << '\n'
               << "sprites used but not in the catalogue: " << list(missing) << '\n';
    }
    io.out << "terrain no map uses: " << list(unusedTerrain) << '\n'
           << "terrain codes the editor does not draw: " << list(undrawn) << '\n';
    io.out.flush();
}

// The maps a value turns up in, in the order given, with its cells in each.
QJsonArray usedIn(const std::vector<MapCounts> &counts, const QStringList &paths, std::size_t kind, std::size_t value,
                  const Console &io)
{
    QJsonArray maps;
    for (std::size_t map = 0; map < counts.size(); ++map) {
        if (const int cells = counts[map].cells[kind][value]; cells > 0)
            maps.append(QJsonObject{{u"file"_s, io.shown(paths[qsizetype(map)])}, {u"cells"_s, cells}});
    }
    return maps;
}

void writeJson(const Totals &totals, const std::vector<MapCounts> &counts, const QStringList &paths,
               const GameCatalogue &game, const SpriteTable *sprites, Console &io)
{
    QJsonArray used, unused, missing, terrain, unusedTerrain, undrawn;
    for (int index = 1; index < 256; ++index) {
        const std::size_t i = std::size_t(index);
        if (totals.cells[SpriteCounts][i] > 0) {
            QJsonObject entry{{u"index"_s, index},
                              {u"cells"_s, totals.cells[SpriteCounts][i]},
                              {u"maps"_s, totals.maps[SpriteCounts][i]},
                              {u"usedIn"_s, usedIn(counts, paths, SpriteCounts, i, io)}};
            if (listed(sprites, index))
                entry.insert(u"file"_s, (*sprites)[std::uint8_t(index)].FileName);
            else if (sprites)
                missing.append(index);
            used.append(entry);
        } else if (listed(sprites, index)) {
            unused.append(QJsonObject{{u"index"_s, index}, {u"file"_s, (*sprites)[std::uint8_t(index)].FileName}});
        }
    }
    for (int code = 0; code < 256; ++code) {
        const std::size_t i = std::size_t(code);
        const QString name = TerrainName(std::uint8_t(code));
        if (totals.cells[TerrainCounts][i] > 0) {
            QJsonObject entry{{u"code"_s, code},
                              {u"cells"_s, totals.cells[TerrainCounts][i]},
                              {u"maps"_s, totals.maps[TerrainCounts][i]},
                              {u"usedIn"_s, usedIn(counts, paths, TerrainCounts, i, io)}};
            if (!name.isEmpty())
                entry.insert(u"name"_s, name);
            else
                undrawn.append(code);
            terrain.append(entry);
        } else if (!name.isEmpty()) {
            unusedTerrain.append(code);
        }
    }
    QJsonObject root{{u"game"_s, io.shown(game.folder)},
                     {u"maps"_s, totals.counted},
                     {u"sprites"_s, used},
                     {u"terrain"_s, terrain},
                     {u"unusedTerrain"_s, unusedTerrain},
                     {u"undrawnTerrain"_s, undrawn}};
    if (sprites) {
        root.insert(u"unusedSprites"_s, unused);
        root.insert(u"missingSprites"_s, missing);
    }
    writeJson(io, QJsonDocument(root));
    io.out.flush();
}

} // namespace

int runUsage(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"usage"_s, u"Shows which sprites and terrain codes maps use, and where."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game = gameFolderOption();
    const QCommandLineOption json(u"json"_s, u"Write the report as JSON."_s);
    const ParallelOptions parallel;
    parser.addOptions({game, json});
    parallel.addTo(parser);
    parser.addPositionalArgument(u"MAP"_s, u"The map files; - reads one from the standard input."_s, u"MAP..."_s);
    MapBatch batch;
    if (const auto done = startMapBatch(invocation, arguments, parallel, game, u"no map to count"_s, io, batch))
        return *done;
    const QStringList &paths = batch.paths;
    const GameCatalogue &catalogue = *batch.catalogue;
    int status = ExitOk;
    // Without the catalogue the counts stand, but nothing is said about
    // sprites it lists or lacks.
    const SpriteTable *sprites = catalogue.load.listEntries.isEmpty() ? nullptr : &catalogue.sprites;
    if (!sprites)
        status = reportFailure(io, invocation.command(), unusableReason(catalogue.folder, &catalogue));

    std::vector<MapCounts> counts(std::size_t(paths.size()));
    Totals totals;
    runInOrder(
        paths.size(), batch.settings, io, [&](qsizetype i) { counts[std::size_t(i)] = countMap(paths[i]); },
        [&](qsizetype i, Progress &progress) {
            const MapCounts &map = counts[std::size_t(i)];
            if (map.failure.isEmpty()) {
                totals.add(map);
                return;
            }
            progress.clear();
            status = reportFailure(io, invocation.command(), paths[i], map.failure);
        });
    if (parser.isSet(json))
        writeJson(totals, counts, paths, catalogue, sprites, io);
    else
        writeText(totals, sprites, io);
    return status;
}

} // namespace kestrun::kmp
