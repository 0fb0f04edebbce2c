// kmp set: one byte of one cell of a map, changed in place.
#include "Commands.h"

#include "GameCatalogue.h"
#include "Invocation.h"
#include "MapEdit.h"
#include "MapFile.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Epilogue = uR"(LAYER 0 is the terrain (Ground 1, Beton 2, Brick 4, Ice 8, Water 16), 1 to 3
the sprite layers, where VALUE 0 erases the sprite. The map is saved as the
editor saves it, in place: its bytes past 726, its links, owner and
permissions are kept. A cell that holds VALUE already is left as it is.

Warnings (the value is written all the same): a terrain code the editor does
not draw, and with --game a sprite the game's catalogue does not list or
whose picture does not load.

Exit status: 0 done (warnings included), 2 an error, 64 a wrong command line.
)"_s;

// X, Y, LAYER and VALUE, each within its range; the usage error otherwise.
std::optional<std::array<int, 4>> cellArguments(const QStringList &positional, QString &problem)
{
    if (positional.size() != 5) {
        problem = u"give MAP X Y LAYER VALUE"_s;
        return std::nullopt;
    }
    struct Range {
        const char16_t *name;
        int high;
    };
    static constexpr Range Ranges[] = {{u"X", MapGrid::MaxX}, {u"Y", MapGrid::MaxY}, {u"LAYER", 3}, {u"VALUE", 255}};
    std::array<int, 4> values{};
    for (int i = 0; i < 4; ++i) {
        const auto value = wholeNumber(positional[i + 1], 0, Ranges[i].high);
        if (!value) {
            problem = u"%1 is \"%2\"; it takes 0 to %3"_s.arg(QStringView(Ranges[i].name), positional[i + 1])
                          .arg(Ranges[i].high);
            return std::nullopt;
        }
        values[size_t(i)] = *value;
    }
    return values;
}

} // namespace

int runSet(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"set"_s, u"Sets one layer of one cell of a map: its terrain or a sprite."_s, Epilogue);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption game(u"game"_s, u"The game folder whose catalogue the sprite is checked against."_s,
                                  u"DIR"_s);
    parser.addOption(game);
    parser.addPositionalArgument(u"MAP"_s, u"The map file, changed in place."_s);
    parser.addPositionalArgument(u"X Y"_s, u"The cell: X 0 to 15, Y 0 to 10."_s);
    parser.addPositionalArgument(u"LAYER"_s, u"0 the terrain, 1 to 3 a sprite layer."_s);
    parser.addPositionalArgument(u"VALUE"_s, u"0 to 255."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    QString problem;
    const auto cell = cellArguments(parser.positionalArguments(), problem);
    if (!cell)
        return invocation.usageError(io, problem);
    const auto [x, y, layer, value] = *cell;
    const QString path = parser.positionalArguments().constFirst();

    std::unique_ptr<GameCatalogue> catalogue;
    if (parser.isSet(game) && layer > 0) {
        const QString folder = chooseGameFolder(parser.value(game), true);
        catalogue = loadGameCatalogue(folder);
        if (const QString reason = unusableReason(folder, catalogue.get()); !reason.isEmpty())
            return reportFailure(io, invocation.command(), reason);
    }
    MapGrid grid;
    if (const auto refused = readMapToEdit(path, grid))
        return reportFailure(io, invocation.command(), path, *refused);
    if (const QString warning = valueWarning(layer, value, catalogue ? &catalogue->sprites : nullptr);
        !warning.isEmpty()) {
        io.err << "kmp set: warning: " << io.shown(path) << ": cell (" << x << ", " << y << ") layer " << layer << ": "
               << warning << Qt::endl;
    }
    if (grid.layerByte(x, y, Layer(layer)) == value)
        return ExitOk;
    grid.setLayerByte(x, y, Layer(layer), std::uint8_t(value));
    if (const MapWriteResult written = writeMapFile(path, grid); !written.ok())
        return reportFailure(io, invocation.command(), path, written.reason);
    return ExitOk;
}

} // namespace kestrun::kmp
