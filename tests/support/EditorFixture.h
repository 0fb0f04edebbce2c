#pragma once

#include "frmMain.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowAccess.h"

#include <QEvent>
#include <QPointF>
#include <QRgb>

#include <memory>

namespace kestrun::testing {

// The colour the test sprites of slot `index` are filled with: distinct per
// slot and never one of the terrain colours.
QRgb spriteColor(int index);

// Gives slots first..last a solid 40 x 40 picture of spriteColour(index) and
// the file name "sprite<index>.bmp".
void giveSprites(SpriteTable &sprites, int first, int last);

// Puts `cell` into the grid through the map document, one paint stroke per
// byte; the window draws each byte's layer as a press would.
void putCell(frmMain &window, int x, int y, const MapCell &cell);

// An editor window loaded headless: the catalogue prompt is answered with
// `gameFolder` (by default empty, so no catalogue loads) unless the platform
// was given a stored folder, then Form_Load runs with `arguments` as the
// command line (as file names encoded the system's way, or as raw bytes).
struct Editor {
    explicit Editor(const QStringList &arguments = {}, const QString &gameFolder = {});
    explicit Editor(QByteArrayList arguments, const QString &gameFolder = {});
    ScriptedPlatform platform;
    std::unique_ptr<frmMain> window;

    QRgb pixel(int x, int y) const;
    // What the screen shows of a widget of the (shown) window once pending
    // repaints are done: the window's backing store, not a fresh rendering,
    // so an area that was never repainted still shows its old pixels.
    QImage onScreen(const QWidget *widget) const;
    // A synthetic mouse event on the canvas, at canvas coordinates.
    void mouse(QEvent::Type type, QPointF position, Qt::MouseButton button, Qt::MouseButtons held) const;
    void press(QPointF position, Qt::MouseButton button) const;
    void move(QPointF position, Qt::MouseButtons held) const;
    void release(QPointF position, Qt::MouseButton button) const;
};

} // namespace kestrun::testing
