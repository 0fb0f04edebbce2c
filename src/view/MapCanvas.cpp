#include "view/MapCanvas.h"

#include "view/AccessibleRole.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace kestrun {

MapCanvas::MapCanvas(QWidget *parent)
    : QWidget(parent)
    , m_image(MapRenderer::CanvasWidth, MapRenderer::CanvasHeight, QImage::Format_RGB32)
    , m_renderer(&m_image)
{
    // Everything on screen comes from the retained image: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image.fill(palette().color(QPalette::Base));
    setFixedSize(m_image.size());
    setMouseTracking(true);
    // The role first: naming the widget already asks for its accessible interface.
    setAccessibleRole(staticMetaObject.className(), QAccessible::Canvas);
    setAccessibleName(QStringLiteral("Карта уровня"));
}

void MapCanvas::setCanvasSize(int width, int height)
{
    if (width == m_image.width() && height == m_image.height())
        return;
    QImage resized(width, height, QImage::Format_RGB32);
    resized.fill(palette().color(QPalette::Base));
    QPainter(&resized).drawImage(0, 0, m_image);
    m_image = resized;
    setFixedSize(width, height);
    update();
}

void MapCanvas::showArea(const QRect &area)
{
    update(area);
}

void MapCanvas::showAll()
{
    update();
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

void MapCanvas::setFrameSize(int width, int height)
{
    updateFrameArea();
    m_frame.width = width;
    m_frame.height = height;
    updateFrameArea();
}

void MapCanvas::setFrameColor(const QColor &colour)
{
    if (colour == m_frame.borderColor)
        return;
    m_frame.borderColor = colour;
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
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
         | (buttons & Qt::MiddleButton ? 4 : 0);
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
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
                   float(p.x()), float(p.y()));
}

void MapCanvas::mouseMoveEvent(QMouseEvent *event)
{
    // While a button is held Qt keeps the pointer grabbed by this widget, so
    // moves outside the canvas arrive here too, with positions off the canvas.
    const QPointF p = event->position();
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()),
                   float(p.x()), float(p.y()));
}

void MapCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()),
                 float(p.x()), float(p.y()));
}

} // namespace kestrun
