#include "app/CommandLine.h"

namespace kestrun {

QString mapPathFromArgument(const QString &argument)
{
    if (argument.size() >= 2 && argument.startsWith(QLatin1Char('"')) && argument.endsWith(QLatin1Char('"')))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

} // namespace kestrun
