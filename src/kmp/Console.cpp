#include "Console.h"

#include "CommandLineNames.h"

namespace kestrun::kmp {

QString Console::shown(const QString &text) const
{
    return names ? names->shown(text) : text;
}

int reportFailure(Console &io, const QString &command, const QString &file, const QString &reason)
{
    return reportFailure(io, command, file + QLatin1String(": ") + reason);
}

int reportFailure(Console &io, const QString &command, const QString &message)
{
    io.err << "kmp " << command << ": " << io.shown(message) << Qt::endl;
    return ExitFailure;
}

} // namespace kestrun::kmp
