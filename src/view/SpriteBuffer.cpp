#include "SpriteBuffer.h"

#include "AccessibleRole.h"

#include <QPainter>

namespace kestrun {

SpriteBuffer::SpriteBuffer(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    // The role first: naming the widget already asks for its accessible interface.
    setAccessibleRole(staticMetaObject.className(), QAccessible::Graphic);
    setAccessibleName(QStringLiteral("Текущий спрайт"));
}

void SpriteBuffer::setPicture(const QImage &block)
{
    if (block.cacheKey() == m_picture.cacheKey())
        return;
    m_picture = block;
    update();
}

void SpriteBuffer::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    painter.drawImage(inside.topLeft(), m_picture);
}

} // namespace kestrun
