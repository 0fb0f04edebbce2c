#include "kmp/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &data)
{
    const QFileInfo target(path);
    if (target.isDir())
        return u"it is a folder, not a file"_s;
    if (target.exists() && !target.isFile())
        return u"it is not a regular file"_s;

    // Unbuffered, so a short write (a full disk, a file-size limit) shows in
    // write()'s count instead of vanishing in a final flush.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return out.errorString();
    if (out.write(data) != data.size()) {
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString()
                                                                   : u"the disk is full or the file too large"_s;
        out.cancelWriting();
        return reason;
    }
    if (!out.commit())
        return out.errorString();
    return std::nullopt;
}

} // namespace kestrun::kmp
