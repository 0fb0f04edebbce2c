// kmp gallery: a page of every level's thumbnail, check status and findings,
// to open from disk in any browser.
#include "Commands.h"

#include "RebuildableFileWrite.h"
#include "GalleryPage.h"
#include "Invocation.h"
#include "MapBatch.h"
#include "MapCheck.h"
#include "MapImage.h"
#include "MapSource.h"
#include "MapText.h"
#include "OutputRule.h"
#include "ParallelRun.h"
#include "MapFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(Writes DIR/index.html and a thumbnail of each map in DIR/thumbs/NAME.png
(NAME being the map's file name without its extension). Each level's card shows
its picture, file name, check status and findings (as "kmp check" finds them)
and how many sprites it places. The page filters by name and by status; it
needs no network and fetches nothing from outside, so it opens from disk.
Files are written whole (a temporary file renamed over the old one); a level
that cannot be read gets a card without a picture.

Exit status: 0 done, 2 a map could not be read, a file not written or the
catalogue not read, 64 a wrong command line.
)"_s;

// The thumbnails' default width: half the editor's canvas.
constexpr int DefaultThumbnailWidth = 321;
// A card lists this many findings at most.
constexpr qsizetype ShownFindings = 12;

struct Level {
    QString map;
    QString thumbnail; // its path
    GalleryCard card;
    QString failure; // why the map could not be read or its thumbnail written
    QString failedFile;
};

// Findings as a card lists them: each kind about one value once, with the
// cells it turns up in when more than one.
QStringList cardFindings(const std::vector<Finding> &findings)
{
    QStringList lines = summedFindingLines(findings);
    if (lines.size() > ShownFindings) {
        const qsizetype more = lines.size() - ShownFindings;
        lines.resize(ShownFindings);
        lines << u"and %1 more"_s.arg(more);
    }
    return lines;
}

int spriteCount(const MapGrid &grid)
{
    int sprites = 0;
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            const MapCell cell = grid.cell(x, y);
            sprites += int(cell.Sprite1 != 0) + int(cell.Sprite2 != 0) + int(cell.Sprite3 != 0);
        }
    }
    return sprites;
}

void fail(Level &level, const QString &file, const QString &reason)
{
    level.failedFile = file;
    level.failure = reason;
}

// Checks and draws one level, and writes its thumbnail.
void makeLevel(Level &level, const SpriteTable &table, const SpriteTable *checked, const RenderOptions &options,
               const OutputRule &rule, bool force)
{
    const ReadResult file = readFileHead(level.map, MapFileSize);
    if (!file.ok()) {
        level.card.status = statusName(MapStatus::Errors);
        level.card.findings = QStringList{u"cannot read the file: "_s + file.reason};
        return fail(level, level.map, file.reason);
    }
    const std::vector<Finding> findings = checkMap(file.bytes, file.size, checked);
    level.card.status = statusName(statusOf(findings, checked != nullptr));
    level.card.findings = cardFindings(findings);
    MapGrid grid;
    if (decodeMap(asByteSpan(file.bytes), grid) != MapReadStatus::Loaded)
        return; // the findings say why the editor refuses it
    level.card.sprites = spriteCount(grid);
    if (const auto refused = rule.refusal(level.thumbnail, FileKind::Picture, force))
        return fail(level, level.thumbnail, *refused);
    const QImage picture = renderMap(grid, table, options);
    const EncodeResult encoded = encodePng(picture);
    if (!encoded.ok())
        return fail(level, level.thumbnail, encoded.reason);
    if (const WriteResult written = writeRebuildableFile(level.thumbnail, encoded.png); !written.ok())
        return fail(level, level.thumbnail, written.reason);
    level.card.picture = QFileInfo(level.thumbnail).fileName();
    level.card.pictureSize = picture.size();
}

// Each map's level, its thumbnail named after it; a problem when two maps
// would share a thumbnail.
std::vector<Level> plannedLevels(const QStringList &maps, const QString &thumbs, const Console &io, QString &problem)
{
    std::vector<Level> levels;
    QSet<QString> names;
    for (const QString &map : maps) {
        const QString shown = io.shown(map);
        const QString name = QFileInfo(shown).completeBaseName() + u".png"_s;
        if (names.contains(name)) {
            problem = u"two maps would both be drawn to %1"_s.arg(QDir(thumbs).filePath(name));
            return {};
        }
        names.insert(name);
        Level level;
        level.map = map;
        level.thumbnail = QDir(thumbs).filePath(name);
        level.card.name = QFileInfo(shown).fileName();
        level.card.path = shown;
        levels.push_back(std::move(level));
    }
    return levels;
}

} // namespace

int runGallery(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"gallery"_s, u"Writes a web page of levels: thumbnails, check status and findings."_s,
                          Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game = gameFolderOption();
    const QCommandLineOption outDir(u"out-dir"_s, u"The folder for index.html and thumbs/."_s, u"DIR"_s);
    const QCommandLineOption size(u"size"_s, u"Thumbnails N pixels wide (default 321)."_s, u"N"_s);
    const QCommandLineOption force = forceOption(u"Replace files of another kind (never an input)."_s);
    const ParallelOptions parallel;
    parser.addOptions({game, outDir, size, force});
    parallel.addTo(parser);
    parser.addPositionalArgument(u"MAP"_s, u"The levels."_s, u"MAP..."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const QStringList maps = parser.positionalArguments();
    if (maps.isEmpty())
        return invocation.usageError(io, u"no map to show"_s);
    if (!parser.isSet(outDir) || parser.value(outDir).isEmpty())
        return invocation.usageError(io, u"give --out-dir DIR, the folder for the page"_s);
    const std::optional<RunSettings> settings = parallel.read(parser, invocation, io);
    if (!settings)
        return ExitUsage;
    RenderOptions options;
    const auto width =
        wholeNumber(parser.isSet(size) ? parser.value(size) : QString::number(DefaultThumbnailWidth), 1, MaxRenderSide);
    if (!width)
        return invocation.usageError(io, u"--size takes the thumbnails' width in pixels, 1 to %1"_s.arg(MaxRenderSide));
    options.size = *scaledCanvasSize(double(*width) / CanvasWidth);
    const QDir folder(parser.value(outDir));
    QString problem;
    std::vector<Level> levels = plannedLevels(maps, folder.filePath(u"thumbs"_s), io, problem);
    if (!problem.isEmpty())
        return invocation.usageError(io, problem);

    const std::unique_ptr<GameCatalogue> catalogue = chosenCatalogue(parser, game, invocation, io);
    if (!catalogue)
        return ExitFailure;
    int status = ExitOk;
    // Without the catalogue the levels are still drawn (sprites light grey,
    // as in the editor) and shown unchecked.
    const SpriteTable *checked = catalogue->load.listEntries.isEmpty() ? nullptr : &catalogue->sprites;
    if (!checked)
        status = reportFailure(io, invocation.command(), unusableReason(catalogue->folder, catalogue.get()));
    if (!QDir().mkpath(folder.filePath(u"thumbs"_s)))
        return reportFailure(io, invocation.command(), folder.filePath(u"thumbs"_s), u"the folder cannot be made"_s);

    OutputRule rule;
    rule.addInputs(maps);
    rule.addInput(catalogue->cataloguePath);
    rule.addInputs(catalogue->picturePaths);
    const bool forced = parser.isSet(force);
    runInOrder(
        qsizetype(levels.size()), *settings, io,
        [&](qsizetype i) { makeLevel(levels[std::size_t(i)], catalogue->sprites, checked, options, rule, forced); },
        [&](qsizetype i, Progress &progress) {
            const Level &level = levels[std::size_t(i)];
            if (level.failure.isEmpty())
                return;
            progress.clear();
            status = reportFailure(io, invocation.command(), level.failedFile, level.failure);
        });

    std::vector<GalleryCard> cards;
    cards.reserve(levels.size());
    for (const Level &level : levels)
        cards.push_back(level.card);
    const QString page = folder.filePath(u"index.html"_s);
    const QString title = levels.size() == 1 ? u"1 level"_s : u"%1 levels"_s.arg(levels.size());
    if (const auto refused = rule.refusal(page, FileKind::Other, forced))
        return reportFailure(io, invocation.command(), page, *refused);
    if (const WriteResult written = writeRebuildableFile(page, galleryPage(title, cards)); !written.ok())
        return reportFailure(io, invocation.command(), page, written.reason);
    return status;
}

} // namespace kestrun::kmp
