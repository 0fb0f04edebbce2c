#pragma once

#include <QByteArray>
#include <QString>

namespace kestrun {

// The map path of the command line's first argument, as the bytes the system
// gave. The shell has already removed the quotes a Windows-style caller put
// around a path; enclosing double quotes are removed only when both are there.
QByteArray mapPathFromArgument(const QByteArray &argument);

// A file named by the bytes the system gave. Qt names files by QString and
// decodes a name that is not valid UTF-8 with replacement characters, which
// then name no file. Such a name is opened once by its bytes, with O_PATH (no
// data is read, a named pipe does not block), and the file is reached through
// /proc/self/fd for as long as this object lives. Where that is not possible
// the decoded name is used, and opening it fails as for a missing file.
class NativeFileName {
public:
    explicit NativeFileName(const QByteArray &bytes);
    ~NativeFileName();
    NativeFileName(const NativeFileName &) = delete;
    NativeFileName &operator=(const NativeFileName &) = delete;

    // The name Qt opens the file by.
    const QString &openName() const { return m_openName; }
    // The name as the user reads it in messages.
    const QString &shownName() const { return m_shownName; }

private:
    int m_descriptor = -1;
    QString m_openName;
    QString m_shownName;
};

} // namespace kestrun
