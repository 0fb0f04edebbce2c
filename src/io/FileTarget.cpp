#include "FileTarget.h"

#include "FileErrors.h"
#include "RegularFile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include "SaveSteps.h"

#include <QList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace kestrun::detail {

#ifdef Q_OS_UNIX
namespace {

constexpr int MaxLinkHops = 40;

TargetResult failed(const QString &reason)
{
    TargetResult result;
    result.status = WriteStatus::Failed;
    result.reason = reason;
    return result;
}

// The parts of `path` still to walk, the next one last. A path ending in
// "/" names a folder, so it ends in ".".
void pushParts(QList<QByteArray> &pending, const QByteArray &path)
{
    QList<QByteArray> parts = path.split('/');
    if (path.endsWith('/'))
        parts.append(".");
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        if (!part->isEmpty())
            pending.append(*part);
    }
}

Descriptor openRoot(bool absolute)
{
    return Descriptor(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Why the link `link`, met in `folder`, is not followed: the kernel's
// protected_symlinks rule, applied whatever the system's setting.
QString whyLinkRefused(int folder, const struct stat &link, const QByteArray &name)
{
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        return errnoText(errno);
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid)
        return QString();
    return QStringLiteral("it is reached through the symbolic link \"%1\", which another user owns in a folder "
                          "open to all, and such a link is not followed")
        .arg(QFile::decodeName(name));
}

// The content of the link open (O_PATH) as `link`.
QString readLink(int link, QByteArray &target)
{
    target.resize(PATH_MAX);
    const ssize_t length = ::readlinkat(link, "", target.data(), size_t(target.size()));
    if (length < 0)
        return errnoText(errno);
    if (length >= target.size() || length == 0)
        return QStringLiteral("its symbolic link changed while saving");
    target.truncate(length);
    return QString();
}

TargetResult resolveTarget(const QByteArray &path)
{
    Descriptor folder = openRoot(path.startsWith('/'));
    if (!folder.valid())
        return failed(errnoText(errno));
    QList<QByteArray> pending;
    pushParts(pending, path);
    int hops = 0;
    while (!pending.isEmpty()) {
        const QByteArray part = pending.takeLast();
        const bool last = pending.isEmpty();
        if (part == "." || part == "..") {
            if (last)
                return failed(IsFolder);
            if (part == ".."
                && (folder = Descriptor(::openat(folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC)),
                    !folder.valid()))
                return failed(errnoText(errno));
            continue;
        }
        Descriptor entry(::openat(folder.get(), part.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.valid() && errno == ENOENT && last) {
            TargetResult result;
            result.target.folder = std::move(folder);
            result.target.name = part;
            return result;
        }
        struct stat info {};
        if (!entry.valid() || ::fstat(entry.get(), &info) != 0)
            return failed(errnoText(errno));
        if (S_ISLNK(info.st_mode)) {
            if (++hops > MaxLinkHops)
                return failed(QStringLiteral("it is a symbolic-link loop (%1)").arg(errnoText(ELOOP)));
            if (QString why = whyLinkRefused(folder.get(), info, part); !why.isEmpty())
                return failed(why);
            QByteArray link;
            if (QString why = readLink(entry.get(), link); !why.isEmpty())
                return failed(why);
            if (link.startsWith('/') && (folder = openRoot(true), !folder.valid()))
                return failed(errnoText(errno));
            pushParts(pending, link);
            if (pending.isEmpty()) // a link to "/"
                return failed(IsFolder);
            continue;
        }
        if (last) {
            TargetResult result;
            result.target = {std::move(folder), part, true, info};
            return result;
        }
        if (!S_ISDIR(info.st_mode))
            return failed(errnoText(ENOTDIR));
        folder = std::move(entry);
    }
    return failed(IsFolder); // "/" or "."
}

} // namespace

QByteArray Target::pathThroughFolder() const
{
    return "/proc/self/fd/" + QByteArray::number(folder.get()) + '/' + name;
}

TargetResult writableTarget(const QString &path)
{
    if (path.isEmpty())
        return failed(NoFileName);
    TargetResult resolved = resolveTarget(QFile::encodeName(path));
    if (!resolved.ok() || !resolved.target.exists)
        return resolved;
    if (QString why = whyNotRegular(resolved.target.info.st_mode); !why.isEmpty())
        return failed(why);
    const Target &target = resolved.target;
    if (stepCall(SaveStep::CheckAccess,
                 [&] { return ::faccessat(target.folder.get(), target.name.constData(), W_OK, 0); })
        != 0)
        return failed(errno == EACCES || errno == EPERM ? NotWritable : writeErrorText(errno));
    return resolved;
}

#else

QString whyNotWritable(const QString &path)
{
    if (path.isEmpty())
        return NoFileName;
    const QFileInfo target(path);
    if (!target.exists())
        return QString();
    if (QString why = whyNotRegular(target); !why.isEmpty())
        return why;
    return target.isWritable() ? QString() : NotWritable;
}

#endif

} // namespace kestrun::detail
