#include "io/NativeFileName.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace kestrun {

NativeFileName::NativeFileName(const QByteArray &bytes)
    : m_openName(QFile::decodeName(bytes))
    , m_shownName(m_openName)
{
    if (QFile::encodeName(m_openName) == bytes)
        return; // Qt names this file as it is
    m_descriptor = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
    m_exact = m_descriptor >= 0;
    if (m_exact)
        m_openName = QStringLiteral("/proc/self/fd/%1").arg(m_descriptor);
}

NativeFileName::~NativeFileName()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

} // namespace kestrun
