#pragma once

#include "map/MapFile.h"
#include "map/MapGrid.h"

#include <QRect>
#include <QString>

#include <cstdint>

namespace kestrun {

// What a press writes: the byte of one layer of one cell.
struct PaintStroke {
    int x = 0;
    int y = 0;
    Layer layer = Layer::Terrain;
    std::uint8_t value = 0;
};

// The level being edited: its grid and the name of the file Save writes it
// to. The grid changes only here: cleared when the window loads, filled by
// New, read from a file, painted one byte at a time. A paint answers with the
// cell it wrote, so the canvas redraws just that cell; the other changes
// touch the whole grid.
class MapDocument {
public:
    const MapGrid &cells() const { return m_cells; }

    // Every byte 0, as a freshly dimensioned grid.
    void clear();
    // The new-map defaults: every cell Ground with sprite 1 on layer 1.
    // Layers 2 and 3 keep what they hold; every caller clears first.
    void applyNewMapDefaults();
    // Writes the stroke's byte and answers with its cell, as a rectangle in
    // cell coordinates; an empty one for a cell outside the grid.
    QRect paint(const PaintStroke &stroke);
    // Reads a map file over the grid. Only a Loaded file changes it (every
    // cell); a rejected or unreadable one leaves it exactly as it was.
    MapReadResult read(const QString &path);

    // The file Save writes to; empty while the map has none.
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Writes the grid to fileName().
    MapWriteResult write() const;

private:
    MapGrid m_cells;
    QString m_fileName;
};

} // namespace kestrun
