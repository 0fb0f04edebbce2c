#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrun::testing {

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);
// The same for a file named by bytes: Qt cannot name a file whose name is
// not valid UTF-8.
QByteArray readFileByName(const QByteArray &name);
bool writeFileByName(const QByteArray &name, const QByteArray &data);

// Every name in a folder, hidden files and special ones included, sorted.
QStringList entriesOf(const QString &folder);

// Runs `writes` under a file-size limit of `bytes`, which stands in for a
// full disk: writes beyond it fail (and raise no signal). False when the
// limit could not be set, and `writes` did not run.
bool underFileSizeLimit(qint64 bytes, const std::function<void()> &writes);

// Makes a named pipe, or a socket (bound, and left so), at `path`.
bool makeNamedPipe(const QString &path);
bool makeSocket(const QString &path);
// Makes a character device node at `path` for the device `major`, `minor`
// (1, 5: zero; 1, 7: full): a node of the test's own, so that a faulty
// writer replaces only that node, never one of the machine's. Needs root
// (CAP_MKNOD); false when refused.
bool makeCharacterDevice(const QString &path, unsigned major, unsigned minor);

// Runs `work` in a child process as user and group `id`, with `groups` as
// its supplementary groups (the caller must be root); the child's exit
// status: 0 when `work` returned true, 1 when not, 77 when the user could
// not be changed.
int runAsUser(unsigned id, const QList<unsigned> &groups, const std::function<bool()> &work);

// Writes a 24-bit BMP of the given size filled with one colour.
bool writeSolidBmp(const QString &path, int width, int height, const QColor &color);

} // namespace kestrun::testing
