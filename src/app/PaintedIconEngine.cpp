#include "PaintedIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace kestrun {
namespace {

// Greys an image for the disabled mode: luminance kept, softened, the
// transparency untouched.
QImage disabledImage(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return image;
}

} // namespace

PaintedIconEngine::PaintedIconEngine(Drawing drawing, int designSize, QList<QSize> sizes)
    : m_drawing(drawing)
    , m_designSize(designSize)
    , m_sizes(std::move(sizes))
{
}

void PaintedIconEngine::draw(QPainter &painter, const QRectF &rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / m_designSize, rect.height() / m_designSize);
    m_drawing(painter);
    painter.restore();
}

void PaintedIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    if (!m_drawing || rect.isEmpty())
        return;
    if (mode != QIcon::Disabled) {
        draw(*painter, rect);
        return;
    }
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap greyed = pixmap(rect.size() * ratio, mode, QIcon::Off);
    greyed.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, greyed);
}

QPixmap PaintedIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    if (!m_drawing || size.isEmpty())
        return QPixmap();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    if (mode == QIcon::Disabled)
        image = disabledImage(std::move(image));
    return QPixmap::fromImage(std::move(image));
}

QPixmap PaintedIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    // `size` is already in device pixels: draw at exactly that size.
    QPixmap result = pixmap(size, mode, state);
    result.setDevicePixelRatio(scale);
    return result;
}

QSize PaintedIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    return size; // a drawing fits any size
}

QList<QSize> PaintedIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return m_sizes;
}

QIconEngine *PaintedIconEngine::clone() const
{
    return new PaintedIconEngine(m_drawing, m_designSize, m_sizes);
}

QString PaintedIconEngine::key() const
{
    return QStringLiteral("kestrun.painted");
}

bool PaintedIconEngine::isNull()
{
    return m_drawing == nullptr;
}

} // namespace kestrun
