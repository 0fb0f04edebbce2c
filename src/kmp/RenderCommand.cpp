// kmp render: maps as PNG pictures, drawn exactly as the editor's canvas.
#include "Commands.h"

#include "RebuildableFileWrite.h"
#include "GameCatalogue.h"
#include "Invocation.h"
#include "MapImage.h"
#include "OutputRule.h"
#include "ParallelRun.h"
#include "CellGeometry.h"
#include "MapFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(At 40 pixels a cell (the default) the picture is the editor's 642 x 440 canvas
after a full redraw, pixel for pixel: terrain colours, then sprite layers 1 up
to --layer, each sprite covering its whole cell. --scale, --tilesize and --size
resize it: smoothly when it shrinks or grows by an odd factor, pixel for pixel
when it grows by a whole number. Terrain alone (--layer 0) needs no game.

OUT.png must end in .png, or be - for the standard output; -o FILE takes any
name. With --out-dir, each MAP is drawn to DIR/NAME.png, NAME being the map's
file name without its extension: thumbnails for a gallery of levels.

A picture is written whole (a temporary file renamed over it) or not at all.
It never replaces a map, the game's files or anything but a PNG picture
(--force replaces anything but the command's own inputs). Maps are drawn -j
at a time; a map that fails is reported, and the others are still drawn.
Exit status: 0 done, 2 an error, 64 a wrong command line.
)"_s;

struct Job {
    QString map;
    QString picture;
};

// The size asked for by --scale, --tilesize or --size (at most one of them).
std::optional<QSize> requestedSize(const QCommandLineParser &parser, const QCommandLineOption &scale,
                                   const QCommandLineOption &tileSize, const QCommandLineOption &size, QString &problem)
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

// OUT.png, -o FILE or "-": the picture of the one map in `positional`.
QString singlePicture(const QCommandLineParser &parser, const QCommandLineOption &output, QStringList &positional,
                      QString &problem)
{
    const QString picture =
        chosenOutput(parser, output, positional, 1,
                     u"give a map and the picture to write (or --out-dir DIR and maps)"_s, problem, true);
    if (problem.isEmpty() && !parser.isSet(output) && picture != u"-"_s
        && !picture.endsWith(u".png"_s, Qt::CaseInsensitive)) {
        problem = u"%1 does not end in .png: give the picture's name (or -o FILE), or --out-dir DIR to draw "
                  u"several maps"_s.arg(picture);
    }
    return picture;
}

// MAP OUT.png, or every MAP into DIR (named after the map as typed); a
// problem with the command line otherwise.
std::vector<Job> plannedJobs(const QCommandLineParser &parser, const QCommandLineOption &output,
                             const QCommandLineOption &outDirOption, const Console &io, QString &problem)
{
    std::vector<Job> jobs;
    QStringList positional = parser.positionalArguments();
    if (!parser.isSet(outDirOption)) {
        const QString picture = singlePicture(parser, output, positional, problem);
        if (problem.isEmpty())
            jobs.push_back({positional[0], picture});
        return jobs;
    }
    if (parser.isSet(output)) {
        problem = u"give either -o FILE or --out-dir DIR"_s;
        return jobs;
    }
    const QString outDir = parser.value(outDirOption);
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

// Writes a picture to its file, or to the standard output for "-"; the
// reason it could not be written, or the empty string.
QString writePicture(const QString &path, const QByteArray &png)
{
    if (path != u"-"_s) {
        const WriteResult written = writeRebuildableFile(path, png);
        return written.reason;
    }
    if (std::fwrite(png.constData(), 1, size_t(png.size()), stdout) != size_t(png.size()) || std::fflush(stdout) != 0)
        return u"the picture could not be written to the standard output"_s;
    return {};
}

// The files the pictures must not replace: the maps and the game's files.
OutputRule renderInputs(const std::vector<Job> &jobs, const GameCatalogue &catalogue)
{
    OutputRule rule;
    for (const Job &job : jobs)
        rule.addInput(job.map);
    if (!catalogue.folder.isEmpty())
        rule.addInput(catalogue.cataloguePath);
    rule.addInputs(catalogue.picturePaths);
    return rule;
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
    if (const QString failed = writePicture(job.picture, encoded.png); !failed.isEmpty())
        return jobFailure(job.picture, failed);
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
    const QCommandLineOption output = outputOption();
    const QCommandLineOption force = forceOption(u"Replace a file that is not a PNG picture (never an input)."_s);
    const ParallelOptions parallel;
    parser.addOptions({game, layer, scale, tileSize, size, grid, outDir, output, force});
    parallel.addTo(parser);
    parser.addPositionalArgument(u"MAP"_s, u"The map file."_s);
    parser.addPositionalArgument(u"OUT.png"_s, u"The picture to write (without --out-dir)."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const std::optional<RunSettings> settings = parallel.read(parser, invocation, io);
    if (!settings)
        return ExitUsage;

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
    const std::vector<Job> jobs = plannedJobs(parser, output, outDir, io, problem);
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

    const OutputRule rule = renderInputs(jobs, *catalogue);
    int status = ExitOk;
    std::vector<JobResult> results(jobs.size());
    runInOrder(
        qsizetype(jobs.size()), *settings, io,
        [&](qsizetype i) {
            const Job &job = jobs[std::size_t(i)];
            if (const auto refused = rule.refusal(job.picture, FileKind::Picture, parser.isSet(force)))
                results[std::size_t(i)] = jobFailure(job.picture, *refused);
            else
                results[std::size_t(i)] = renderJob(job, catalogue->sprites, options);
        },
        [&](qsizetype i, Progress &progress) {
            const JobResult &drawn = results[std::size_t(i)];
            if (drawn.ok())
                return;
            progress.clear();
            status = reportFailure(io, invocation.command(), drawn.file, drawn.reason);
        });
    return status;
}

} // namespace kestrun::kmp
