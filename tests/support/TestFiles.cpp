#include "support/TestFiles.h"

#include <QFile>
#include <QImage>

namespace kestrun::testing {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

bool writeSolidBmp(const QString &path, int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image.save(path, "BMP");
}

} // namespace kestrun::testing
