#include "GamePath.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kestrun {

QString caseFoldKey(QStringView name)
{
    // Unit by unit, as Qt's comparison folds: a low surrogate after a high
    // one stands for the folded code point's low surrogate; the high
    // surrogate itself stays (folding never leaves its plane block).
    QString key(name.size(), Qt::Uninitialized);
    char16_t previous = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        char32_t codePoint = unit;
        if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(previous))
            codePoint = QChar::surrogateToUcs4(previous, unit);
        previous = unit;
        const char32_t folded = QChar::toCaseFolded(codePoint);
        key[i] = QChar::requiresSurrogates(codePoint) ? QChar(QChar::lowSurrogate(folded)) : QChar(char16_t(folded));
    }
    return key;
}

QString normalisedGamePath(const QString &path)
{
    QString slashed = path;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString normalised = slashed.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    const QStringList components = slashed.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &component : components) {
        if (component == QLatin1String("."))
            continue;
        if (!normalised.isEmpty() && !normalised.endsWith(QLatin1Char('/')))
            normalised += QLatin1Char('/');
        normalised += component;
    }
    // A name ending in a separator names a folder, or nothing.
    if (slashed.endsWith(QLatin1Char('/')) && !normalised.endsWith(QLatin1Char('/')))
        normalised += QLatin1Char('/');
    return normalised;
}

QString fileIdentity(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return QStringLiteral("%1:%2").arg(quint64(info.st_dev)).arg(quint64(info.st_ino));
#endif
    return QStringLiteral("path:") + path;
}

QString GamePathResolver::findIgnoringCase(const QString &folder, const QString &name)
{
    const QString identity = fileIdentity(folder.isEmpty() ? QStringLiteral(".") : folder);
    auto listed = m_folders.constFind(identity);
    if (listed == m_folders.constEnd()) {
        QHash<QString, QString> lowest;
        const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QString &entry : entries) {
            QString &best = lowest[caseFoldKey(entry)];
            if (best.isNull() || entry < best)
                best = entry;
        }
        listed = m_folders.insert(identity, lowest);
    }
    return listed->value(caseFoldKey(name));
}

QString GamePathResolver::resolve(const QString &path)
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
