// kmp dump and kmp undump: a map file as lines of text, and back.
#include "Commands.h"

#include "RegularFile.h"
#include "DumpFormat.h"
#include "Invocation.h"
#include "MapSource.h"
#include "OutputRule.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString FormatHelp = uR"(The text form:
  kmp-dump 1 size=726 signature=0x12345678 version=2 MaxX=15 MaxY=10 reserved=0000000000000000
  row 0: 1.1.0.0 1.1.0.0 ... (16 cells, left to right)
  ...
  row 10: ...
  tail 726: 0a0b... (only for bytes past 726: 32 bytes a line, in hex)
The header line gives the file's size and its header fields as they stand in
the file, valid or not. Each row line holds its 16 cells as
terrain.sprite1.sprite2.sprite3 in decimal, so a change to one cell is a change
to one line. A file shorter than 726 bytes shows zeros for what it lacks.
"kmp undump" turns the text back into exactly the same bytes.

To see maps as text in "git diff":
  echo '*.kmp diff=kmp' >> .gitattributes
  git config diff.kmp.textconv "kmp dump"
)"_s;

// Opens the dump text: a regular file, or the standard input for "-".
OpenResult openText(const QString &path, QFile &input)
{
    if (path != StandardStream) {
        input.setFileName(path);
        return openRegularFile(input);
    }
    OpenResult result;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        result.status = OpenStatus::Refused;
        result.reason = input.errorString();
    }
    return result;
}

} // namespace

int runDump(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"dump"_s, u"Writes a map file as text, one line per row of cells."_s,
                          FormatHelp
                              + u"\nExit status: 0 done, 2 the file could not be read, 64 a wrong command line.\n"_s);
    QCommandLineParser &parser = invocation.parser();
    parser.addPositionalArgument(u"MAP"_s, u"The map file, or - for the standard input."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    if (parser.positionalArguments().size() != 1)
        return invocation.usageError(io, u"give one map file"_s);

    const QString path = parser.positionalArguments().constFirst();
    if (path == StandardStream) {
        const ReadResult input = readWholeFile(path);
        if (!input.ok())
            return reportFailure(io, invocation.command(), path, input.reason);
        io.out << dumpMapFile(input.bytes);
        io.out.flush();
        return ExitOk;
    }
    // A file is dumped as it is read, whatever its size.
    QFile file(path);
    if (const OpenResult opened = openRegularFile(file); !opened.ok())
        return reportFailure(io, invocation.command(), path, opened.reason);
    const qint64 size = file.size();
    if (size > MaxDumpedFileBytes) {
        return reportFailure(io, invocation.command(), path,
                             u"the file is %1 bytes; a dump describes up to %2"_s.arg(size).arg(MaxDumpedFileBytes));
    }
    const QString failed = dumpMapStream(file, size, io.out);
    io.out.flush();
    if (!failed.isEmpty())
        return reportFailure(io, invocation.command(), path, failed);
    return ExitOk;
}

int runUndump(const QStringList &arguments, Console &io)
{
    Invocation invocation(u"undump"_s, u"Writes the map file that a text from \"kmp dump\" describes."_s,
                          FormatHelp
                              + u"\nOUT.kmp is replaced as a whole (a temporary file renamed over it), or\n"
                                u"left as it was on any error. It is never the text itself, and an existing\n"
                                u"file that is not a map is replaced only with --force.\n"
                                u"Exit status: 0 done, 2 an error, 64 a wrong command line.\n"_s);
    QCommandLineParser &parser = invocation.parser();
    const QCommandLineOption output = outputOption();
    const QCommandLineOption force = forceOption(u"Replace OUT.kmp even if it is not a map."_s);
    parser.addOptions({output, force});
    parser.addPositionalArgument(u"TEXT"_s, u"The text, or - for the standard input."_s);
    parser.addPositionalArgument(u"OUT.kmp"_s, u"The map file to write."_s);
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    QStringList positional = parser.positionalArguments();
    QString problem;
    const QString outPath =
        chosenOutput(parser, output, positional, 1, u"give the text and the map file to write"_s, problem);
    if (!problem.isEmpty())
        return invocation.usageError(io, problem);
    const QString textPath = positional.constFirst();
    OutputRule rule;
    rule.addInput(textPath);
    if (const auto refused = rule.refusal(outPath, FileKind::Map, parser.isSet(force)))
        return reportFailure(io, invocation.command(), outPath, *refused);
    QFile text;
    if (const OpenResult opened = openText(textPath, text); !opened.ok())
        return reportFailure(io, invocation.command(), textPath, opened.reason);
    // The map is written as the text is read: a fault in the text abandons
    // the write and leaves OUT.kmp as it was.
    UndumpResult map;
    const WriteResult written = writeMapStream(outPath, [&map, &text](const ByteSink &sink) {
        map = undumpMapStream(text, sink);
        return map.ok() ? QString() : map.reason;
    });
    if (map.status == UndumpStatus::Malformed) {
        const QString where = map.line > 0 ? u"%1:%2"_s.arg(textPath).arg(map.line) : textPath;
        return reportFailure(io, invocation.command(), where, map.reason);
    }
    if (map.status == UndumpStatus::Unread)
        return reportFailure(io, invocation.command(), textPath, map.reason);
    if (!written.ok())
        return reportFailure(io, invocation.command(), outPath, written.reason);
    return ExitOk;
}

} // namespace kestrun::kmp
