// kmp import: Tiled maps of levels, as Tiled saved them, back into map files.
#include "Commands.h"

#include "Invocation.h"
#include "MapSource.h"
#include "TiledImport.h"
#include "TiledJobs.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(Reads what "kmp export" wrote, after Tiled edited it: TMX or Tiled's JSON
(.tmj, .json), layers stored as CSV, base64 (uncompressed, zlib, gzip or zstd)
or JSON lists, tilesets embedded or in their own files. The layers are found by
their names, the tilesets by name and tile count.

OUT.kmp must end in .kmp; -o FILE takes any name. With --out-dir, each IN is
written to DIR/NAME.kmp.

What has no meaning in a level is refused, naming the layer and the cell, and
nothing is written then: a map of another size, a missing layer, a tile of
another tileset, a flipped or rotated tile. An unedited map gives back the
same bytes "kmp export" read.

The map file is written whole (a temporary file renamed over it) or not at
all. It never replaces the Tiled map or its tilesets, nor a file that is not
a map (--force replaces anything but the command's own inputs).
Exit status: 0 done, 2 an error, 64 a wrong command line.
)"_s;

// A tileset file is small: 256 tiles and a picture's name.
constexpr qint64 MaxTilesetBytes = qint64(1) << 20;

} // namespace

int runImport(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"import"_s, u"Writes the map files that Tiled maps of levels describe."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption output = outputOption();
    const QCommandLineOption outDir = outDirOption(u"kmp"_s);
    const QCommandLineOption force = forceOption(u"Replace a file that is not a map (never an input)."_s);
    parser.addOptions({output, outDir, force});
    parser.addPositionalArgument(u"IN.tmx"_s, u"The Tiled map (.tmx, .tmj or .json)."_s);
    parser.addPositionalArgument(u"OUT.kmp"_s, u"The map file to write (without -o or --out-dir)."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const auto planned = plannedConversions(invocation, output, outDir, u"kmp"_s, io);
    if (!planned)
        return ExitUsage;
    const std::vector<Conversion> &conversions = *planned;
    std::optional<OutputRule> startingRule = conversionRule(parser, outDir, conversions, invocation, io);
    if (!startingRule)
        return ExitFailure;
    OutputRule &rule = *startingRule;
    int status = ExitOk;
    for (const Conversion &conversion : conversions) {
        const ReadResult document = readWholeFile(conversion.input);
        if (!document.ok()) {
            status = reportFailure(io, invocation.command(), conversion.input, document.reason);
            continue;
        }
        const QDir folder = QFileInfo(conversion.input).dir();
        const auto loadTileset = [&folder, &io, &rule](const QString &source) {
            rule.addInput(folder.filePath(source));
            const ReadResult file = readWholeFile(folder.filePath(source), MaxTilesetBytes);
            return tiled::TilesetSource{file.bytes, io.shown(file.reason)};
        };
        const tiled::ImportResult imported = tiled::importLevel(document.bytes, loadTileset);
        if (!imported.ok()) {
            status = reportFailure(io, invocation.command(), conversion.input, imported.reason);
            continue;
        }
        if (const WriteResult written =
                writeConverted(rule, parser.isSet(force), conversion.output, FileKind::Map, imported.file);
            !written.ok())
            status = reportFailure(io, invocation.command(), conversion.output, written.reason);
    }
    return status;
}

} // namespace kestrun::kmp
