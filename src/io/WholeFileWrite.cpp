#include "io/WholeFileWrite.h"

#include "io/FileTarget.h"

#ifndef Q_OS_UNIX
#include <QSaveFile>
#endif

namespace kestrun {

using namespace detail;

#ifdef Q_OS_UNIX

WriteResult writeWholeFile(const QString &path, QByteArrayView data)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    removeStaleTemporaries(resolved.target.path);
    QString reason;
    const auto fill = [data](int fd, QString &why) {
        why = writeAllAt(fd, data.data(), data.size(), 0);
        return why.isEmpty() ? Replaced::Done : Replaced::Failed;
    };
    // A folder closed to the temporary file is a failure like any other.
    if (replaceThroughTemporary(resolved.target, fill, reason) != Replaced::Done)
        return writeFailure(reason);
    return {};
}

#else

// Without POSIX: Qt's safe save.
WriteResult writeWholeFile(const QString &path, QByteArrayView data)
{
    if (QString why = whyNotWritable(path); !why.isEmpty())
        return writeFailure(why);
    // Unbuffered, so a short write (a full disk) shows in write()'s count
    // instead of vanishing in a final flush.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return writeFailure(out.errorString());
    if (out.write(data.data(), data.size()) != data.size()) {
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : DiskFull;
        out.cancelWriting();
        return writeFailure(reason);
    }
    if (!out.commit())
        return writeFailure(out.errorString());
    return {};
}

#endif

} // namespace kestrun
