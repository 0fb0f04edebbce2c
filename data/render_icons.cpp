// Renders the application icon, which the editor draws in code, as the PNG
// files of the freedesktop "hicolor" icon theme, so the installed icon and
// the window's icon have one source:
//
//   render_icons <folder> <name> <size>...
//
// writes <folder>/<size>x<size>/apps/<name>.png for each size. A file is
// replaced only once its new content is complete.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <cstdio>

namespace {

bool writeIcon(const QString &folder, const QString &name, int size)
{
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QImage image = kestrun::applicationIcon().pixmap(QSize(size, size), 1.0).toImage();
    QSaveFile file(QStringLiteral("%1/%2.png").arg(dir, name));
    if (image.size() != QSize(size, size) || !QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly)
        || !image.save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "render_icons: cannot write %s: %s\n", qPrintable(file.fileName()),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: render_icons <folder> <name> <size>...\n");
        return 2;
    }
    for (const QString &sizeText : args.mid(3)) {
        bool isNumber = false;
        const int size = sizeText.toInt(&isNumber);
        if (!isNumber || size < 1 || size > 1024) {
            std::fprintf(stderr, "render_icons: not an icon size: %s\n", qPrintable(sizeText));
            return 2;
        }
        if (!writeIcon(args.at(1), args.at(2), size))
            return 1;
    }
    return 0;
}
