#pragma once

#include "WholeFileWrite.h"
#include "Console.h"
#include "Invocation.h"
#include "OutputRule.h"

#include <QByteArrayView>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>
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
// extension); nothing, after the usage error, for a wrong command line.
std::optional<std::vector<Conversion>> plannedConversions(Invocation &invocation, const QCommandLineOption &output,
                                                          const QCommandLineOption &outDir, const QString &extension,
                                                          Console &io);

// --out-dir's folder made when it is given, and a rule that keeps every
// conversion's input from being replaced; nothing after saying the folder
// cannot be made.
std::optional<OutputRule> conversionRule(const QCommandLineParser &parser, const QCommandLineOption &outDir,
                                         const std::vector<Conversion> &conversions, const Invocation &invocation,
                                         Console &io);

// Every file export and import make goes through here: refused by the
// output rule, or written whole (or not at all); a map under the editor's
// save rules.
WriteResult writeConverted(const OutputRule &rule, bool force, const QString &path, FileKind kind,
                           QByteArrayView bytes);

} // namespace kestrun::kmp
