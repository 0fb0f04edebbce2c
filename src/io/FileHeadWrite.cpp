#include "FileHeadWrite.h"

#include "TemporaryReplace.h"

#ifdef Q_OS_UNIX
#include "InPlaceWrite.h"
#include "PosixFile.h"
#include "SaveSteps.h"
#include "SaveTemporary.h"

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFile>
#include <QFileInfo>
#endif

namespace kestrun {

using namespace detail;

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;

} // namespace

#ifdef Q_OS_UNIX
namespace {

const QString ChangedWhileSaved = QStringLiteral("it changed on disk while it was being saved");
// A save starts again only when another save replaced the file while this
// one examined it and opened it for its tail, so every attempt follows
// another save's completion: it gives up only after this many.
constexpr int MaxAttempts = 1000;

// Copies the bytes from `offset` to `end` of `from` to the same place in
// `to`, a chunk at a time; Changed if `from` ends sooner.
Replacement copyTail(int from, int to, qint64 offset, qint64 end)
{
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    while (offset < end) {
        const auto wanted = size_t(std::min<qint64>(chunk.size(), end - offset));
        const ssize_t got = ::pread(from, chunk.data(), wanted, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {got == 0 ? Replaced::Changed : Replaced::Failed, got == 0 ? ChangedWhileSaved : errnoText(errno)};
        if (QString why = writeAllAt(to, chunk.constData(), got, offset); !why.isEmpty())
            return {Replaced::Failed, why};
        offset += got;
    }
    return {};
}

// The temporary file's content: the head, then the tail of the file as it
// was examined, no more, should it have grown since. Impossible for a file
// that may be written but not read: its tail stays only where it is.
Replacement fillHeadAndTail(int fd, const Target &target, QByteArrayView head)
{
    const int injected = reachSaveStep(SaveStep::Write);
    if (QString why = injected ? writeErrorText(injected) : writeAllAt(fd, head.data(), head.size(), 0); !why.isEmpty())
        return {Replaced::Failed, why};
    if (!target.exists || target.info.st_size <= head.size())
        return {};
    if (const int failed = reachSaveStep(SaveStep::CopyTail))
        return {Replaced::Failed, errnoText(failed)};
    const OpenedFile old = openRegularAt(target.folder.get(), target.name, O_RDONLY);
    if (!old.ok())
        return {old.error == EACCES ? Replaced::Impossible : Replaced::Failed, old.reason};
    const bool examined = old.info.st_dev == target.info.st_dev && old.info.st_ino == target.info.st_ino;
    const Replacement copied = examined ? copyTail(old.fd, fd, head.size(), target.info.st_size)
                                        : Replacement{Replaced::Changed, ChangedWhileSaved};
    ::close(old.fd);
    return copied;
}

} // namespace

WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    // Another save may replace the file between its examination here and the
    // copy of its tail: this one then starts again, from the file it left.
    Replacement replaced;
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        const TargetResult resolved = writableTarget(path);
        if (!resolved.ok())
            return writeFailure(resolved.reason);
        const Target &target = resolved.target;
        removeStaleTemporaries(target.folder.get(), target.name);
        const bool inPlace =
            target.exists && (target.info.st_nlink > 1 || target.info.st_size - head.size() > MaxCopiedTail);
        if (inPlace)
            return writeHeadInPlace(target, head);
        const auto fill = [&](int fd) { return fillHeadAndTail(fd, target, head); };
        replaced = replaceThroughTemporary(target, fill, Keeping::Exactly);
        if (replaced.status == Replaced::Impossible)
            return writeHeadInPlace(target, head); // the folder, the name, the attributes or the rename
        if (replaced.status != Replaced::Changed)
            return replaced.ok() ? WriteResult{} : writeFailure(replaced.reason);
    }
    return writeFailure(replaced.reason);
}

#else

// Without POSIX: Qt's safe save, the tail copied in bounded chunks.
WriteResult writeFileHead(const QString &path, QByteArrayView head)
{
    const qint64 oldSize = QFileInfo(path).size();
    return saveWithQt(path, [&](QSaveFile &out) {
        const auto put = [&](QByteArrayView bytes) { return out.write(bytes.data(), bytes.size()) == bytes.size(); };
        bool written = put(head);
        if (written && oldSize > head.size()) {
            QFile old(path);
            written = old.open(QIODevice::ReadOnly) && old.seek(head.size());
            while (written && !old.atEnd())
                written = put(old.read(ChunkBytes)) && old.error() == QFileDevice::NoError;
        }
        return written;
    });
}

#endif

} // namespace kestrun
