#pragma once

#include "io/WholeFileWrite.h"
#include "kmp/Console.h"
#include "kmp/OutputRule.h"

#include <QByteArrayView>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <vector>

namespace kestrun::kmp {

// --out-dir DIR, shared by export and import.
QCommandLineOption outDirOption(const QString &extension);

// One file converted into another.
struct Conversion {
    QString input;
    QString output;
};

// IN OUT (OUT ending in .EXTENSION), IN -o OUT (any name), or --out-dir DIR
// IN... (each IN to DIR/NAME.EXTENSION, NAME being its file name without the
// extension); a problem with the command line otherwise.
std::vector<Conversion> plannedConversions(const QCommandLineParser &parser, const QCommandLineOption &output,
                                           const QCommandLineOption &outDir, const QString &extension,
                                           const Console &io, QString &problem);

// Every file export and import make goes through here: refused by the
// output rule, or written whole (or not at all); a map under the editor's
// save rules.
WriteResult writeConverted(const OutputRule &rule, bool force, const QString &path, FileKind kind,
                           QByteArrayView bytes);

} // namespace kestrun::kmp
