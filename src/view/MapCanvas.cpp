#include "MapCanvas.h"

#include "AccessibleRole.h"
#include "Editing.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace kestrun {

MapCanvas::MapCanvas(QWidget *parent)
    : QWidget(parent)
    , m_image(MapRenderer::blankCanvas(palette().color(QPalette::Base).rgb()))
{
    // Everything on screen comes from the retained image: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(m_image.size());
    setMouseTracking(true);
    // The role first: naming the widget already asks for its accessible interface.
    setAccessibleRole(staticMetaObject.className(), QAccessible::Canvas);
    setAccessibleName(QStringLiteral("Карта уровня"));
}

void MapCanvas::drawTerrain(int x, int y, std::uint8_t code)
{
    update(m_renderer.drawTerrain(m_image, x, y, code));
}

void MapCanvas::drawBlock(int x, int y, const QImage &block)
{
    update(MapRenderer::drawBlock(m_image, x, y, block));
}

std::uint8_t MapCanvas::drawMap(const MapGrid &grid, const SpriteTable &sprites, int topLayer)
{
    const std::uint8_t last = m_renderer.drawMap(m_image, grid, sprites, topLayer);
    update();
    return last;
}

std::uint8_t MapCanvas::drawSpriteLayer(const MapGrid &grid, const SpriteTable &sprites, Layer layer)
{
    const std::uint8_t last = MapRenderer::drawSpriteLayer(m_image, grid, sprites, layer);
    update();
    return last;
}

void MapCanvas::moveFrame(int left, int top)
{
    if (left == m_frame.left && top == m_frame.top)
        return;
    updateFrameArea();
    m_frame.left = left;
    m_frame.top = top;
    updateFrameArea();
}

void MapCanvas::setFrameColor(const QColor &color)
{
    if (color == m_frame.borderColor)
        return;
    m_frame.borderColor = color;
    updateFrameArea();
}

void MapCanvas::updateFrameArea()
{
    // Only the outline changes on screen: repaint its four edges, not the
    // square they enclose.
    const QRect r = m_frame.rect();
    update(QRect(r.left(), r.top(), r.width(), 1));
    update(QRect(r.left(), r.bottom(), r.width(), 1));
    update(QRect(r.left(), r.top(), 1, r.height()));
    update(QRect(r.right(), r.top(), 1, r.height()));
}

int MapCanvas::buttonCode(Qt::MouseButtons buttons)
{
    const auto code = [buttons](Qt::MouseButton qt, MouseButton ours) { return buttons & qt ? int(ours) : 0; };
    return code(Qt::LeftButton, MouseButton::Left) | code(Qt::RightButton, MouseButton::Right)
        | code(Qt::MiddleButton, MouseButton::Middle);
}

int MapCanvas::shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

void MapCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Copy each dirty rectangle on its own: a moved frame leaves thin edges
    // far apart, and their bounding box would copy the pixels between them.
    for (const QRect &area : event->region())
        painter.drawImage(area.topLeft(), m_image, area);
    const QRect frame = m_frame.rect();
    if (event->region().intersects(frame) && frame.width() > 0 && frame.height() > 0) {
        painter.setPen(QPen(m_frame.borderColor, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
    }
}

void MapCanvas::mousePressEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void MapCanvas::mouseMoveEvent(QMouseEvent *event)
{
    // While a button is held Qt keeps the pointer grabbed by this widget, so
    // moves outside the canvas arrive here too, with positions off the canvas.
    const QPointF p = event->position();
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void MapCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

} // namespace kestrun
