#include "app/CommandLine.h"

namespace kestrun {

QByteArray mapPathFromArgument(const QByteArray &argument)
{
    if (argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"'))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

} // namespace kestrun
