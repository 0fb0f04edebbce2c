#include "catalogue/SpriteTable.h"

#include <QPainter>

namespace kestrun {
namespace {

QImage blankTile()
{
    QImage tile(SpriteTable::TileSize, SpriteTable::TileSize, QImage::Format_RGB32);
    tile.fill(QColor(192, 192, 192));
    return tile;
}

} // namespace

SpriteTable::SpriteTable()
{
    // One shared light-grey block for every empty slot (implicitly shared).
    m_tiles.fill(blankTile());
}

void SpriteTable::setFileName(int index, const QString &fileName)
{
    m_slots[index & 0xFF].FileName = fileName;
}

void SpriteTable::setPicture(int index, const QImage &picture)
{
    m_slots[index & 0xFF].Picture = picture;
    QImage tile = blankTile();
    if (!picture.isNull()) {
        QPainter painter(&tile);
        painter.drawImage(0, 0, picture);
    }
    m_tiles[index & 0xFF] = tile;
}

int SpriteTable::findFileName(const QString &fileName) const
{
    for (int i = 0; i < SlotCount; ++i) {
        if (m_slots[i].FileName == fileName)
            return i;
    }
    return -1;
}

} // namespace kestrun
