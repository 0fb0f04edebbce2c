#pragma once

#include "CellGeometry.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>

namespace kestrun {

// One slot of the sprite table: the file name as the catalogue wrote it
// (relative to the game folder) and the picture loaded from it.
struct SpriteEntry {
    QString FileName;
    QImage Picture;
};

// The 256 slots a map cell's sprite byte can name. Alongside each picture the
// table keeps the 40 x 40 block that a sprite copy puts into a cell: the
// picture's top-left 40 x 40 over light grey (192, 192, 192); a slot without a
// picture gives a block that is light grey throughout.
class SpriteTable {
public:
    static constexpr int SlotCount = 256;
    static constexpr int BlockSize = CellSize;

    SpriteTable();

    const SpriteEntry &operator[](std::uint8_t index) const { return m_slots[index]; }

    void setFileName(std::uint8_t index, const QString &fileName);
    // Replaces the slot's picture (releasing the previous one) and its block.
    void setPicture(std::uint8_t index, const QImage &picture);

    // The opaque 40 x 40 block (QImage::Format_RGB32) copied for this slot.
    const QImage &block(std::uint8_t index) const { return m_blocks[index]; }

    // The lowest slot whose FileName equals `fileName` exactly, or -1.
    int findFileName(const QString &fileName) const;

private:
    QImage blockOf(const QImage &picture) const;

    QImage m_blank;
    std::array<SpriteEntry, SlotCount> m_slots;
    std::array<QImage, SlotCount> m_blocks;
};

} // namespace kestrun
