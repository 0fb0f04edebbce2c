#pragma once

#include "io/WholeFileWrite.h"
#include "kmp/Console.h"

#include <QByteArrayView>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <vector>

namespace kestrun::kmp {

// -o FILE and --out-dir DIR, shared by export and import.
QCommandLineOption outputOption(const QString &valueName);
QCommandLineOption outDirOption(const QString &extension);

// One file converted into another.
struct Conversion {
    QString input;
    QString output;
};

// IN OUT, IN -o OUT, or --out-dir DIR IN... (each IN to DIR/NAME.EXTENSION,
// NAME being its file name without the extension); a problem with the
// command line otherwise.
std::vector<Conversion> plannedConversions(const QCommandLineParser &parser, const QCommandLineOption &output,
                                           const QCommandLineOption &outDir, const QString &extension,
                                           const Console &io, QString &problem);

// Every file export and import make goes through here: whole or not at all,
// and never over the file being converted.
WriteResult writeConverted(const Conversion &conversion, const QString &path, QByteArrayView bytes);

} // namespace kestrun::kmp
