#include "StreamedWrite.h"

#include "TemporaryReplace.h"

#ifdef Q_OS_UNIX
#include "InPlaceWrite.h"
#include "PosixFile.h"
#include "SaveSteps.h"
#include "SaveTemporary.h"
#endif

namespace kestrun {

using namespace detail;

#ifdef Q_OS_UNIX
namespace {

// Runs `produce` into the file `fd` from its start: an empty string, or why
// not (a failed write's own reason first).
QString produceInto(int fd, const ContentProducer &produce)
{
    qint64 offset = 0;
    QString writeError;
    const ByteSink sink = [&](QByteArrayView bytes) {
        if (writeError.isEmpty()) {
            const int injected = reachSaveStep(SaveStep::Write);
            writeError = injected ? writeErrorText(injected) : writeAllAt(fd, bytes.data(), bytes.size(), offset);
            offset += bytes.size();
        }
        return writeError.isEmpty();
    };
    const QString why = produce(sink);
    if (!writeError.isEmpty())
        return writeError;
    return why;
}

WriteResult writeThroughUnnamedTemporary(const Target &target, const ContentProducer &produce)
{
    const Descriptor produced(createUnnamedTemporary(target.folder.get()));
    if (!produced.valid())
        return writeFailure(writeErrorText(errno));
    if (const QString why = produceInto(produced.get(), produce); !why.isEmpty())
        return writeFailure(why);
    return copyInPlace(target, produced.get());
}

} // namespace

WriteResult writeMapStream(const QString &path, const ContentProducer &produce)
{
    const TargetResult resolved = writableTarget(path);
    if (!resolved.ok())
        return writeFailure(resolved.reason);
    const Target &target = resolved.target;
    removeStaleTemporaries(target.folder.get(), target.name);
    if (target.exists && target.info.st_nlink > 1)
        return writeThroughUnnamedTemporary(target, produce);
    const auto fill = [&](int fd) {
        const QString why = produceInto(fd, produce);
        return Replacement{why.isEmpty() ? Replaced::Done : Replaced::Failed, why};
    };
    const auto inPlace = [&](int filled) {
        const WriteResult copied = copyInPlace(target, filled);
        return Replacement{copied.ok() ? Replaced::Done : Replaced::Failed, copied.reason};
    };
    const Replacement replaced = replaceThroughTemporary(target, fill, Keeping::Exactly, inPlace);
    // Impossible comes only before anything was produced: the folder or the
    // old file's attributes.
    if (replaced.status == Replaced::Impossible)
        return writeThroughUnnamedTemporary(target, produce);
    return replaced.ok() ? WriteResult{} : writeFailure(replaced.reason);
}

#else

// Without POSIX: Qt's safe save.
WriteResult writeMapStream(const QString &path, const ContentProducer &produce)
{
    QString why;
    const WriteResult saved = saveWithQt(path, [&](QSaveFile &out) {
        why = produce([&](QByteArrayView bytes) { return out.write(bytes.data(), bytes.size()) == bytes.size(); });
        return why.isEmpty();
    });
    return saved.ok() || why.isEmpty() ? saved : writeFailure(why);
}

#endif

} // namespace kestrun
