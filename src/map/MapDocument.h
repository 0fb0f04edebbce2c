#pragma once

#include "MapFile.h"
#include "MapGrid.h"

#include <QObject>
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

// How the whole grid was replaced; each asks for its own drawing.
enum class GridChange {
    Cleared,        // every byte 0
    NewMapDefaults, // every cell Ground with sprite 1 on layer 1
    Read,           // a map file loaded over it
};

// The level being edited: its grid and the name of the file Save writes it
// to. The grid changes only here, and every change is announced: a paint as
// the cell it wrote (cellsChanged), a clear, the new-map defaults and a
// loaded file as the whole grid (gridChanged). Whoever shows the grid draws
// from these signals, not from the calls that caused them. There is no undo
// and no modified flag.
class MapDocument : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const MapGrid &cells() const { return m_cells; }

    // Every byte 0, as a freshly dimensioned grid.
    void clear();
    // The new-map defaults: every cell Ground with sprite 1 on layer 1.
    // Layers 2 and 3 keep what they hold; every caller clears first.
    void applyNewMapDefaults();
    // Writes the stroke's byte and answers with its cell, as a rectangle in
    // cell coordinates; an empty one, and no signal, for a cell outside the
    // grid. A byte written with the value it had is still announced: a press
    // draws its cell again.
    QRect paint(const PaintStroke &stroke);
    // Reads a map file over the grid. Only a Loaded file changes it (every
    // cell) and is announced; a rejected or unreadable one leaves it exactly
    // as it was and says nothing.
    MapReadResult read(const QString &path);

    // The file Save writes to; empty while the map has none.
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Writes the grid to fileName().
    MapWriteResult write() const;

signals:
    // `cells` (in cell coordinates) had `layer` written.
    void cellsChanged(const QRect &cells, kestrun::Layer layer);
    void gridChanged(kestrun::GridChange change);

private:
    MapGrid m_cells;
    QString m_fileName;
};

} // namespace kestrun
