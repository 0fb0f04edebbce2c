#pragma once

#include "MapRenderer.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

namespace kestrun {

// The cursor frame that lies on the canvas: a rectangle outline, one pixel
// wide, in its border colour.
struct CursorFrame {
    int left = 0;
    int top = 0;
    int width = CellSize;
    int height = CellSize;
    QColor borderColor = QColor(0, 0, 255);

    QRect rect() const { return {left, top, width, height}; }
};

// The map canvas: a widget that shows a retained image, so what was drawn
// survives covering and repainting, and the cursor frame over it. Every
// drawing goes into the image through the core's MapRenderer and then puts
// just the drawn area on screen; a whole-map drawing reaches the screen once,
// finished.
// Mouse events are passed on as signals in the editor's terms: buttons as
// 1 left, 2 right, 4 middle (summed while moving), shift keys as 1 Shift,
// 2 Ctrl, 4 Alt, and the position in canvas pixels.
class MapCanvas : public QWidget {
    Q_OBJECT
public:
    explicit MapCanvas(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }

    void drawTerrain(int x, int y, std::uint8_t code);
    void drawBlock(int x, int y, const QImage &block);
    // Both return the index of the last sprite drawn, 0 when none was.
    std::uint8_t drawMap(const MapGrid &grid, const SpriteTable &sprites, int topLayer);
    std::uint8_t drawSpriteLayer(const MapGrid &grid, const SpriteTable &sprites, Layer layer);

    const CursorFrame &cursorFrame() const { return m_frame; }
    void moveFrame(int left, int top);
    // Puts the frame around cell (cx, cy): one pixel above and left of it,
    // so its one-pixel border surrounds the cell.
    void moveFrameToCell(int cx, int cy) { moveFrame(cx * CellSize - 1, cy * CellSize - 1); }
    // Moves the frame's left edge to 50, keeping its top: where a full
    // redraw or a new map leaves it until the pointer next moves. It then
    // stands over no particular cell; that is the editor's long-standing look.
    void parkFrame() { moveFrame(ParkedFrameLeft, m_frame.top); }
    static constexpr int ParkedFrameLeft = 50;
    void setFrameColor(const QColor &color);

    static int buttonCode(Qt::MouseButtons buttons);
    static int shiftCode(Qt::KeyboardModifiers modifiers);

signals:
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateFrameArea();

    QImage m_image;
    MapRenderer m_renderer;
    CursorFrame m_frame;
};

} // namespace kestrun
