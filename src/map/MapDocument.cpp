#include "MapDocument.h"

namespace kestrun {

void MapDocument::clear()
{
    m_cells.clear();
    emit gridChanged(GridChange::Cleared);
}

void MapDocument::applyNewMapDefaults()
{
    kestrun::applyNewMapDefaults(m_cells);
    emit gridChanged(GridChange::NewMapDefaults);
}

QRect MapDocument::paint(const PaintStroke &stroke)
{
    if (!m_cells.setLayerByte(stroke.x, stroke.y, stroke.layer, stroke.value))
        return {};
    const QRect cell(stroke.x, stroke.y, 1, 1);
    emit cellsChanged(cell, stroke.layer);
    return cell;
}

MapReadResult MapDocument::read(const QString &path)
{
    const MapReadResult result = readMapFile(path, m_cells);
    if (result.status == MapReadStatus::Loaded)
        emit gridChanged(GridChange::Read);
    return result;
}

MapWriteResult MapDocument::write() const
{
    return writeMapFile(m_fileName, m_cells);
}

} // namespace kestrun
