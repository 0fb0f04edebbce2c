#include "app/CommandLine.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace kestrun {

QByteArray mapPathFromArgument(const QByteArray &argument)
{
    if (argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"'))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

NativeFileName::NativeFileName(const QByteArray &bytes)
    : m_openName(QFile::decodeName(bytes))
    , m_shownName(m_openName)
{
    if (QFile::encodeName(m_openName) == bytes)
        return; // Qt names this file as it is
    m_descriptor = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
    if (m_descriptor >= 0)
        m_openName = QStringLiteral("/proc/self/fd/%1").arg(m_descriptor);
}

NativeFileName::~NativeFileName()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

} // namespace kestrun
