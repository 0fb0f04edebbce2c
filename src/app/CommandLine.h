#pragma once

#include "NativeFileName.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace kestrun {

// What the command line asks for before any window is made: the editor, or
// only its help or version text. Parsed from the arguments as the system
// gave them (without the program), before the application object exists, so
// that the texts need no display.
enum class StartRequest { Editor, Help, Version };

// QCommandLineParser's conventions: -h, -? and --help (--help-all too) ask
// for the help, -v and --version for the version; an option a single dash
// introduces is one word ("-reverse" is not -r -e -v ...), and "--" ends the
// options. Any other option is Qt's own (-platform, -style) and left to it.
StartRequest startRequest(const QByteArrayList &arguments);
// The texts written to the standard output for Help and Version.
QString helpText();
QString versionText();

// The arguments that name the map: the command line without the "--" that
// ends the options, so that "-- --help" opens the map named "--help".
QByteArrayList mapArguments(QByteArrayList arguments);

// The map path of the command line's first argument, as the bytes the system
// gave (opened through NativeFileName). The shell has already removed the
// quotes a Windows-style caller put around a path; enclosing double quotes
// are removed only when both are there.
QByteArray mapPathFromArgument(const QByteArray &argument);

} // namespace kestrun
