// kmp: the subcommands, the overall help and the version.
#include "Commands.h"

#include "Version.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

struct Subcommand {
    QString name;
    int (*run)(const QStringList &, Console &);
};

const Subcommand Subcommands[] = {
    {u"info"_s, runInfo},       {u"check"_s, runCheck}, {u"usage"_s, runUsage},     {u"render"_s, runRender},
    {u"gallery"_s, runGallery}, {u"dump"_s, runDump},   {u"undump"_s, runUndump},   {u"diff"_s, runDiff},
    {u"new"_s, runNew},         {u"set"_s, runSet},     {u"replace"_s, runReplace}, {u"export"_s, runExport},
    {u"import"_s, runImport},
};

// Each way to call kmp, and what it does.
const std::pair<QString, QString> Synopses[] = {
    {u"info [--json] MAP..."_s, u"header fields, terrain and sprites of maps"_s},
    {u"check [--game DIR] [--json] [--quiet] MAP..."_s, u"validates maps for a game"_s},
    {u"usage [--game DIR] [--json] MAP..."_s, u"where each sprite and terrain code is used"_s},
    {u"render [options] MAP OUT.png|-"_s, u"draws a map as the editor's canvas shows it"_s},
    {u"render [options] --out-dir DIR MAP..."_s, u"draws each map to DIR/NAME.png"_s},
    {u"gallery [--game DIR] --out-dir DIR MAP..."_s, u"a web page of levels with thumbnails"_s},
    {u"dump MAP"_s, u"a map as text, one line per row"_s},
    {u"undump [--force] TEXT OUT.kmp"_s, u"the map file a dump describes"_s},
    {u"diff A.kmp B.kmp"_s, u"the cells that differ"_s},
    {u"new [--force] OUT.kmp"_s, u"a new map, as the editor's File > New makes it"_s},
    {u"set [--game DIR] MAP X Y LAYER VALUE"_s, u"one layer of one cell, changed in place"_s},
    {u"replace --sprite|--terrain OLD=NEW... MAP..."_s, u"values swapped for others across maps"_s},
    {u"export [--game DIR] MAP OUT.tmx"_s, u"a map for Tiled, with its tilesets"_s},
    {u"import IN.tmx|IN.tmj -o OUT.kmp"_s, u"the map file a Tiled map describes"_s},
};

QString overallHelp()
{
    QString text = u"Usage: kmp COMMAND [options] [arguments]\n"
                   u"Checks, renders, dumps and compares Kestrun level files (.kmp) without a window.\n\n"
                   u"Commands:\n"_s;
    for (const auto &[synopsis, summary] : Synopses)
        text += u"  kmp %1 %2\n"_s.arg(synopsis, -38).arg(summary);
    text += u"\nOptions:\n"
            u"  -h, --help   Show this help; \"kmp COMMAND --help\" shows a command's own.\n"
            u"  --version    Show the version.\n"
            u"check, usage, render, gallery and replace handle -j N maps at once (one per\n"
            u"core by default) and show their progress on a terminal (--progress,\n"
            u"--no-progress).\n\n"
            u"Exit status: 0 done; check: 1 warnings only; diff: 1 the maps differ;\n"
            u"2 an error; 64 a wrong command line.\n"_s;
    return text;
}

const Subcommand *findSubcommand(const QString &name)
{
    for (const Subcommand &command : Subcommands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

int usage(Console &io, const QString &message)
{
    io.err << "kmp: " << message << Qt::endl << "Try 'kmp --help'." << Qt::endl;
    return ExitUsage;
}

} // namespace

int runKmp(const QStringList &arguments, Console &io)
{
    if (arguments.isEmpty())
        return usage(io, u"no command given"_s);
    const QString &first = arguments.constFirst();
    if (first == u"--version"_s) {
        io.out << "kmp " << VersionString << Qt::endl;
        return ExitOk;
    }
    if (first == u"--help"_s || first == u"-h"_s || first == u"help"_s) {
        if (arguments.size() > 1) {
            if (const Subcommand *command = findSubcommand(arguments.at(1)))
                return command->run({u"--help"_s}, io);
            return usage(io, u"no command named \"%1\""_s.arg(arguments.at(1)));
        }
        io.out << overallHelp();
        io.out.flush();
        return ExitOk;
    }
    if (const Subcommand *command = findSubcommand(first))
        return command->run(arguments.mid(1), io);
    return usage(
        io, first.startsWith(u'-') ? u"unknown option \"%1\""_s.arg(first) : u"no command named \"%1\""_s.arg(first));
}

} // namespace kestrun::kmp
