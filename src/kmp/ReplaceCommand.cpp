// kmp replace: sprite indices and terrain codes swapped for others across maps.
#include "Commands.h"

#include "Invocation.h"
#include "MapEdit.h"
#include "ParallelRun.h"
#include "MapFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <set>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(Every pair applies at once, to the values the maps hold before any change:
--sprite 1=2 --sprite 2=1 swaps sprites 1 and 2. NEW 0 erases a sprite.
Terrain pairs change layer 0; sprite pairs change layers 1 to 3, or only
--layer N. Each OLD may be given once for each kind.

Every map is read before any is written; if one cannot be read, none is
written. A map named twice, or through a link, is changed once. Each changed
map is saved as the editor saves it, in place: its bytes past 726, its links,
owner and permissions are kept. A map that cannot be written is reported and
the others are written all the same. For each map, the cells that change.

Exit status: 0 done, 2 a map could not be read or written, 64 a wrong command
line.
)"_s;

// What each value of a layer becomes: [0] the terrain, [1..3] the sprite
// layers.
using ValueTables = std::array<std::array<std::uint8_t, 256>, 4>;

// The pairs of one option ("OLD=NEW", each 0 to 255) into the tables of
// `layers`; a usage problem otherwise.
QString addPairs(const QString &option, const QStringList &pairs, std::initializer_list<int> layers,
                 ValueTables &tables)
{
    std::set<int> olds;
    for (const QString &pair : pairs) {
        const QStringList sides = pair.split(u'=');
        const auto from = sides.size() == 2 ? wholeNumber(sides[0], 0, 255) : std::nullopt;
        const auto to = sides.size() == 2 ? wholeNumber(sides[1], 0, 255) : std::nullopt;
        if (!from || !to)
            return u"--%1 takes OLD=NEW, each 0 to 255, not \"%2\""_s.arg(option, pair);
        if (!olds.insert(*from).second)
            return u"--%1 gives %2 twice"_s.arg(option).arg(*from);
        for (const int layer : layers)
            tables[size_t(layer)][size_t(*from)] = std::uint8_t(*to);
    }
    return {};
}

// One map's replacement: its changed grid and the cells that change, or why
// it could not be read. Touches nothing but its own map, so maps may be
// handled on any number of threads.
struct MapChange {
    QString path;
    MapGrid grid;
    int cells = 0;
    QString failure;
};

MapChange changeMap(const QString &path, const ValueTables &tables)
{
    MapChange change{path, {}, 0, {}};
    if (const auto refused = readMapToEdit(path, change.grid)) {
        change.failure = *refused;
        return change;
    }
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            bool changed = false;
            for (int layer = 0; layer < 4; ++layer) {
                const std::uint8_t old = change.grid.layerByte(x, y, Layer(layer));
                const std::uint8_t now = tables[size_t(layer)][old];
                changed = changed || now != old;
                change.grid.setLayerByte(x, y, Layer(layer), now);
            }
            change.cells += int(changed);
        }
    }
    return change;
}

// The maps once each, as named first: a second name of the same file (a
// repeat, a link) is dropped.
QStringList distinctMaps(const QStringList &maps)
{
    QStringList distinct;
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const QString &map : maps) {
        struct stat info {};
        if (::stat(QFile::encodeName(map).constData(), &info) == 0 && !seen.insert({info.st_dev, info.st_ino}).second)
            continue;
        distinct << map;
    }
    return distinct;
}

} // namespace

int runReplace(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"replace"_s, u"Replaces sprite indices and terrain codes in maps."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption sprite(u"sprite"_s, u"Replace sprite OLD with NEW (repeatable)."_s, u"OLD=NEW"_s);
    const QCommandLineOption terrain(u"terrain"_s, u"Replace terrain code OLD with NEW (repeatable)."_s, u"OLD=NEW"_s);
    const QCommandLineOption layer(u"layer"_s, u"Change sprites on layer N (1 to 3) only."_s, u"N"_s);
    const QCommandLineOption dryRun(u"dry-run"_s, u"Count the cells that would change; write nothing."_s);
    const QCommandLineOption json(u"json"_s, u"Write a JSON array, one object per map."_s);
    const ParallelOptions parallel;
    parser.addOptions({sprite, terrain, layer, dryRun, json});
    parallel.addTo(parser);
    parser.addPositionalArgument(u"MAP..."_s, u"The map files, changed in place."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;

    ValueTables tables;
    for (auto &table : tables) {
        for (int value = 0; value < 256; ++value)
            table[size_t(value)] = std::uint8_t(value);
    }
    std::optional<int> onlyLayer;
    if (parser.isSet(layer)) {
        onlyLayer = wholeNumber(parser.value(layer), 1, 3);
        if (!onlyLayer)
            return invocation.usageError(io, u"--layer takes 1, 2 or 3"_s);
    }
    QString problem = addPairs(u"terrain"_s, parser.values(terrain), {0}, tables);
    if (problem.isEmpty()) {
        problem = onlyLayer ? addPairs(u"sprite"_s, parser.values(sprite), {*onlyLayer}, tables)
                            : addPairs(u"sprite"_s, parser.values(sprite), {1, 2, 3}, tables);
    }
    if (problem.isEmpty() && parser.values(sprite).isEmpty() && parser.values(terrain).isEmpty())
        problem = u"give at least one --sprite or --terrain OLD=NEW"_s;
    else if (problem.isEmpty() && onlyLayer && parser.values(sprite).isEmpty())
        problem = u"--layer limits --sprite pairs; none is given"_s;
    else if (problem.isEmpty() && parser.positionalArguments().isEmpty())
        problem = u"no map to change"_s;
    if (!problem.isEmpty())
        return invocation.usageError(io, problem);
    const std::optional<RunSettings> settings = parallel.read(parser, invocation, io);
    if (!settings)
        return ExitUsage;

    // Every map read and changed in memory first; the count shows while
    // they are written, the slow part.
    const QStringList maps = distinctMaps(parser.positionalArguments());
    std::vector<MapChange> changes(std::size_t(maps.size()));
    int status = ExitOk;
    runInOrder(
        maps.size(), RunSettings{settings->jobs, false}, io,
        [&](qsizetype i) { changes[std::size_t(i)] = changeMap(maps[i], tables); },
        [&](qsizetype i, Progress &) {
            if (!changes[std::size_t(i)].failure.isEmpty())
                status = reportFailure(io, invocation.command(), maps[i], changes[std::size_t(i)].failure);
        });
    const bool writing = status == ExitOk && !parser.isSet(dryRun);
    if (status != ExitOk)
        io.err << "kmp replace: no map was changed, as not every map could be read" << Qt::endl;

    QJsonArray report;
    std::vector<MapWriteResult> writes(changes.size());
    runInOrder(
        qsizetype(changes.size()), *settings, io,
        [&](qsizetype i) {
            const MapChange &change = changes[std::size_t(i)];
            if (change.failure.isEmpty() && writing && change.cells > 0)
                writes[std::size_t(i)] = writeMapFile(change.path, change.grid);
        },
        [&](qsizetype i, Progress &progress) {
            const MapChange &change = changes[std::size_t(i)];
            if (!change.failure.isEmpty())
                return;
            progress.clear();
            const bool written = writing && change.cells > 0 && writes[std::size_t(i)].ok();
            const bool failed = writing && change.cells > 0 && !written;
            if (failed)
                status = reportFailure(io, invocation.command(), change.path, writes[std::size_t(i)].reason);
            if (parser.isSet(json)) {
                report.append(QJsonObject{
                    {u"file"_s, io.shown(change.path)}, {u"cells"_s, change.cells}, {u"written"_s, written}});
            } else {
                io.out << io.shown(change.path) << ": " << change.cells << (change.cells == 1 ? " cell" : " cells")
                       << (failed        ? " would change, not written"
                               : writing ? " changed"
                                         : " would change")
                       << '\n';
            }
        });
    if (parser.isSet(json))
        writeJson(io, QJsonDocument(report));
    io.out.flush();
    return status;
}

} // namespace kestrun::kmp
