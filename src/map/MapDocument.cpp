#include "map/MapDocument.h"

namespace kestrun {

void MapDocument::clear()
{
    m_cells.clear();
}

void MapDocument::applyNewMapDefaults()
{
    kestrun::applyNewMapDefaults(m_cells);
}

QRect MapDocument::paint(const PaintStroke &stroke)
{
    if (!m_cells.setLayerByte(stroke.x, stroke.y, stroke.layer, stroke.value))
        return {};
    return {stroke.x, stroke.y, 1, 1};
}

MapReadResult MapDocument::read(const QString &path)
{
    return readMapFile(path, m_cells);
}

MapWriteResult MapDocument::write() const
{
    return writeMapFile(m_fileName, m_cells);
}

} // namespace kestrun
