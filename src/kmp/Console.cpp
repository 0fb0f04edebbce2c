#include "Console.h"

#include "CommandLineNames.h"

namespace kestrun::kmp {

QString Console::shown(const QString &text) const
{
    return names ? names->shown(text) : text;
}

void writeJson(Console &io, const QJsonDocument &report)
{
    io.out << QString::fromUtf8(report.toJson(QJsonDocument::Indented));
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
