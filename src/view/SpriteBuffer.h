#pragma once

#include <QFrame>
#include <QImage>

namespace kestrun {

// The sprite buffer and brush preview: a bordered light-grey box that shows
// one sprite's 40 x 40 block at a time.
class SpriteBuffer : public QFrame {
    Q_OBJECT
public:
    explicit SpriteBuffer(QWidget *parent = nullptr);

    // Shows `block` (a null image shows the background alone). Repaints only
    // when the picture changes.
    void setPicture(const QImage &block);
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

} // namespace kestrun
