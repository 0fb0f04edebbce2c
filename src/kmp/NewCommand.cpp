// kmp new: a map with the editor's new-map defaults, saved as the editor saves.
#include "Commands.h"

#include "Invocation.h"
#include "OutputRule.h"
#include "MapFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

int runNew(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"new"_s,
                          u"Writes a new map as the editor's File > New makes it: every cell Ground\n"
                          u"with sprite 1 on layer 1, layers 2 and 3 empty."_s,
                          u"The file is saved as the editor saves: a temporary file renamed over the\n"
                          u"target, so a failure leaves nothing behind. An existing file is kept unless\n"
                          u"--force is given; replacing one keeps any bytes it held past 726, as the\n"
                          u"editor's Save does.\n\n"
                          u"Exit status: 0 done, 2 an error, 64 a wrong command line.\n"_s);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption force = forceOption(u"Replace OUT.kmp if it exists."_s);
    const QCommandLineOption output = outputOption();
    parser.addOptions({force, output});
    parser.addPositionalArgument(u"OUT.kmp"_s, u"The map file to write."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    QStringList positional = parser.positionalArguments();
    QString problem;
    const QString path = chosenOutput(parser, output, positional, 0, u"give one map file to write"_s, problem);
    if (!problem.isEmpty())
        return invocation.usageError(io, problem);
    if (!parser.isSet(force) && QFileInfo(path).exists())
        return reportFailure(io, invocation.command(), path, u"it exists already (give --force to replace it)"_s);
    MapGrid grid;
    applyNewMapDefaults(grid);
    if (const MapWriteResult written = writeMapFile(path, grid); !written.ok())
        return reportFailure(io, invocation.command(), path, written.reason);
    return ExitOk;
}

} // namespace kestrun::kmp
