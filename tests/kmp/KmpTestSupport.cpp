#include "KmpTestSupport.h"

#include "Commands.h"
#include "MapFile.h"
#include "support/EditorFixture.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QProcess>

#include <cstring>

using namespace Qt::StringLiterals;

namespace kestrun::testing {

KmpRun runKmpHere(const QStringList &arguments)
{
    KmpRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    kmp::Console io{out, err};
    run.status = kmp::runKmp(arguments, io);
    out.flush();
    err.flush();
    return run;
}

QString kmpProgram()
{
    return QStringLiteral(KMP_PROGRAM);
}

namespace {

KmpRun runProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                  const QString &configHome, const QByteArray &input, const std::function<void()> &inChild = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        environment.remove(name);
    environment.insert(u"XDG_CONFIG_HOME"_s, configHome);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(program, arguments);
    KmpRun run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.outBytes = process.readAllStandardOutput();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A shell word that becomes exactly `bytes`: printf of octal escapes.
QString shellWordOf(const QByteArray &bytes)
{
    QString escapes;
    for (const char byte : bytes)
        escapes += u"\\%1"_s.arg(uint(uchar(byte)), 3, 8, QChar(u'0'));
    return u"\"$(printf '%1')\""_s.arg(escapes);
}

} // namespace

KmpRun runKmpProgram(const QStringList &arguments, const QString &workingDirectory, const QString &configHome,
                     const QByteArray &input, const std::function<void()> &inChild, const QString &program)
{
    if (!program.isEmpty())
        return runProgram(program, QStringList{arguments.value(0), arguments.value(1), kmpProgram()} + arguments.mid(2),
                          workingDirectory, configHome, input, inChild);
    return runProgram(kmpProgram(), arguments, workingDirectory, configHome, input, inChild);
}

KmpRun runKmpProgram(const QByteArrayList &arguments, const QString &workingDirectory, const QString &configHome,
                     const QByteArray &input)
{
    // QProcess passes its arguments as text; a shell passes these bytes on.
    QString script = u"exec \"$0\""_s;
    for (const QByteArray &argument : arguments)
        script += u' ' + shellWordOf(argument);
    return runProgram(u"/bin/sh"_s, {u"-c"_s, script, kmpProgram()}, workingDirectory, configHome, input);
}

MapGrid showcaseGrid()
{
    static constexpr std::uint8_t Codes[] = {1, 2, 4, 8, 16, 0, 3};
    MapGrid grid;
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        for (int x = 0; x <= MapGrid::MaxX; ++x) {
            grid.setCell(x, y,
                         MapCell{Codes[(x + y) % 7], std::uint8_t(x % 4 + 1), std::uint8_t(y == 5 ? 7 : 0),
                                 std::uint8_t(x == y ? 200 : 0)});
        }
    }
    return grid;
}

QByteArray newMapBytes()
{
    MapGrid grid;
    applyNewMapDefaults(grid);
    return mapFileBytes(grid);
}

QByteArray mapFileBytes(const MapGrid &grid, const MapHeader &header)
{
    const auto raw = encodeMapHeader(header);
    QByteArray bytes(reinterpret_cast<const char *>(raw.data()), qsizetype(raw.size()));
    bytes += QByteArray(reinterpret_cast<const char *>(grid.bytes().data()), MapGrid::ByteSize);
    return bytes;
}

GameFolder::GameFolder(int first, int last, const QByteArray &extraRecords)
{
    folder = dir.path() + u'/';
    QByteArray catalogue;
    for (int i = first; i <= last; ++i) {
        const QString name = u"sprite%1.bmp"_s.arg(i);
        writeSolidBmp(folder + name, 40, 40, QColor(spriteColor(i)));
        catalogue += QByteArray::number(i) + '=' + name.toLatin1() + "\r\n";
    }
    writeFile(folder + u"tileset.dat"_s, catalogue + extraRecords);
}

QString golden(const QString &name)
{
    return QString::fromUtf8(readFile(QStringLiteral(KMP_GOLDEN_DIR) + u'/' + name));
}

bool matchesGolden(const QString &name, const QString &actual)
{
    if (qEnvironmentVariableIsSet("KESTRUN_UPDATE_GOLDEN"))
        return writeFile(QStringLiteral(KMP_GOLDEN_DIR) + u'/' + name, actual.toUtf8());
    return actual == golden(name);
}

} // namespace kestrun::testing
