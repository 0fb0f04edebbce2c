#pragma once

#include "MapFile.h"
#include "MapGrid.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <functional>

namespace kestrun::testing {

// What one run of kmp gave.
struct KmpRun {
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes; // the real program's standard output, byte for byte
};

// Runs kmp's subcommands in this process (no new program).
KmpRun runKmpHere(const QStringList &arguments);
// Runs the real kmp program, with no display and no Qt platform set, the
// settings under `configHome`, in `workingDirectory`, `input` on its stdin;
// `inChild` runs in the child before kmp starts (to set limits); `program`
// (such as a shell given kmp as $0) runs instead of kmp when given.
KmpRun runKmpProgram(const QStringList &arguments, const QString &workingDirectory, const QString &configHome,
                     const QByteArray &input = {}, const std::function<void()> &inChild = {},
                     const QString &program = {});
// The same with arguments given as the bytes the program gets, valid UTF-8
// or not.
KmpRun runKmpProgram(const QByteArrayList &arguments, const QString &workingDirectory, const QString &configHome,
                     const QByteArray &input = {});
QString kmpProgram();

// A level with every kind of content: the five terrains and the unnamed codes
// 0 and 3, sprites 1..4 on layer 1, sprite 7 across row 5 on layer 2, and
// sprite 200 on the diagonal of layer 3.
MapGrid showcaseGrid();

// A map file's bytes: the header (by default the one the editor writes), then the grid.
QByteArray mapFileBytes(const MapGrid &grid, const MapHeader &header = currentMapHeader());
// A new map as the editor saves it.
QByteArray newMapBytes();

// A game folder (with its trailing separator) whose tileset.dat lists slots
// first..last as sprite<N>.bmp, each a 40 x 40 picture of spriteColour(N),
// then `extraRecords` as written.
struct GameFolder {
    QTemporaryDir dir;
    QString folder;
    GameFolder(int first, int last, const QByteArray &extraRecords = {});
};

// The expected output of a golden test, from tests/kmp/golden.
QString golden(const QString &name);
// Compares `actual` with a golden file; with KESTRUN_UPDATE_GOLDEN set, writes it instead.
bool matchesGolden(const QString &name, const QString &actual);

} // namespace kestrun::testing
