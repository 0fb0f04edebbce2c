#pragma once

#include "Console.h"

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace kestrun::kmp {

// One subcommand's command line: its parser (the caller adds the options and
// positional arguments), --help, and what the help says after the options.
class Invocation {
public:
    Invocation(QString command, const QString &description, QString epilogue = {});

    QCommandLineParser &parser() { return m_parser; }
    const QString &command() const { return m_command; }

    // Parses the subcommand's arguments (without "kmp" and its name). Returns
    // the exit status when the command is finished already: ExitOk after
    // printing --help, ExitUsage after a usage error; nothing when it runs.
    std::optional<int> parse(const QStringList &arguments, Console &io);

    // Reports a wrong command line with a pointer to --help; returns ExitUsage.
    int usageError(Console &io, const QString &message) const;

    // "Usage: kmp COMMAND [options] ...", the options, then the epilogue.
    QString helpText() const;

private:
    QString m_command;
    QString m_epilogue;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
};

// A whole number written in decimal, within [low, high]; nothing otherwise.
std::optional<int> wholeNumber(const QString &text, int low, int high);

} // namespace kestrun::kmp
