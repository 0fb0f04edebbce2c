// kmp export: levels as Tiled maps, with their tilesets beside them.
#include "Commands.h"

#include "RegularFile.h"
#include "GameCatalogue.h"
#include "Invocation.h"
#include "MapImage.h"
#include "TiledExport.h"
#include "TiledJobs.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(The map is TMX for Tiled: orthogonal, 16 x 11 tiles of 40 pixels, with the
tile layers "Terrain", "Sprites 1", "Sprites 2" and "Sprites 3" stored as CSV.
Tile N of the terrain tileset is terrain code N, in the editor's colours; tile
N of the sprite tileset is sprite N as the editor draws it in a cell (the
top-left 40 x 40 of its picture), an empty slot light grey; sprite 0 is an
empty cell. Without --game every sprite is an empty slot.

OUT.tmx must end in .tmx; -o FILE takes any name. With --out-dir, each MAP
is written to DIR/NAME.tmx, NAME being the map's file name without its
extension.

The tilesets are written beside the map as kestrun-terrain-DIGEST.tsx and
kestrun-sprites-DIGEST.tsx (with their PNG pictures), DIGEST standing for what
they show: maps exported into one folder share them, and maps of different
games never share the wrong ones.

The header fields, the file's length (a short file stays short) and the bytes
after 726 (at most 1 MiB) are kept as map properties, so "kmp import" gives
back the same file.

Every file is written whole (a temporary file renamed over it) or not at all.
It never replaces a map, the game's files, or a file of another kind than
its own (--force replaces anything but the command's own inputs).
Exit status: 0 done, 2 an error, 64 a wrong command line.
)"_s;

enum class ReadLevelStatus { Read, Refused };
struct LevelRead : FileResult<ReadLevelStatus> {
    tiled::LevelFile level;
};

LevelRead readLevel(const QString &path)
{
    LevelRead result;
    result.status = ReadLevelStatus::Refused;
    const ReadResult file = readRegularFile(path, MapFileSize + tiled::MaxTailBytes);
    if (!file.ok()) {
        result.reason = file.reason;
        return result;
    }
    if (file.size > MapFileSize + tiled::MaxTailBytes) {
        result.reason =
            u"the bytes after 726 are %1; kmp exports at most 1 MiB (%2) of them"_s.arg(file.size - MapFileSize)
                .arg(tiled::MaxTailBytes);
        return result;
    }
    MapGrid grid;
    switch (decodeMap({reinterpret_cast<const std::uint8_t *>(file.bytes.constData()), std::size_t(file.bytes.size())},
                      grid)) {
    case MapReadStatus::Loaded: break;
    case MapReadStatus::NotValidMapFile: result.reason = u"Not valid map file"_s; return result;
    case MapReadStatus::WrongVersion: result.reason = u"Wrong version"_s; return result;
    case MapReadStatus::Unreadable: return result;
    }
    result.status = ReadLevelStatus::Read;
    result.level = tiled::levelOf(file.bytes);
    return result;
}

// A tileset's files in `folder`, unless they hold these bytes already (the
// name is a digest of the content, so another export left the same ones).
WriteResult writeTileset(const OutputRule &rule, bool force, const QString &folder, const tiled::Tileset &tileset)
{
    const EncodeResult png = encodePng(tileset.picture);
    if (!png.ok())
        return {WriteStatus::Failed, png.reason};
    const std::tuple<QString, QByteArray, FileKind> files[] = {{tileset.pngFile, png.png, FileKind::Picture},
                                                               {tileset.tsxFile, tileset.tsx, FileKind::Other}};
    for (const auto &[name, bytes, kind] : files) {
        const QString path = QDir(folder).filePath(name);
        if (readRegularFile(path, bytes.size() + 1).bytes == bytes)
            continue;
        if (const WriteResult written = writeConverted(rule, force, path, kind, bytes); !written.ok())
            return {WriteStatus::Failed, u"%1: %2"_s.arg(path, written.reason)};
    }
    return {};
}

} // namespace

int runExport(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"export"_s, u"Writes levels as Tiled maps (TMX) with their tilesets."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game(u"game"_s, u"The game folder whose sprites the sprite tileset shows."_s, u"DIR"_s);
    const QCommandLineOption output = outputOption();
    const QCommandLineOption outDir = outDirOption(u"tmx"_s);
    const QCommandLineOption force = forceOption(u"Replace a file of another kind (never an input)."_s);
    parser.addOptions({game, output, outDir, force});
    parser.addPositionalArgument(u"MAP"_s, u"The map file."_s);
    parser.addPositionalArgument(u"OUT.tmx"_s, u"The Tiled map to write (without -o or --out-dir)."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const auto planned = plannedConversions(invocation, output, outDir, u"tmx"_s, io);
    if (!planned)
        return ExitUsage;
    const std::vector<Conversion> &conversions = *planned;

    auto catalogue = std::make_unique<GameCatalogue>();
    if (parser.isSet(game)) {
        const QString folder = chooseGameFolder(parser.value(game), true);
        catalogue = loadGameCatalogue(folder);
        if (const QString reason = unusableReason(folder, catalogue.get()); !reason.isEmpty())
            return reportFailure(io, invocation.command(), reason);
        if (!catalogue->load.ok()) {
            io.err << "kmp export: warning: " << io.shown(catalogue->cataloguePath)
                   << ": the editor stops reading it after " << catalogue->load.listEntries.size() << " pictures ("
                   << io.shown(catalogue->load.reason) << "); later sprites are empty slots, as in the editor"
                   << Qt::endl;
        }
    }
    // Nothing replaces a map or the game's files that the export reads.
    std::optional<OutputRule> startingRule = conversionRule(parser, outDir, conversions, invocation, io);
    if (!startingRule)
        return ExitFailure;
    OutputRule &rule = *startingRule;
    if (!catalogue->folder.isEmpty())
        rule.addInput(catalogue->cataloguePath);
    rule.addInputs(catalogue->picturePaths);
    const tiled::Tileset terrain = tiled::terrainTileset();
    const tiled::Tileset sprites = tiled::spriteTileset(catalogue->sprites);

    int status = ExitOk;
    QSet<QString> foldersWithTilesets;
    for (const Conversion &conversion : conversions) {
        const LevelRead read = readLevel(conversion.input);
        if (!read.ok()) {
            status = reportFailure(io, invocation.command(), conversion.input, read.reason);
            continue;
        }
        const QString folder = QFileInfo(conversion.output).absolutePath();
        if (!foldersWithTilesets.contains(folder)) {
            for (const tiled::Tileset *tileset : {&terrain, &sprites}) {
                if (const WriteResult written = writeTileset(rule, parser.isSet(force), folder, *tileset);
                    !written.ok())
                    return reportFailure(io, invocation.command(), written.reason);
            }
            foldersWithTilesets.insert(folder);
        }
        const QByteArray tmx = tiled::exportTmx(read.level, terrain.tsxFile, sprites.tsxFile);
        if (const WriteResult written =
                writeConverted(rule, parser.isSet(force), conversion.output, FileKind::Other, tmx);
            !written.ok())
            status = reportFailure(io, invocation.command(), conversion.output, written.reason);
    }
    return status;
}

} // namespace kestrun::kmp
