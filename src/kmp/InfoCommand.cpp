// kmp info: what a map file holds, field by field, with the terrain and the
// sprites each layer uses.
#include "Commands.h"

#include "Invocation.h"
#include "MapSource.h"
#include "MapText.h"
#include "MapFile.h"
#include "Terrain.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

using Histogram = std::array<int, 256>;

struct MapInfo {
    QString file;
    qint64 size = 0;
    MapHeader header;
    MapReadStatus status = MapReadStatus::Unreadable;
    std::array<Histogram, 4> layers{}; // [0] terrain codes, [1..3] sprite indices
};

MapInfo describe(const QString &path, const ReadResult &file)
{
    MapInfo info;
    info.file = path;
    info.size = file.size;
    info.header = decodeMapHeader(asByteSpan(file.bytes));
    MapGrid grid;
    info.status = decodeMap(asByteSpan(file.bytes), grid);
    if (info.status != MapReadStatus::Loaded)
        return info;
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            for (int layer = 0; layer < 4; ++layer)
                ++info.layers[layer][grid.layerByte(x, y, Layer(layer))];
        }
    }
    return info;
}

QString editorVerdict(MapReadStatus status)
{
    switch (status) {
    case MapReadStatus::Loaded: return u"loads it"_s;
    case MapReadStatus::NotValidMapFile: return u"refuses it: Not valid map file"_s;
    case MapReadStatus::WrongVersion: return u"refuses it: Wrong version"_s;
    case MapReadStatus::Unreadable: break;
    }
    return u"cannot read it"_s;
}

QString cells(int count)
{
    return count == 1 ? u"1 cell"_s : u"%1 cells"_s.arg(count);
}

QString terrainLine(const Histogram &codes)
{
    QStringList parts;
    for (int code = 0; code < 256; ++code) {
        if (codes[code] > 0)
            parts << u"%1 in %2"_s.arg(terrainLabel(std::uint8_t(code)), cells(codes[code]));
    }
    return parts.join(u", "_s);
}

QString spriteLine(const Histogram &indices)
{
    QStringList parts;
    for (int index = 1; index < 256; ++index) {
        if (indices[index] > 0)
            parts << u"sprite %1 in %2"_s.arg(index).arg(cells(indices[index]));
    }
    return parts.isEmpty() ? u"empty"_s : parts.join(u", "_s);
}

void writeText(const MapInfo &info, Console &io)
{
    io.out << "file: " << info.file << '\n'
           << "size: " << info.size << " bytes\n"
           << "signature: " << signatureText(info.header.Signature) << '\n'
           << "version: " << info.header.Version << '\n'
           << "MaxX: " << info.header.MaxX << '\n'
           << "MaxY: " << info.header.MaxY << '\n'
           << "reserved: " << spacedHex(info.header.Reserved) << '\n'
           << "editor: " << editorVerdict(info.status) << '\n';
    if (info.status != MapReadStatus::Loaded)
        return;
    io.out << "terrain: " << terrainLine(info.layers[0]) << '\n';
    for (int layer = 1; layer <= 3; ++layer)
        io.out << "layer " << layer << ": " << spriteLine(info.layers[layer]) << '\n';
}

QJsonObject infoJson(const MapInfo &info)
{
    QJsonArray reserved;
    for (const std::uint8_t byte : info.header.Reserved)
        reserved.append(byte);
    QJsonObject object{{u"file"_s, info.file},
                       {u"size"_s, info.size},
                       {u"signature"_s, qint64(std::uint32_t(info.header.Signature))},
                       {u"version"_s, info.header.Version},
                       {u"maxX"_s, info.header.MaxX},
                       {u"maxY"_s, info.header.MaxY},
                       {u"reserved"_s, reserved},
                       {u"loads"_s, info.status == MapReadStatus::Loaded}};
    if (info.status != MapReadStatus::Loaded) {
        object.insert(u"refusal"_s,
                      info.status == MapReadStatus::WrongVersion ? u"Wrong version"_s : u"Not valid map file"_s);
        return object;
    }
    QJsonArray terrain;
    for (int code = 0; code < 256; ++code) {
        if (info.layers[0][code] > 0) {
            QJsonObject entry{{u"code"_s, code}, {u"cells"_s, info.layers[0][code]}};
            if (const QString name = TerrainName(std::uint8_t(code)); !name.isEmpty())
                entry.insert(u"name"_s, name);
            terrain.append(entry);
        }
    }
    QJsonArray layers;
    for (int layer = 1; layer <= 3; ++layer) {
        QJsonArray sprites;
        for (int index = 1; index < 256; ++index) {
            if (info.layers[layer][index] > 0)
                sprites.append(QJsonObject{{u"index"_s, index}, {u"cells"_s, info.layers[layer][index]}});
        }
        layers.append(QJsonObject{{u"layer"_s, layer}, {u"sprites"_s, sprites}, {u"empty"_s, info.layers[layer][0]}});
    }
    object.insert(u"terrain"_s, terrain);
    object.insert(u"layers"_s, layers);
    return object;
}

} // namespace

int runInfo(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"info"_s,
                          u"Shows what map files hold: the header fields, the size, the terrain\n"
                          u"and the sprites each layer uses, with their cell counts."_s,
                          u"Exit status: 0 done, 2 a file could not be read, 64 a wrong command line.\n"_s);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption json(u"json"_s, u"Write a JSON array, one object per map."_s);
    parser.addOption(json);
    parser.addPositionalArgument(u"MAP"_s, u"The map files to describe; - reads one from the standard input."_s,
                                 u"MAP..."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        return invocation.usageError(io, u"no map to describe"_s);
    if (paths.count(StandardStream) > 1)
        return invocation.usageError(io, StandardInputTwice);

    int status = ExitOk;
    QJsonArray all;
    bool first = true;
    for (const QString &path : paths) {
        const ReadResult file = readFileHead(path, MapFileSize);
        if (!file.ok()) {
            status = reportFailure(io, invocation.command(), path, file.reason);
            continue;
        }
        const MapInfo info = describe(io.shown(path), file);
        if (parser.isSet(json)) {
            all.append(infoJson(info));
            continue;
        }
        if (!first)
            io.out << '\n';
        first = false;
        writeText(info, io);
    }
    if (parser.isSet(json))
        writeJson(io, QJsonDocument(all));
    io.out.flush();
    return status;
}

} // namespace kestrun::kmp
