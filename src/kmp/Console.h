#pragma once

#include <QJsonDocument>
#include <QString>
#include <QTextStream>

namespace kestrun::kmp {

// Exit statuses. check: 0 clean, 1 warnings only, 2 any error; diff: 0 the
// same, 1 different, 2 an error; every other subcommand: 0 done, 2 an error.
// A wrong command line is 64 everywhere (EX_USAGE of sysexits.h).
inline constexpr int ExitOk = 0;
inline constexpr int ExitWarnings = 1;
inline constexpr int ExitDiffer = 1;
inline constexpr int ExitFailure = 2;
inline constexpr int ExitUsage = 64;

class CommandLineNames;

// Where a subcommand writes: its results to `out`, its complaints to `err`;
// file names as the command line typed them (see CommandLineNames).
struct Console {
    QTextStream &out;
    QTextStream &err;
    const CommandLineNames *names = nullptr;
    // Whether the error stream is a terminal a person watches: progress
    // counts are shown there unless asked otherwise.
    bool errIsTerminal = false;

    // A path, or a message naming one, as the user typed the names in it.
    QString shown(const QString &text) const;
};

// A --json report on the output stream, indented, in UTF-8.
void writeJson(Console &io, const QJsonDocument &report);

// "kmp COMMAND: FILE: REASON" on the error stream, the names shown as typed;
// returns ExitFailure.
int reportFailure(Console &io, const QString &command, const QString &file, const QString &reason);
// "kmp COMMAND: MESSAGE" on the error stream; returns ExitFailure.
int reportFailure(Console &io, const QString &command, const QString &message);

} // namespace kestrun::kmp
