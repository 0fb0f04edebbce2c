#pragma once

#include <QIconEngine>
#include <QList>
#include <QSize>

class QPainter;

namespace kestrun {

// An icon drawn in code. The drawing paints in a square design space of
// `designSize` units; the engine scales it to whatever size is asked for, so
// the icon is as sharp at 32 device pixels as at 16. The disabled mode is the
// same drawing, greyed.
class PaintedIconEngine final : public QIconEngine {
public:
    using Drawing = void (*)(QPainter &painter);

    PaintedIconEngine(Drawing drawing, int designSize, QList<QSize> sizes);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    // The drawing into `rect` of `painter`, with antialiasing, unmodified.
    void draw(QPainter &painter, const QRectF &rect) const;

    Drawing m_drawing;
    int m_designSize;
    QList<QSize> m_sizes;
};

} // namespace kestrun
