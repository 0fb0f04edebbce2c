#include "catalogue/LimitedDevice.h"

#include <algorithm>

namespace kestrun {

LimitedDevice::LimitedDevice(QIODevice &source, qint64 limit) : m_source(source), m_limit(limit)
{
    open(QIODevice::ReadOnly);
}

bool LimitedDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_source.seek(pos);
}

qint64 LimitedDevice::readData(char *data, qint64 maxSize)
{
    const qint64 allowed = std::min(maxSize, m_limit - m_taken);
    if (allowed <= 0) {
        // Only a source with more to give has been cut short.
        char probe = 0;
        m_overran = maxSize > 0 && m_source.peek(&probe, 1) == 1;
        return m_overran ? -1 : 0;
    }
    const qint64 read = m_source.read(data, allowed);
    if (read > 0)
        m_taken += read;
    return read;
}

} // namespace kestrun
