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
    m_blank = blankTile();
    m_tiles.fill(m_blank);
}

void SpriteTable::setFileName(int index, const QString &fileName)
{
    m_slots[index & 0xFF].FileName = fileName;
}

void SpriteTable::setPicture(int index, const QImage &picture)
{
    m_slots[index & 0xFF].Picture = picture;
    m_tiles[index & 0xFF] = tileOf(picture);
}

QImage SpriteTable::tileOf(const QImage &picture) const
{
    if (picture.isNull())
        return m_blank;
    if (picture.width() >= TileSize && picture.height() >= TileSize && !picture.hasAlphaChannel()) {
        // An opaque picture covers the whole block: its top-left corner is
        // the block (shared, not copied, when it already is exactly that).
        const QImage corner = picture.size() == QSize(TileSize, TileSize)
            ? picture
            : picture.copy(0, 0, TileSize, TileSize);
        return corner.convertToFormat(QImage::Format_RGB32);
    }
    QImage tile = blankTile();
    QPainter painter(&tile);
    painter.drawImage(0, 0, picture);
    return tile;
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
