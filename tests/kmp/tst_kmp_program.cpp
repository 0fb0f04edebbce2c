// The real kmp program: exit statuses and messages with no display, the game
// folder the editor remembers, and maps shown as text by "git diff".
#include "KmpTestSupport.h"
#include "QtPlatformServices.h"
#include "UserSettings.h"
#include "DumpFormat.h"
#include "MapFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestKmpProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void statusAndMessages_data();
    void statusAndMessages();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void outputThatCannotBeWrittenFails();
    void checkUsesTheFolderTheEditorRemembers();
    void settingsFileThatIsNotRegularIsNeverOpened_data();
    void settingsFileThatIsNotRegularIsNeverOpened();
    void gitDiffShowsOneChangedRow();
    void cleanupTestCase();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    KmpRun run(const QStringList &arguments, const QByteArray &input = {}) const
    {
        return runKmpProgram(arguments, m_dir.path(), m_config.path(), input);
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_config;
    std::unique_ptr<GameFolder> m_game;
};

void TestKmpProgram::initTestCase()
{
    QVERIFY(m_dir.isValid() && m_config.isValid());
    // This process's settings store too, so the editor's side of the shared
    // setting is written where the program will look.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    m_game = std::make_unique<GameFolder>(1, 3);
    QVERIFY(writeFile(path(u"a.kmp"_s), newMapBytes()));
    QByteArray changed = newMapBytes();
    changed[22 + 4 * (16 * 2 + 5) + 2] = 3; // cell (5, 2), layer 2
    QVERIFY(writeFile(path(u"b.kmp"_s), changed));
    QVERIFY(writeFile(path(u"bad.txt"_s), "not a dump\n"));
    QVERIFY(mkfifo(path(u"pipe.kmp"_s).toLocal8Bit().constData(), 0600) == 0);
    QVERIFY(mkfifo((QFile::encodeName(m_dir.path()) + "/pipe\xff.kmp").constData(), 0600) == 0);
    QVERIFY(QDir().mkpath(path(u"sub"_s)));
}

void TestKmpProgram::statusAndMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the start of the standard output
    QTest::addColumn<QString>("err"); // the whole standard error
    const QString game = m_game->folder;
    const QString tryCheck = u"Try 'kmp check --help'.\n"_s;
    QTest::newRow("version") << QStringList{u"--version"_s} << 0 << u"kmp 0.65.11\n"_s << QString();
    QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"Usage: kmp COMMAND"_s << QString();
    QTest::newRow("a command's help") << QStringList{u"help"_s, u"check"_s} << 0
                                      << u"Usage: kmp check [options] MAP..."_s << QString();
    QTest::newRow("no command") << QStringList{} << 64 << QString() << u"kmp: no command given\nTry 'kmp --help'.\n"_s;
    QTest::newRow("unknown command") << QStringList{u"paint"_s} << 64 << QString()
                                     << u"kmp: no command named \"paint\"\nTry 'kmp --help'.\n"_s;
    QTest::newRow("unknown option") << QStringList{u"check"_s, u"--fast"_s, u"a.kmp"_s} << 64 << QString()
                                    << u"kmp check: Unknown option 'fast'.\n"_s + tryCheck;
    QTest::newRow("no map") << QStringList{u"check"_s, u"--game"_s, game} << 64 << QString()
                            << u"kmp check: no map to check\n"_s + tryCheck;
    QTest::newRow("check clean") << QStringList{u"check"_s, u"--game"_s, game, u"a.kmp"_s} << 0
                                 << u"checked 1 map: 1 clean"_s << QString();
    QTest::newRow("check a named pipe")
        << QStringList{u"check"_s, u"--game"_s, game, u"pipe.kmp"_s} << 2
        << u"pipe.kmp: error: cannot read the file: it is not a regular file (a named pipe)"_s << QString();
    QTest::newRow("check without a game") << QStringList{u"check"_s, u"a.kmp"_s} << 2 << QString()
                                          << u"kmp check: no game folder is known: give --game DIR, or choose the "
                                             u"folder in the editor once\n"_s;
    QTest::newRow("check a wrong game folder") << QStringList{u"check"_s, u"--game"_s, u"sub"_s, u"a.kmp"_s} << 2
                                               << u"sub/tileset.dat: error: the editor loads no sprites from it, "
                                                  u"so the maps' sprites go unchecked: cannot open sub/tileset.dat: "
                                                  u"No such file or directory\n"
                                                  u"checked 1 map: 0 clean, 0 with warnings only, 0 with errors, "
                                                  u"1 unchecked (no sprites without the catalogue)\n"_s
                                               << QString();
    QTest::newRow("render") << QStringList{u"render"_s, u"--game"_s, game, u"--grid"_s, u"a.kmp"_s, u"a.png"_s} << 0
                            << QString() << QString();
    QTest::newRow("render terrain without a game")
        << QStringList{u"render"_s, u"--layer"_s, u"0"_s, u"a.kmp"_s, u"terrain.png"_s} << 0 << QString() << QString();
    QTest::newRow("render sprites without a game")
        << QStringList{u"render"_s, u"a.kmp"_s, u"never.png"_s} << 2 << QString()
        << u"kmp render: no game folder is known: give --game DIR, or "
           u"choose the folder in the editor once\n"_s;
    QTest::newRow("info of a missing file") << QStringList{u"info"_s, u"gone.kmp"_s} << 2 << QString()
                                            << u"kmp info: gone.kmp: No such file or directory\n"_s;
    QTest::newRow("info of - twice")
        << QStringList{u"info"_s, u"-"_s, u"-"_s} << 64 << QString()
        << u"kmp info: - is given twice; the standard input is one map\nTry 'kmp info --help'.\n"_s;
    QTest::newRow("dump") << QStringList{u"dump"_s, u"a.kmp"_s} << 0 << u"kmp-dump 1 size=726 "_s << QString();
    QTest::newRow("dump a named pipe") << QStringList{u"dump"_s, u"pipe.kmp"_s} << 2 << QString()
                                       << u"kmp dump: pipe.kmp: it is not a regular file (a named pipe)\n"_s;
    QTest::newRow("dump two maps") << QStringList{u"dump"_s, u"a.kmp"_s, u"b.kmp"_s} << 64 << QString()
                                   << u"kmp dump: give one map file\nTry 'kmp dump --help'.\n"_s;
    QTest::newRow("undump from stdin") << QStringList{u"undump"_s, u"-"_s, u"sub/from-stdin.kmp"_s} << 0 << QString()
                                       << QString();
    QTest::newRow("undump a broken text")
        << QStringList{u"undump"_s, u"bad.txt"_s, u"sub/never.kmp"_s} << 2 << QString()
        << u"kmp undump: bad.txt:1: this is not a map dump: it must begin with "
           u"\"kmp-dump 1\"\n"_s;
    QTest::newRow("diff same") << QStringList{u"diff"_s, u"a.kmp"_s, u"a.kmp"_s} << 0 << QString() << QString();
    QTest::newRow("diff one cell") << QStringList{u"diff"_s, u"a.kmp"_s, u"b.kmp"_s} << 1
                                   << u"cell (5, 2) layer 2: empty -> sprite 3\n"_s << QString();
    QTest::newRow("diff a missing file") << QStringList{u"diff"_s, u"a.kmp"_s, u"gone.kmp"_s} << 2 << QString()
                                         << u"kmp diff: gone.kmp: No such file or directory\n"_s;
    QTest::newRow("new") << QStringList{u"new"_s, u"sub/new.kmp"_s} << 0 << QString() << QString();
    QTest::newRow("new over a map") << QStringList{u"new"_s, u"a.kmp"_s} << 2 << QString()
                                    << u"kmp new: a.kmp: it exists already (give --force to replace it)\n"_s;
    QTest::newRow("new in a missing folder")
        << QStringList{u"new"_s, u"nowhere/new.kmp"_s} << 2 << QString() << u"kmp new: nowhere/new.kmp: "_s;
}

void TestKmpProgram::statusAndMessages()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const KmpRun result = run(arguments, kmp::dumpMapFile(newMapBytes()).toUtf8());
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
    if (err.endsWith(u'\n') || err.isEmpty())
        QCOMPARE(result.err, err);
    else // the system's wording of the reason follows
        QVERIFY2(result.err.startsWith(err), qPrintable(result.err));

    // What was written is complete; what failed left nothing.
    QCOMPARE(QDir(path(u"sub"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
             int(QFile::exists(path(u"sub/from-stdin.kmp"_s))) + int(QFile::exists(path(u"sub/new.kmp"_s))));
    if (arguments.value(0) == u"undump"_s && status == 0)
        QCOMPARE(readFile(path(u"sub/from-stdin.kmp"_s)), newMapBytes());
    if (arguments.value(0) == u"new"_s && status == 0)
        QCOMPARE(readFile(path(u"sub/new.kmp"_s)), newMapBytes());
    if (arguments.value(0) == u"render"_s) // drawn and encoded with no display
        QCOMPARE(QImage(path(arguments.constLast())).size(), status == 0 ? QSize(642, 440) : QSize(0, 0));
}

void TestKmpProgram::cleanupTestCase()
{
    // QTemporaryDir leaves names that are not UTF-8 behind: they go by their bytes.
    const QByteArray folder = QFile::encodeName(m_dir.path()) + '/';
    for (const char *name : {"bad\xff\xfe.kmp", "pipe\xff.kmp"})
        ::unlink((folder + name).constData());
}

void TestKmpProgram::namesThatAreNotUtf8_data()
{
    // A level named by bytes that are not UTF-8 holds b.kmp first; kmp reads
    // and replaces it by those bytes, as the editor opens such a name.
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");   // the start of the standard output
    QTest::addColumn<QString>("err");   // the whole standard error
    QTest::addColumn<bool>("replaced"); // the level is a new map afterwards
    const QByteArray level = "bad\xff\xfe.kmp";
    const QString shownLevel = u"bad\uFFFD\uFFFD.kmp"_s;
    QTest::newRow("info") << QByteArrayList{"info", level} << 0 << u"file: "_s + shownLevel + u"\nsize: 726 bytes\n"_s
                          << QString() << false;
    QTest::newRow("diff") << QByteArrayList{"diff", "a.kmp", level} << 1
                          << u"cell (5, 2) layer 2: empty -> sprite 3\n"_s << QString() << false;
    QTest::newRow("undump over it") << QByteArrayList{"undump", "-", level} << 0 << QString() << QString() << true;
    QTest::newRow("new over it") << QByteArrayList{"new", "--force", level} << 0 << QString() << QString() << true;
    QTest::newRow("a named pipe") << QByteArrayList{"dump", "pipe\xff.kmp"} << 2 << QString()
                                  << u"kmp dump: pipe\uFFFD.kmp: it is not a regular file (a named pipe)\n"_s << false;
    QTest::newRow("a missing name is not made under another")
        << QByteArrayList{"new", "gone\xff.kmp"} << 2 << QString()
        << u"kmp: gone\uFFFD.kmp: no such file or folder, and kmp cannot make one of this name (it is not valid "
           u"UTF-8)\n"_s
        << false;
}

void TestKmpProgram::namesThatAreNotUtf8()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(bool, replaced);
    const QByteArray folder = QFile::encodeName(m_dir.path()) + '/';
    const QByteArray level = folder + "bad\xff\xfe.kmp";
    const QByteArray changed = readFile(path(u"b.kmp"_s));
    QVERIFY(writeFileByName(level, changed));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    const KmpRun result =
        runKmpProgram(arguments, m_dir.path(), m_config.path(), kmp::dumpMapFile(newMapBytes()).toUtf8());
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
    QCOMPARE(result.err, err);
    QCOMPARE(readFileByName(level), replaced ? newMapBytes() : changed);
    // Written by its own name: no file under another name, no temporary.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
}

void TestKmpProgram::outputThatCannotBeWrittenFails()
{
    // A full device of the test's own: every write to it fails (ENOSPC).
    QTemporaryDir devices;
    QVERIFY(devices.isValid());
    if (!makeCharacterDevice(devices.filePath(u"full"_s), 1, 7))
        QSKIP("no device node can be made here (mknod needs root and CAP_MKNOD)");
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.setStandardOutputFile(devices.filePath(u"full"_s));
    process.start(kmpProgram(), {u"dump"_s, u"a.kmp"_s});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), u"kmp: the output could not be written\n"_s);
}

void TestKmpProgram::checkUsesTheFolderTheEditorRemembers()
{
    // A map using sprite 3: clean for the remembered game of sprites 1..3.
    QByteArray map = newMapBytes();
    map[22 + 2] = 3;
    QVERIFY(writeFile(path(u"uses3.kmp"_s), map));
    QtPlatformServices editorSide;
    editorSide.saveSetting(AppTitle, GameFolderSection, GameFolderKey, m_game->folder);
    QCOMPARE(rememberedGameFolder(), m_game->folder);
    QCOMPARE(run({u"check"_s, u"uses3.kmp"_s}).status, 0);

    // A remembered folder of sprites 1..2 only: the same map now fails.
    GameFolder smaller(1, 2);
    editorSide.saveSetting(AppTitle, GameFolderSection, GameFolderKey, smaller.folder);
    const KmpRun result = run({u"check"_s, u"uses3.kmp"_s});
    QCOMPARE(result.status, 2);
    QVERIFY(
        result.out.startsWith(u"uses3.kmp: error: cell (0, 0) layer 2: sprite 3 is not in the game's catalogue\n"_s));

    editorSide.deleteSetting(AppTitle, GameFolderSection, GameFolderKey);
    QCOMPARE(rememberedGameFolder(), QString());
}

void TestKmpProgram::settingsFileThatIsNotRegularIsNeverOpened_data()
{
    QTest::addColumn<QString>("pipe"); // made under a configuration folder of the test's own
    QTest::newRow("the user's file") << u"user/Kestrunle/Kestrunle.conf"_s;
    QTest::newRow("the user's second file") << u"user/Kestrunle.conf"_s;
    QTest::newRow("a system-wide file") << u"system/Kestrunle/Kestrunle.conf"_s;
}

void TestKmpProgram::settingsFileThatIsNotRegularIsNeverOpened()
{
    // Opening a named pipe with no writer would block kmp for ever: the run
    // below would then be killed and fail.
    QFETCH(QString, pipe);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    const QString fifo = config.filePath(pipe);
    QVERIFY(QDir().mkpath(QFileInfo(fifo).path()));
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QByteArray systemFolders = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config.filePath(u"system"_s)));
    const KmpRun result = runKmpProgram({u"check"_s, u"a.kmp"_s}, m_dir.path(), config.filePath(u"user"_s));
    qputenv("XDG_CONFIG_DIRS", systemFolders);
    QCOMPARE(result.status, 2);
    QCOMPARE(
        result.err,
        u"kmp check: the settings file %1: it is not a regular file (a named pipe); give --game DIR\n"_s.arg(fifo));
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
}

void TestKmpProgram::gitDiffShowsOneChangedRow()
{
    const QString git = QStandardPaths::findExecutable(u"git"_s);
    QVERIFY2(!git.isEmpty(), "git is not installed (tools/ensure-packages.sh installs it)");
    QTemporaryDir repository;
    QVERIFY(repository.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, repository.path());
    environment.insert(u"GIT_CONFIG_NOSYSTEM"_s, u"1"_s);
    environment.insert(u"GIT_CONFIG_GLOBAL"_s, u"/dev/null"_s);
    const auto gitRun = [&](const QStringList &arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(repository.path());
        process.start(git, arguments);
        process.waitForFinished(30000);
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : u"FAILED"_s;
    };
    QVERIFY(gitRun({u"init"_s, u"-q"_s}) != u"FAILED"_s);
    // The two lines docs/kmp.md gives, with this build's kmp.
    QVERIFY(writeFile(repository.filePath(u".gitattributes"_s), "*.kmp diff=kmp\n"));
    QVERIFY(gitRun({u"config"_s, u"diff.kmp.textconv"_s, kmpProgram() + u" dump"_s}) != u"FAILED"_s);
    QVERIFY(writeFile(repository.filePath(u"level.kmp"_s), readFile(path(u"a.kmp"_s))));
    QVERIFY(gitRun({u"add"_s, u"."_s}) != u"FAILED"_s);
    QVERIFY(gitRun({u"-c"_s, u"user.name=t"_s, u"-c"_s, u"user.email=t@t"_s, u"commit"_s, u"-qm"_s, u"a"_s})
            != u"FAILED"_s);
    QVERIFY(writeFile(repository.filePath(u"level.kmp"_s), readFile(path(u"b.kmp"_s))));

    const QString diff = gitRun({u"diff"_s, u"--no-color"_s});
    QStringList changed;
    for (const QString &line : diff.split(u'\n')) {
        if ((line.startsWith(u'-') || line.startsWith(u'+')) && !line.startsWith(u"---"_s)
            && !line.startsWith(u"+++"_s))
            changed << line;
    }
    QCOMPARE(changed.size(), 2);
    QVERIFY2(changed[0].startsWith(u"-row 2: 1.1.0.0 "_s), qPrintable(diff));
    QVERIFY2(changed[1].startsWith(u"+row 2: 1.1.0.0 1.1.0.0 1.1.0.0 1.1.0.0 1.1.0.0 1.1.3.0 "_s), qPrintable(diff));
}

QTEST_GUILESS_MAIN(TestKmpProgram)
#include "tst_kmp_program.moc"
