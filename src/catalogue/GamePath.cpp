#include "catalogue/GamePath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kestrun {
namespace {

// The entry of `folder` whose name equals `name` ignoring case, or nothing.
QString findIgnoringCase(const QString &folder, const QString &name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    QString best;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0 && (best.isNull() || entry < best))
            best = entry;
    }
    return best;
}

} // namespace

QString resolveGamePath(const QString &path)
{
    QString exact = path;
    exact.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (exact.isEmpty() || QFileInfo::exists(exact))
        return exact;

    const QStringList components = exact.split(QLatin1Char('/'));
    // `resolved` always ends with "/" unless it is empty (a relative start).
    QString resolved;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString &component = components.at(i);
        const bool last = i + 1 == components.size();
        QString name = component;
        if (!component.isEmpty() && component != QLatin1String(".") && component != QLatin1String("..")
            && !QFileInfo::exists(resolved + component)) {
            name = findIgnoringCase(resolved, component);
            if (name.isNull())
                return exact;
        }
        resolved += name;
        if (!last)
            resolved += QLatin1Char('/');
    }
    return resolved;
}

} // namespace kestrun
