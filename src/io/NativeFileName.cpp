#include "NativeFileName.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kestrun {

NativeFileName::NativeFileName(const QByteArray &bytes)
    : m_openName(QFile::decodeName(bytes))
    , m_shownName(m_openName)
{
    if (QFile::encodeName(m_openName) == bytes)
        return; // Qt names this file as it is
#ifdef Q_OS_LINUX
    m_descriptor = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
    m_exact = m_descriptor >= 0;
    if (m_exact)
        m_openName = QStringLiteral("/proc/self/fd/%1").arg(m_descriptor);
#else
    m_exact = false; // no way to open by bytes here
#endif
}

NativeFileName::~NativeFileName()
{
#ifdef Q_OS_LINUX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
}

} // namespace kestrun
