#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

namespace kestrun::testing {

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);
// The same for a file named by bytes: Qt cannot name a file whose name is
// not valid UTF-8.
QByteArray readFileByName(const QByteArray &name);
bool writeFileByName(const QByteArray &name, const QByteArray &data);

// Makes a named pipe, or a socket (bound, and left so), at `path`.
bool makeNamedPipe(const QString &path);
bool makeSocket(const QString &path);

// Writes a 24-bit BMP of the given size filled with one colour.
bool writeSolidBmp(const QString &path, int width, int height, const QColor &colour);

} // namespace kestrun::testing
