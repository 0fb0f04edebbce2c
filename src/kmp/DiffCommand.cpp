// kmp diff: the cells (and header fields) in which two map files differ.
#include "Commands.h"

#include "Invocation.h"
#include "MapSource.h"
#include "MapText.h"
#include "MapFile.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

QString layerValue(int layer, std::uint8_t value)
{
    if (layer == 0)
        return terrainLabel(value);
    return value == 0 ? u"empty"_s : u"sprite %1"_s.arg(value);
}

void diffHeaders(const MapHeader &a, const MapHeader &b, QStringList &lines)
{
    const auto field = [&lines](const char *name, const QString &before, const QString &after) {
        if (before != after)
            lines << u"%1: %2 -> %3"_s.arg(QLatin1String(name), before, after);
    };
    field("signature", signatureText(a.Signature), signatureText(b.Signature));
    field("version", QString::number(a.Version), QString::number(b.Version));
    field("MaxX", QString::number(a.MaxX), QString::number(b.MaxX));
    field("MaxY", QString::number(a.MaxY), QString::number(b.MaxY));
    field("reserved", spacedHex(a.Reserved), spacedHex(b.Reserved));
}

void diffCells(const QByteArray &a, const QByteArray &b, QStringList &lines)
{
    MapGrid before, after;
    before.assignBytes(asByteSpan(a).subspan(MapHeaderSize));
    after.assignBytes(asByteSpan(b).subspan(MapHeaderSize));
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            for (int layer = 0; layer <= 3; ++layer) {
                const std::uint8_t old = before.layerByte(x, y, Layer(layer));
                const std::uint8_t now = after.layerByte(x, y, Layer(layer));
                if (old == now)
                    continue;
                const QString where = layer == 0 ? u"terrain"_s : u"layer %1"_s.arg(layer);
                lines << u"cell (%1, %2) %3: %4 -> %5"_s.arg(x).arg(y).arg(where, layerValue(layer, old),
                                                                           layerValue(layer, now));
            }
        }
    }
}

void diffTails(const QByteArray &a, const QByteArray &b, QStringList &lines)
{
    const QByteArray before = a.mid(MapFileSize);
    const QByteArray after = b.mid(MapFileSize);
    if (before == after)
        return;
    qsizetype first = 0;
    while (first < before.size() && first < after.size() && before[first] == after[first])
        ++first;
    lines << u"bytes past %1: %2 -> %3 bytes, the first difference at offset %4"_s.arg(MapFileSize)
                 .arg(before.size())
                 .arg(after.size())
                 .arg(MapFileSize + first);
}

} // namespace

int runDiff(const QStringList &arguments, Console &io)
{
    Invocation invocation(
        u"diff"_s, u"Lists the cells in which two map files differ, with their layer,\nold and new values."_s,
        u"Each line is one difference: \"cell (X, Y) LAYER: OLD -> NEW\" for the cells\n"
        u"(LAYER is \"terrain\" or \"layer 1\" to \"layer 3\"), then lines for the size, the\n"
        u"header fields and the bytes past 726 when those differ. A short file reads as\n"
        u"zeros where it ends.\n\n"
        u"Exit status: 0 the files are the same, 1 they differ, 2 an error, 64 a wrong\ncommand line.\n"_s);
    QCommandLineParser &parser = invocation.parser();
    parser.addPositionalArgument(u"A.kmp"_s, u"The old map file."_s);
    parser.addPositionalArgument(u"B.kmp"_s, u"The new map file."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 2)
        return invocation.usageError(io, u"give two map files"_s);

    ReadResult files[2];
    for (int i = 0; i < 2; ++i) {
        files[i] = readWholeFile(paths[i]);
        if (!files[i].ok())
            return reportFailure(io, invocation.command(), paths[i], files[i].reason);
    }
    const QByteArray &a = files[0].bytes;
    const QByteArray &b = files[1].bytes;
    if (a == b)
        return ExitOk;

    QStringList lines;
    if (a.size() != b.size())
        lines << u"size: %1 -> %2 bytes"_s.arg(a.size()).arg(b.size());
    const QByteArray imageA = mapImageOf(a);
    const QByteArray imageB = mapImageOf(b);
    diffHeaders(decodeMapHeader(asByteSpan(imageA)), decodeMapHeader(asByteSpan(imageB)), lines);
    diffCells(imageA, imageB, lines);
    diffTails(a, b, lines);
    for (const QString &line : lines)
        io.out << line << '\n';
    io.out.flush();
    return ExitDiffer;
}

} // namespace kestrun::kmp
