#include "kmp/TiledJobs.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

QCommandLineOption outputOption(const QString &valueName)
{
    return {QStringList{u"o"_s, u"output"_s}, u"The file to write."_s, valueName};
}

QCommandLineOption outDirOption(const QString &extension)
{
    return {u"out-dir"_s, u"Write each input to DIR/NAME.%1."_s.arg(extension), u"DIR"_s};
}

std::vector<Conversion> plannedConversions(const QCommandLineParser &parser, const QCommandLineOption &output,
                                           const QCommandLineOption &outDir, const QString &extension,
                                           const Console &io, QString &problem)
{
    const QStringList inputs = parser.positionalArguments();
    if (parser.isSet(outDir)) {
        if (parser.isSet(output) || inputs.isEmpty()) {
            problem = parser.isSet(output) ? u"give either -o or --out-dir"_s : u"no file to convert"_s;
            return {};
        }
        std::vector<Conversion> conversions;
        QSet<QString> outputs;
        for (const QString &input : inputs) {
            const QString name = QDir(parser.value(outDir)).filePath(QFileInfo(io.shown(input)).completeBaseName()
                                                                     + u'.' + extension);
            if (outputs.contains(name)) {
                problem = u"two files would both be written to %1"_s.arg(name);
                return {};
            }
            outputs.insert(name);
            conversions.push_back({input, name});
        }
        return conversions;
    }
    if (parser.isSet(output) && inputs.size() == 1)
        return {{inputs[0], parser.value(output)}};
    if (!parser.isSet(output) && inputs.size() == 2)
        return {{inputs[0], inputs[1]}};
    problem = u"give one file and the file to write (or --out-dir DIR and files)"_s;
    return {};
}

WriteResult writeConverted(const Conversion &conversion, const QString &path, QByteArrayView bytes)
{
    const QFileInfo target(path);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(conversion.input).canonicalFilePath())
        return {WriteStatus::Failed, u"it is the file being converted"_s};
    return writeWholeFile(path, bytes);
}

} // namespace kestrun::kmp
