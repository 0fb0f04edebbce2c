#include "TiledJobs.h"

#include "StreamedWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

QCommandLineOption outDirOption(const QString &extension)
{
    return {u"out-dir"_s, u"Write each input to DIR/NAME.%1."_s.arg(extension), u"DIR"_s};
}

namespace {

std::vector<Conversion> conversionsAsked(const QCommandLineParser &parser, const QCommandLineOption &output,
                                         const QCommandLineOption &outDir, const QString &extension, const Console &io,
                                         QString &problem)
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
            const QString name =
                QDir(parser.value(outDir)).filePath(QFileInfo(io.shown(input)).completeBaseName() + u'.' + extension);
            if (outputs.contains(name)) {
                problem = u"two files would both be written to %1"_s.arg(name);
                return {};
            }
            outputs.insert(name);
            conversions.push_back({input, name});
        }
        return conversions;
    }
    QStringList positional = inputs;
    const QString written = chosenOutput(
        parser, output, positional, 1, u"give one file and the file to write (or --out-dir DIR and files)"_s, problem);
    if (!problem.isEmpty())
        return {};
    if (written == u"-"_s) {
        problem = u"the standard output cannot be written: give a file"_s;
        return {};
    }
    // Two files named by mistake would otherwise make a file of the wrong type.
    if (!parser.isSet(output) && !written.endsWith(u'.' + extension, Qt::CaseInsensitive)) {
        problem = u"%1 does not end in .%2: give the file's name (or -o FILE), or --out-dir DIR for several"_s.arg(
            written, extension);
        return {};
    }
    return {{positional.constFirst(), written}};
}

} // namespace

std::optional<std::vector<Conversion>> plannedConversions(Invocation &invocation, const QCommandLineOption &output,
                                                          const QCommandLineOption &outDir, const QString &extension,
                                                          Console &io)
{
    QString problem;
    std::vector<Conversion> conversions = conversionsAsked(invocation.parser(), output, outDir, extension, io, problem);
    if (!problem.isEmpty()) {
        invocation.usageError(io, problem);
        return std::nullopt;
    }
    return conversions;
}

std::optional<OutputRule> conversionRule(const QCommandLineParser &parser, const QCommandLineOption &outDir,
                                         const std::vector<Conversion> &conversions, const Invocation &invocation,
                                         Console &io)
{
    if (parser.isSet(outDir) && !QDir().mkpath(parser.value(outDir))) {
        reportFailure(io, invocation.command(), parser.value(outDir), u"the folder cannot be made"_s);
        return std::nullopt;
    }
    OutputRule rule;
    for (const Conversion &conversion : conversions)
        rule.addInput(conversion.input);
    return rule;
}

WriteResult writeConverted(const OutputRule &rule, bool force, const QString &path, FileKind kind, QByteArrayView bytes)
{
    if (const auto refused = rule.refusal(path, kind, force))
        return {WriteStatus::Failed, *refused};
    // A map is saved as the editor saves one (a hard-linked map keeps its link).
    if (kind == FileKind::Map)
        return writeMapStream(path, [bytes](const ByteSink &sink) { return sink(bytes) ? QString() : QString(); });
    return writeWholeFile(path, bytes);
}

} // namespace kestrun::kmp
