#include "SpriteTable.h"

#include <QPainter>

namespace kestrun {
namespace {

QImage blankBlock()
{
    QImage block(SpriteTable::BlockSize, SpriteTable::BlockSize, QImage::Format_RGB32);
    block.fill(QColor(192, 192, 192));
    return block;
}

} // namespace

SpriteTable::SpriteTable()
{
    // One shared light-grey block for every empty slot (implicitly shared).
    m_blank = blankBlock();
    m_blocks.fill(m_blank);
}

void SpriteTable::setFileName(std::uint8_t index, const QString &fileName)
{
    m_slots[index].FileName = fileName;
}

void SpriteTable::setPicture(std::uint8_t index, const QImage &picture)
{
    m_slots[index].Picture = picture;
    m_blocks[index] = blockOf(picture);
}

QImage SpriteTable::blockOf(const QImage &picture) const
{
    if (picture.isNull())
        return m_blank;
    if (picture.width() >= BlockSize && picture.height() >= BlockSize && !picture.hasAlphaChannel()) {
        // An opaque picture covers the whole block: its top-left corner is
        // the block (shared, not copied, when it already is exactly that).
        const QImage corner =
            picture.size() == QSize(BlockSize, BlockSize) ? picture : picture.copy(0, 0, BlockSize, BlockSize);
        return corner.convertToFormat(QImage::Format_RGB32);
    }
    QImage block = blankBlock();
    QPainter painter(&block);
    painter.drawImage(0, 0, picture);
    return block;
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
