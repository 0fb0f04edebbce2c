#include "kmp/Console.h"

namespace kestrun::kmp {

int reportFailure(Console &io, const QString &command, const QString &file, const QString &reason)
{
    return reportFailure(io, command, file + QLatin1String(": ") + reason);
}

int reportFailure(Console &io, const QString &command, const QString &message)
{
    io.err << "kmp " << command << ": " << message << Qt::endl;
    return ExitFailure;
}

} // namespace kestrun::kmp
