#include "io/FileTarget.h"

#include "io/FileErrors.h"
#include "io/RegularFile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace kestrun::detail {

#ifdef Q_OS_UNIX
namespace {

constexpr int MaxLinkHops = 40;

TargetResult resolveTarget(QByteArray path)
{
    TargetResult result;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno != ENOENT) {
                result.status = WriteStatus::Failed;
                result.reason = errnoText(errno);
            }
            result.target.path = path;
            return result;
        }
        if (!S_ISLNK(info.st_mode)) {
            result.target = {path, true, info};
            return result;
        }
        QByteArray link(info.st_size > 0 ? info.st_size + 1 : 4096, '\0');
        const ssize_t length = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (length < 0 || length >= link.size()) {
            result.status = WriteStatus::Failed;
            result.reason = length < 0 ? errnoText(errno) : QStringLiteral("its symbolic link changed while saving");
            return result;
        }
        link.truncate(length);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    result.status = WriteStatus::Failed;
    result.reason = QStringLiteral("it is a symbolic-link loop (%1)").arg(errnoText(ELOOP));
    return result;
}

} // namespace

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

TargetResult writableTarget(const QString &path)
{
    if (path.isEmpty())
        return {{WriteStatus::Failed, NoFileName}, {}};
    TargetResult resolved = resolveTarget(QFile::encodeName(path));
    if (!resolved.ok() || !resolved.target.exists)
        return resolved;
    if (QString why = whyNotRegular(resolved.target.info.st_mode); !why.isEmpty())
        return {{WriteStatus::Failed, why}, {}};
    if (::access(resolved.target.path.constData(), W_OK) != 0)
        return {{WriteStatus::Failed, NotWritable}, {}};
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
