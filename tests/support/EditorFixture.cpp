#include "support/EditorFixture.h"

#include "view/MapCanvas.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace kestrun::testing {

QRgb spriteColour(int index)
{
    // Odd red and blue channels keep clear of every terrain colour.
    return qRgb((index * 53) % 256 | 1, (index * 17 + 100) % 256, (index * 91 + 30) % 256 | 1);
}

void giveSprites(SpriteTable &sprites, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(spriteColour(i));
        sprites.setFileName(i, QStringLiteral("sprite%1.bmp").arg(i));
        sprites.setPicture(i, picture);
    }
}

Editor::Editor(QStringList arguments, const QString &gameFolder)
{
    platform.inputAnswers.push_back(gameFolder);
    window = std::make_unique<frmMain>(platform, std::move(arguments));
    window->Form_Load();
}

QRgb Editor::pixel(int x, int y) const
{
    return window->picMap->image().pixel(x, y);
}

void Editor::mouse(QEvent::Type type, QPointF position, Qt::MouseButton button, Qt::MouseButtons held) const
{
    MapCanvas *canvas = window->picMap;
    QMouseEvent event(type, position, canvas->mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

void Editor::press(QPointF position, Qt::MouseButton button) const
{
    mouse(QEvent::MouseButtonPress, position, button, button);
}

void Editor::move(QPointF position, Qt::MouseButtons held) const
{
    mouse(QEvent::MouseMove, position, Qt::NoButton, held);
}

void Editor::release(QPointF position, Qt::MouseButton button) const
{
    mouse(QEvent::MouseButtonRelease, position, button, Qt::NoButton);
}

} // namespace kestrun::testing
