// kmp render: maps as PNG pictures, drawn exactly as the editor's canvas.
#include "kmp/Commands.h"

#include "io/WholeFileWrite.h"
#include "kmp/GameCatalogue.h"
#include "kmp/Invocation.h"
#include "kmp/MapImage.h"
#include "map/CellGeometry.h"
#include "map/MapFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(At 40 pixels a cell (the default) the picture is the editor's 642 x 440 canvas
after a full redraw, pixel for pixel: terrain colours, then sprite layers 1 up
to --layer, each sprite covering its whole cell. --scale, --tilesize and --size
resize it: smoothly when it shrinks or grows by an odd factor, pixel for pixel
when it grows by a whole number. Terrain alone (--layer 0) needs no game.

With --out-dir, each MAP is drawn to DIR/NAME.png, NAME being the map's file
name without its extension: thumbnails for a gallery of levels.

A picture is written whole (a temporary file renamed over it) or not at all.
Exit status: 0 done, 2 an error, 64 a wrong command line.
)"_s;

struct Job {
    QString map;
    QString picture;
};

// The size asked for by --scale, --tilesize or --size (at most one of them).
std::optional<QSize> requestedSize(const QCommandLineParser &parser, const QCommandLineOption &scale,
                                   const QCommandLineOption &tileSize, const QCommandLineOption &size,
                                   QString &problem)
{
    const int given = int(parser.isSet(scale)) + int(parser.isSet(tileSize)) + int(parser.isSet(size));
    if (given > 1) {
        problem = u"give only one of --scale, --tilesize and --size"_s;
        return std::nullopt;
    }
    if (parser.isSet(scale)) {
        bool ok = false;
        const double factor = parser.value(scale).toDouble(&ok);
        const auto result = ok ? scaledCanvasSize(factor) : std::nullopt;
        if (!result)
            problem = u"--scale takes a factor above 0 that keeps the picture within %1 pixels"_s.arg(MaxRenderSide);
        return result;
    }
    if (parser.isSet(tileSize)) {
        const auto pixels = wholeNumber(parser.value(tileSize), 1, MaxRenderSide / MapGrid::Width);
        if (!pixels) {
            problem = u"--tilesize takes the pixels of a cell, 1 to %1"_s.arg(MaxRenderSide / MapGrid::Width);
            return std::nullopt;
        }
        return scaledCanvasSize(double(*pixels) / CellSize);
    }
    if (parser.isSet(size)) {
        const auto pixels = wholeNumber(parser.value(size), 1, MaxRenderSide);
        if (!pixels) {
            problem = u"--size takes the picture's width in pixels, 1 to %1"_s.arg(MaxRenderSide);
            return std::nullopt;
        }
        return scaledCanvasSize(double(*pixels) / CanvasWidth);
    }
    return QSize();
}

// MAP OUT.png, or every MAP into DIR (named after the map as typed); a
// problem with the command line otherwise.
std::vector<Job> plannedJobs(const QStringList &positional, const QString &outDir, bool outDirGiven,
                             const Console &io, QString &problem)
{
    std::vector<Job> jobs;
    if (!outDirGiven) {
        if (positional.size() != 2)
            problem = u"give a map and the picture to write (or --out-dir DIR and maps)"_s;
        else
            jobs.push_back({positional[0], positional[1]});
        return jobs;
    }
    if (positional.isEmpty())
        problem = u"no map to render"_s;
    QSet<QString> pictures;
    for (const QString &map : positional) {
        const QString picture = QDir(outDir).filePath(QFileInfo(io.shown(map)).completeBaseName() + u".png"_s);
        if (pictures.contains(picture)) {
            problem = u"two maps would both be drawn to %1"_s.arg(picture);
            return {};
        }
        pictures.insert(picture);
        jobs.push_back({map, picture});
    }
    return jobs;
}

enum class JobStatus { Drawn, Failed };
struct JobResult : FileResult<JobStatus> {
    QString file; // the map or the picture that failed
};

JobResult jobFailure(const QString &file, const QString &reason)
{
    JobResult result;
    result.status = JobStatus::Failed;
    result.reason = reason;
    result.file = file;
    return result;
}

// Draws one map into its picture.
JobResult renderJob(const Job &job, const SpriteTable &sprites, const RenderOptions &options)
{
    MapGrid grid;
    const MapReadResult read = readMapFile(job.map, grid);
    switch (read.status) {
    case MapReadStatus::Loaded: break;
    case MapReadStatus::NotValidMapFile: return jobFailure(job.map, u"Not valid map file"_s);
    case MapReadStatus::WrongVersion: return jobFailure(job.map, u"Wrong version"_s);
    case MapReadStatus::Unreadable: return jobFailure(job.map, read.reason);
    }
    const EncodeResult encoded = encodePng(renderMap(grid, sprites, options));
    if (!encoded.ok())
        return jobFailure(job.picture, encoded.reason);
    if (const WriteResult written = writeWholeFile(job.picture, encoded.png); !written.ok())
        return jobFailure(job.picture, written.reason);
    return {};
}

} // namespace

int runRender(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"render"_s, u"Draws maps as PNG pictures, as the editor's canvas shows them."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game = gameFolderOption();
    const QCommandLineOption layer(u"layer"_s, u"The highest sprite layer drawn, 0 (terrain only) to 3 (default)."_s,
                                   u"N"_s);
    const QCommandLineOption scale(u"scale"_s, u"Scale the picture by F (0.5 halves it)."_s, u"F"_s);
    const QCommandLineOption tileSize(u"tilesize"_s, u"Draw each cell N pixels wide (40 is the editor's)."_s, u"N"_s);
    const QCommandLineOption size(u"size"_s, u"Make the picture N pixels wide (642 is the editor's)."_s, u"N"_s);
    const QCommandLineOption grid(u"grid"_s, u"Draw the cell lines."_s);
    const QCommandLineOption outDir(u"out-dir"_s, u"Draw each MAP to DIR/NAME.png."_s, u"DIR"_s);
    parser.addOptions({game, layer, scale, tileSize, size, grid, outDir});
    parser.addPositionalArgument(u"MAP"_s, u"The map file."_s);
    parser.addPositionalArgument(u"OUT.png"_s, u"The picture to write (without --out-dir)."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;

    RenderOptions options;
    options.grid = parser.isSet(grid);
    if (parser.isSet(layer)) {
        const auto value = wholeNumber(parser.value(layer), 0, 3);
        if (!value)
            return invocation.usageError(io, u"--layer takes 0, 1, 2 or 3"_s);
        options.layer = *value;
    }
    QString problem;
    const auto pictureSize = requestedSize(parser, scale, tileSize, size, problem);
    if (!pictureSize)
        return invocation.usageError(io, problem);
    options.size = *pictureSize;
    const std::vector<Job> jobs = plannedJobs(parser.positionalArguments(), parser.value(outDir),
                                              parser.isSet(outDir), io, problem);
    if (!problem.isEmpty())
        return invocation.usageError(io, problem);

    // Terrain alone needs no game; sprites need the game's catalogue.
    std::unique_ptr<GameCatalogue> catalogue = std::make_unique<GameCatalogue>();
    if (options.layer > 0) {
        const QString folder = chooseGameFolder(parser.value(game), parser.isSet(game));
        if (folder.isEmpty())
            return reportFailure(io, invocation.command(), unusableReason(folder, nullptr));
        catalogue = loadGameCatalogue(folder);
        if (const QString reason = unusableReason(folder, catalogue.get()); !reason.isEmpty())
            return reportFailure(io, invocation.command(), reason);
        if (!catalogue->load.ok()) {
            io.err << "kmp render: warning: " << io.shown(catalogue->cataloguePath)
                   << ": the editor stops reading it after " << catalogue->load.listEntries.size() << " pictures ("
                   << io.shown(catalogue->load.reason) << "); later sprites are drawn light grey, as in the editor"
                   << Qt::endl;
        }
    }
    if (parser.isSet(outDir) && !QDir().mkpath(parser.value(outDir)))
        return reportFailure(io, invocation.command(), parser.value(outDir), u"the folder cannot be made"_s);

    int status = ExitOk;
    for (const Job &job : jobs) {
        if (const JobResult drawn = renderJob(job, catalogue->sprites, options); !drawn.ok())
            status = reportFailure(io, invocation.command(), drawn.file, drawn.reason);
    }
    return status;
}

} // namespace kestrun::kmp
