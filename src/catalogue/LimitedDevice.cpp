#include "LimitedDevice.h"

#include <algorithm>

namespace kestrun {

LimitedDevice::LimitedDevice(QIODevice &source, qint64 limit)
    : m_source(source)
    , m_limit(limit)
{
    open(QIODevice::ReadOnly);
}

bool LimitedDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_source.seek(pos);
}

qint64 LimitedDevice::readData(char *data, qint64 maxSize)
{
    // The limit is a place in the source: bytes read again after a seek
    // back (a decoder looking twice at a header) are not counted again.
    const qint64 allowed = std::min(maxSize, m_limit - m_source.pos());
    if (allowed <= 0) {
        // Only a source with more to give has been cut short.
        char probe = 0;
        m_overran = maxSize > 0 && m_source.peek(&probe, 1) == 1;
        return m_overran ? -1 : 0;
    }
    const qint64 read = m_source.read(data, allowed);
    m_taken = std::max(m_taken, m_source.pos());
    return read;
}

} // namespace kestrun
