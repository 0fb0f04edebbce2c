#include "CommandLine.h"

#include "Version.h"

#include <QCommandLineParser>

namespace kestrun {

StartRequest startRequest(const QByteArrayList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QStringList words{QStringLiteral("kestrun-editor")};
    for (const QByteArray &argument : arguments)
        words << QString::fromLocal8Bit(argument);
    // False for an option the parser does not know: Qt's own options, which
    // QApplication takes out later. The known ones are recorded all the same.
    parser.parse(words);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return StartRequest::Help;
    if (parser.isSet(version))
        return StartRequest::Version;
    return StartRequest::Editor;
}

QString helpText()
{
    return QStringLiteral("Usage: kestrun-editor [options] [--] [map.kmp]\n"
                          "Level editor for the Kestrun game (the window is titled Kestrunle).\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     Shows this help and exits.\n"
                          "  -v, --version  Shows the version and exits.\n"
                          "  --             Ends the options: a map named \"--help\" is opened\n"
                          "                 as \"kestrun-editor -- --help\" or \"kestrun-editor ./--help\".\n"
                          "Qt's standard options (such as -platform and -style) are accepted too.\n"
                          "\n"
                          "Arguments:\n"
                          "  map.kmp        The map to open at start-up; its first Save asks for a name.\n");
}

QString versionText()
{
    return QStringLiteral("kestrun-editor %1\n").arg(QString::fromLatin1(VersionString));
}

QByteArrayList mapArguments(QByteArrayList arguments)
{
    arguments.removeOne(QByteArrayLiteral("--"));
    return arguments;
}

QByteArray mapPathFromArgument(const QByteArray &argument)
{
    if (argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"'))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

} // namespace kestrun
