#pragma once

#include <QByteArray>
#include <QString>

namespace kestrun {

// A file named by the bytes the system gave (a command-line argument). Qt
// names files by QString and decodes a name that is not valid UTF-8 with
// replacement characters, which then name no file. Such a name is opened once
// by its bytes, with O_PATH (no data is read, a named pipe does not block),
// and the file is reached through /proc/self/fd for as long as this object
// lives: reading it, and replacing it, since the writers follow that link to
// the file's own name. Where that is not possible (no such file, or a system
// other than Linux) the decoded name is used, and opening it fails as for a
// missing file.
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
    // Whether openName() names exactly the file the bytes name: false only
    // for a name that is not valid UTF-8 and names no existing file.
    bool isExact() const { return m_exact; }

private:
    int m_descriptor = -1;
    QString m_openName;
    QString m_shownName;
    bool m_exact = true;
};

} // namespace kestrun
