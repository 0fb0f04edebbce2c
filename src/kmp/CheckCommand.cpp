// kmp check: validates maps for a game, as the editor would load them.
#include "kmp/Commands.h"

#include "io/RegularFile.h"
#include "kmp/GameCatalogue.h"
#include "kmp/Invocation.h"
#include "kmp/MapCheck.h"
#include "map/MapFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

Each finding is a line "FILE: error: ..." or "FILE: warning: ...", then a
summary line.

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
    const ReadResult file = readRegularFile(path, MapFileSize);
    if (!file.ok())
        return {path, {{Severity::Error, u"unreadable"_s, u"cannot read the file: "_s + file.reason}}};
    return {path, checkMap(file.bytes, file.size, sprites)};
}

Report checkCatalogue(const GameCatalogue &game)
{
    if (game.load.ok())
        return {game.cataloguePath, {}};
    const QString message = game.load.listEntries.isEmpty()
        ? u"the editor loads no sprites from it, so the maps' sprites go unchecked: "_s
              + game.load.reason
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

QString statusName(bool errors, bool warnings)
{
    return errors ? u"errors"_s : warnings ? u"warnings"_s : u"clean"_s;
}

QJsonObject findingJson(const Finding &finding)
{
    QJsonObject object{{u"severity"_s, severityName(finding.severity)},
                       {u"kind"_s, finding.kind},
                       {u"message"_s, finding.message}};
    const std::pair<QString, int> places[] = {
        {u"x"_s, finding.x}, {u"y"_s, finding.y}, {u"layer"_s, finding.layer}, {u"value"_s, finding.index}};
    for (const auto &[key, value] : places) {
        if (value >= 0)
            object.insert(key, value);
    }
    return object;
}

QJsonObject reportJson(const Report &report)
{
    QJsonArray findings;
    for (const Finding &finding : report.findings)
        findings.append(findingJson(finding));
    return {{u"file"_s, report.file},
            {u"status"_s, statusName(hasSeverity(report, Severity::Error), hasSeverity(report, Severity::Warning))},
            {u"findings"_s, findings}};
}

void writeFindings(const Report &report, Console &io)
{
    for (const Finding &finding : report.findings)
        io.out << report.file << ": " << severityName(finding.severity) << ": " << finding.message << '\n';
}

void writeText(const Report &catalogue, const std::vector<Report> &maps, Console &io)
{
    writeFindings(catalogue, io);
    int clean = 0, warned = 0, failed = 0;
    for (const Report &map : maps) {
        writeFindings(map, io);
        if (hasSeverity(map, Severity::Error))
            ++failed;
        else if (hasSeverity(map, Severity::Warning))
            ++warned;
        else
            ++clean;
    }
    io.out << "checked " << maps.size() << (maps.size() == 1 ? " map: " : " maps: ") << clean << " clean, "
           << warned << " with warnings only, " << failed << " with errors" << Qt::endl;
}

void writeJson(const GameCatalogue &game, const Report &catalogue, const std::vector<Report> &maps,
               int status, Console &io)
{
    QJsonArray mapArray;
    for (const Report &map : maps)
        mapArray.append(reportJson(map));
    QJsonObject catalogueObject = reportJson(catalogue);
    catalogueObject.insert(u"sprites"_s, int(game.load.listEntries.size()));
    const QJsonObject root{{u"game"_s, io.shown(game.folder)},
                           {u"catalogue"_s, catalogueObject},
                           {u"maps"_s, mapArray},
                           {u"status"_s, statusName(status == ExitFailure, status == ExitWarnings)}};
    io.out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    io.out.flush();
}

} // namespace

int runCheck(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"check"_s, u"Checks maps for a game, as the editor would load them."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game = gameFolderOption();
    const QCommandLineOption json(u"json"_s, u"Write the findings as JSON."_s);
    parser.addOptions({game, json});
    parser.addPositionalArgument(u"MAP"_s, u"The map files to check."_s, u"MAP..."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        return invocation.usageError(io, u"no map to check"_s);

    const QString folder = chooseGameFolder(parser.value(game), parser.isSet(game));
    if (folder.isEmpty())
        return reportFailure(io, invocation.command(), unusableReason(folder, nullptr));
    const std::unique_ptr<GameCatalogue> catalogue = loadGameCatalogue(folder);

    const Report catalogueReport = shownIn(io, checkCatalogue(*catalogue));
    const SpriteTable *sprites = catalogue->load.listEntries.isEmpty() ? nullptr : &catalogue->sprites;
    std::vector<Report> maps;
    maps.reserve(std::size_t(paths.size()));
    bool errors = !catalogueReport.findings.empty();
    bool warnings = false;
    for (const QString &path : paths) {
        maps.push_back(shownIn(io, checkMapFile(path, sprites)));
        errors = errors || hasSeverity(maps.back(), Severity::Error);
        warnings = warnings || hasSeverity(maps.back(), Severity::Warning);
    }
    const int status = errors ? ExitFailure : warnings ? ExitWarnings : ExitOk;
    if (parser.isSet(json))
        writeJson(*catalogue, catalogueReport, maps, status, io);
    else
        writeText(catalogueReport, maps, io);
    return status;
}

} // namespace kestrun::kmp
