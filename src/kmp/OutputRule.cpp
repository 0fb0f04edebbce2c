#include "OutputRule.h"

#include "RegularFileHead.h"
#include "MapFile.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>

#include <algorithm>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

std::optional<std::pair<dev_t, ino_t>> identityOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Map: return u"a map"_s;
    case FileKind::Picture: return u"a picture"_s;
    case FileKind::Other: break;
    }
    return u"neither a map nor a picture"_s;
}

} // namespace

void OutputRule::addInput(const QString &path)
{
    if (path == u"-"_s)
        return;
    if (const auto identity = identityOf(path))
        m_inputs.push_back(*identity);
}

void OutputRule::addInputs(const QStringList &paths)
{
    for (const QString &path : paths)
        addInput(path);
}

std::optional<QString> OutputRule::refusal(const QString &path, FileKind kind, bool force) const
{
    if (path == u"-"_s)
        return std::nullopt;
    if (const auto identity = identityOf(path);
        identity && std::find(m_inputs.begin(), m_inputs.end(), *identity) != m_inputs.end())
        return u"it is one of this command's inputs, and kmp never writes over its inputs"_s;
    if (force)
        return std::nullopt;
    if (const auto existing = existingKind(path); existing && *existing != kind) {
        // What is written is named as a map or a picture, or else (a Tiled map, say) only as another kind.
        const QString written = kind == FileKind::Other ? u"a file of another kind"_s : kindName(kind);
        return u"it is %1, and kmp does not replace it with %2 (give --force to replace it)"_s.arg(kindName(*existing),
                                                                                                   written);
    }
    return std::nullopt;
}

std::optional<FileKind> existingKind(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // A named pipe swapped in meanwhile is refused by the reader, not opened.
    // What the write would refuse, such as another user's link in a shared
    // sticky folder, is not followed to be read: the write says why.
    const ReadResult head = readWriteTargetHead(path, 8);
    if (!head.ok())
        return std::nullopt;
    const auto header = encodeMapHeader(currentMapHeader());
    constexpr qsizetype SignatureAndVersion = 6;
    if (head.bytes.startsWith(QByteArrayView(header.data(), SignatureAndVersion)))
        return FileKind::Map;
    if (head.bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return FileKind::Picture;
    return FileKind::Other;
}

QCommandLineOption forceOption(const QString &description)
{
    return {u"force"_s, description};
}

QCommandLineOption outputOption()
{
    return {QStringList{u"o"_s, u"output"_s}, u"Write FILE (instead of the last argument)."_s, u"FILE"_s};
}

QString chosenOutput(const QCommandLineParser &parser, const QCommandLineOption &output, QStringList &positional,
                     qsizetype inputs, const QString &usage, QString &problem, bool toStandardOutput)
{
    const bool given = parser.isSet(output);
    if (positional.size() != inputs + (given ? 0 : 1)) {
        problem = usage;
        return {};
    }
    QString chosen = given ? parser.value(output) : positional.takeLast();
    if (chosen == u"-"_s && !toStandardOutput)
        problem = u"the standard output (-) cannot be written here: give a file"_s;
    return chosen;
}

} // namespace kestrun::kmp
