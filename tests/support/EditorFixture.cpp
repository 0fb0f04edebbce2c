#include "support/EditorFixture.h"

#include "MapCanvas.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>

namespace kestrun::testing {

QRgb spriteColor(int index)
{
    // Odd red and blue channels keep clear of every terrain colour.
    return qRgb((index * 53) % 256 | 1, (index * 17 + 100) % 256, (index * 91 + 30) % 256 | 1);
}

void giveSprites(SpriteTable &sprites, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(spriteColor(i));
        sprites.setFileName(i, QStringLiteral("sprite%1.bmp").arg(i));
        sprites.setPicture(i, picture);
    }
}

void putCell(frmMain &window, int x, int y, const MapCell &cell)
{
    const std::uint8_t bytes[] = {cell.Terrain, cell.Sprite1, cell.Sprite2, cell.Sprite3};
    for (int layer = 0; layer < 4; ++layer)
        inside(window).document().paint({x, y, Layer(layer), bytes[layer]});
}

namespace {
QByteArrayList encodedNames(const QStringList &names)
{
    QByteArrayList bytes;
    for (const QString &name : names)
        bytes << QFile::encodeName(name);
    return bytes;
}
} // namespace

Editor::Editor(const QStringList &arguments, const QString &gameFolder)
    : Editor(encodedNames(arguments), gameFolder)
{
}

Editor::Editor(QByteArrayList arguments, const QString &gameFolder)
{
    platform.inputAnswers.push_back(gameFolder);
    window = std::make_unique<frmMain>(platform, std::move(arguments));
    window->Form_Load();
}

QRgb Editor::pixel(int x, int y) const
{
    return inside(*window).picMap->image().pixel(x, y);
}

QImage Editor::onScreen(const QWidget *widget) const
{
    QCoreApplication::processEvents();
    const QPoint place = widget->mapTo(window.get(), QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), place.x(), place.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

void Editor::mouse(QEvent::Type type, QPointF position, Qt::MouseButton button, Qt::MouseButtons held) const
{
    MapCanvas *canvas = inside(*window).picMap;
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
