// kmp check: validates maps for a game, as the editor would load them.
#include "Commands.h"

#include "Invocation.h"
#include "MapBatch.h"
#include "MapCheck.h"
#include "MapSource.h"
#include "ParallelRun.h"
#include "MapFile.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(Errors: what the editor refuses ("Not valid map file", "Wrong version"), a file
that cannot be read, a sprite the game's catalogue does not list or whose
picture does not load (with its cell and layer), and a catalogue the editor
stops reading part-way.
Warnings: a file shorter or longer than 726 bytes, MaxX, MaxY or the reserved
bytes not as the editor writes them, terrain codes other than Ground 1,
Beton 2, Brick 4, Ice 8 and Water 16.

Each finding is a line "FILE: error: ..." or "FILE: warning: ...", then one
line for each finding that repeats ("sprite 30 is not in the catalogue: 312
cells in 98 maps"), the most frequent first, then a summary line. --quiet
gives a map's errors of one kind about one value as one line with their
number of cells ("sprite 30 is not in the catalogue: 9 cells"). When the
catalogue gives no sprites at all, maps are "unchecked", never "clean".
A MAP of - is read from the standard input.

Exit status: 0 every map clean, 1 warnings only, 2 any error, 64 a wrong
command line.
)"_s;

struct Report {
    QString file;
    std::vector<Finding> findings;
};

bool hasSeverity(const Report &report, Severity severity)
{
    for (const Finding &finding : report.findings) {
        if (finding.severity == severity)
            return true;
    }
    return false;
}

Report checkMapFile(const QString &path, const SpriteTable *sprites)
{
    const ReadResult file = readFileHead(path, MapFileSize);
    if (!file.ok())
        return {path, {{Severity::Error, u"unreadable"_s, u"cannot read the file: "_s + file.reason}}};
    return {path, checkMap(file.bytes, file.size, sprites)};
}

Report checkCatalogue(const GameCatalogue &game)
{
    if (game.load.ok())
        return {game.cataloguePath, {}};
    const QString message = game.load.listEntries.isEmpty()
        ? u"the editor loads no sprites from it, so the maps' sprites go unchecked: "_s + game.load.reason
        : u"the editor stops reading it after %1 pictures: %2"_s.arg(game.load.listEntries.size())
              .arg(game.load.reason);
    return {game.cataloguePath, {{Severity::Error, u"catalogue"_s, message}}};
}

// The report with the names in it as the user typed them.
Report shownIn(const Console &io, Report report)
{
    report.file = io.shown(report.file);
    for (Finding &finding : report.findings)
        finding.message = io.shown(finding.message);
    return report;
}

QString severityName(Severity severity)
{
    return severity == Severity::Error ? u"error"_s : u"warning"_s;
}

MapStatus statusOf(const Report &report, bool spritesChecked)
{
    return kmp::statusOf(report.findings, spritesChecked);
}

// One kind of finding about one value (a sprite index, a terrain code), and
// where it turns up.
struct Repeated {
    QString kind;
    int value = -1;
    QString text;
    int count = 0;
    int cells = 0;
    int maps = 0;
};

// The findings that turn up more than once, the most frequent first (the
// first seen first among equals).
std::vector<Repeated> repeatedFindings(const std::vector<Report> &maps)
{
    std::vector<Repeated> groups;
    QHash<std::pair<QString, int>, std::size_t> byKey;
    for (const Report &map : maps) {
        QSet<std::size_t> inThisMap;
        for (const Finding &finding : map.findings) {
            const std::pair key{finding.kind, finding.index};
            auto found = byKey.constFind(key);
            if (found == byKey.cend()) {
                found = byKey.insert(key, groups.size());
                groups.push_back({finding.kind, finding.index, findingGroupText(finding)});
            }
            Repeated &group = groups[*found];
            ++group.count;
            group.cells += finding.x >= 0 ? 1 : 0;
            if (!inThisMap.contains(*found)) {
                inThisMap.insert(*found);
                ++group.maps;
            }
        }
    }
    std::erase_if(groups, [](const Repeated &group) { return group.count < 2; });
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Repeated &a, const Repeated &b) { return a.count > b.count; });
    return groups;
}

QString mapsText(int maps)
{
    return maps == 1 ? u"1 map"_s : u"%1 maps"_s.arg(maps);
}

QJsonObject findingJson(const Finding &finding)
{
    QJsonObject object{
        {u"severity"_s, severityName(finding.severity)}, {u"kind"_s, finding.kind}, {u"message"_s, finding.message}};
    const std::pair<QString, int> places[] = {
        {u"x"_s, finding.x}, {u"y"_s, finding.y}, {u"layer"_s, finding.layer}, {u"value"_s, finding.index}};
    for (const auto &[key, value] : places) {
        if (value >= 0)
            object.insert(key, value);
    }
    return object;
}

QJsonObject reportJson(const Report &report, MapStatus status)
{
    QJsonArray findings;
    for (const Finding &finding : report.findings)
        findings.append(findingJson(finding));
    return {{u"file"_s, report.file}, {u"status"_s, statusName(status)}, {u"findings"_s, findings}};
}

void writeFindings(const Report &report, Console &io)
{
    for (const Finding &finding : report.findings)
        io.out << report.file << ": " << severityName(finding.severity) << ": " << finding.message << '\n';
}

// --quiet: the errors only, and those of one kind about one value one line
// for the map with their number of cells, so that a missing picture gives a
// line or a few for each map rather than one for each cell.
void writeErrorsSummed(const Report &report, Console &io)
{
    for (const QString &line : summedFindingLines(report.findings, Severity::Error))
        io.out << report.file << ": error: " << line << '\n';
}

void writeMapFindings(const Report &report, bool quiet, Console &io)
{
    if (quiet)
        writeErrorsSummed(report, io);
    else
        writeFindings(report, io);
}

void writeText(const Report &catalogue, const std::vector<Report> &maps, bool spritesChecked, bool quiet, Console &io)
{
    writeMapFindings(catalogue, quiet, io);
    int counts[4] = {};
    for (const Report &map : maps) {
        writeMapFindings(map, quiet, io);
        ++counts[int(statusOf(map, spritesChecked))];
    }
    for (const Repeated &group : repeatedFindings(maps)) {
        io.out << group.text << ": " << (group.cells > 0 ? u"%1 cells in "_s.arg(group.cells) : QString())
               << mapsText(group.maps) << '\n';
    }
    io.out << "checked " << mapsText(int(maps.size())) << ": " << counts[int(MapStatus::Clean)] << " clean, "
           << counts[int(MapStatus::Warnings)] << " with warnings only, " << counts[int(MapStatus::Errors)]
           << " with errors";
    if (!spritesChecked)
        io.out << ", " << counts[int(MapStatus::Unchecked)] << " unchecked (no sprites without the catalogue)";
    io.out << Qt::endl;
}

void writeJson(const GameCatalogue &game, const Report &catalogue, const std::vector<Report> &maps, bool spritesChecked,
               int status, Console &io)
{
    QJsonArray mapArray;
    for (const Report &map : maps)
        mapArray.append(reportJson(map, statusOf(map, spritesChecked)));
    QJsonArray repeated;
    for (const Repeated &group : repeatedFindings(maps)) {
        repeated.append(QJsonObject{{u"kind"_s, group.kind},
                                    {u"value"_s, group.value},
                                    {u"message"_s, group.text},
                                    {u"findings"_s, group.count},
                                    {u"cells"_s, group.cells},
                                    {u"maps"_s, group.maps}});
    }
    QJsonObject catalogueObject = reportJson(catalogue, statusOf(catalogue, true));
    catalogueObject.insert(u"sprites"_s, int(game.load.listEntries.size()));
    const MapStatus overall = status == ExitFailure ? MapStatus::Errors
        : !spritesChecked                           ? MapStatus::Unchecked
        : status == ExitWarnings                    ? MapStatus::Warnings
                                                    : MapStatus::Clean;
    const QJsonObject root{{u"game"_s, io.shown(game.folder)},
                           {u"catalogue"_s, catalogueObject},
                           {u"maps"_s, mapArray},
                           {u"repeated"_s, repeated},
                           {u"status"_s, statusName(overall)}};
    writeJson(io, QJsonDocument(root));
    io.out.flush();
}

} // namespace

int runCheck(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"check"_s, u"Checks maps for a game, as the editor would load them."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game = gameFolderOption();
    const QCommandLineOption json(u"json"_s, u"Write the findings as JSON."_s);
    const QCommandLineOption quiet(QStringList{u"q"_s, u"quiet"_s},
                                   u"Leave out the warnings; a map's errors about one value summed up."_s);
    const ParallelOptions parallel;
    parser.addOptions({game, json, quiet});
    parallel.addTo(parser);
    parser.addPositionalArgument(u"MAP"_s, u"The map files to check; - reads one from the standard input."_s,
                                 u"MAP..."_s);
    MapBatch batch;
    if (const auto done = startMapBatch(invocation, arguments, parallel, game, u"no map to check"_s, io, batch))
        return *done;
    const QStringList &paths = batch.paths;
    const GameCatalogue &catalogue = *batch.catalogue;

    const Report catalogueReport = shownIn(io, checkCatalogue(catalogue));
    const SpriteTable *sprites = catalogue.load.listEntries.isEmpty() ? nullptr : &catalogue.sprites;
    std::vector<Report> maps(std::size_t(paths.size()));
    bool errors = !catalogueReport.findings.empty();
    bool warnings = false;
    runInOrder(
        paths.size(), batch.settings, io,
        [&](qsizetype i) { maps[std::size_t(i)] = shownIn(io, checkMapFile(paths[i], sprites)); },
        [&](qsizetype i, Progress &) {
            errors = errors || hasSeverity(maps[std::size_t(i)], Severity::Error);
            warnings = warnings || hasSeverity(maps[std::size_t(i)], Severity::Warning);
        });
    const int status = errors ? ExitFailure : warnings ? ExitWarnings : ExitOk;
    if (parser.isSet(json))
        writeJson(catalogue, catalogueReport, maps, sprites != nullptr, status, io);
    else
        writeText(catalogueReport, maps, sprites != nullptr, parser.isSet(quiet), io);
    return status;
}

} // namespace kestrun::kmp
