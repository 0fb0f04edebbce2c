// The window's load and the map named on the command line.
#include "Version.h"
#include "CommandLine.h"
#include "MapFile.h"
#include "support/EditorFixture.h"
#include "support/TestFiles.h"
#include "MapCanvas.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commandLinePath_data();
    void commandLinePath();
    void firstMap_data();
    void firstMap();
    void firstSaveAsksEvenAfterACommandLineMap();
    void commandLineNameIsTakenAsBytes_data();
    void commandLineNameIsTakenAsBytes();
    void startRequestFollowsQtsConventions_data();
    void startRequestFollowsQtsConventions();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();

private:
    QTemporaryDir m_dir;
    MapGrid m_stored;
};

void TestStartup::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_stored.setCell(9, 9, MapCell{8, 0, 0, 0});
    m_stored.setCell(0, 0, MapCell{16, 0, 0, 0});
    QVERIFY(writeMapFile(m_dir.filePath(u"level.kmp"_s), m_stored).ok());
    QVERIFY(writeFile(m_dir.filePath(u"junk.kmp"_s), QByteArray(726, '\x11')));
    QVERIFY(writeMapFile(m_dir.filePath(u"--help"_s), m_stored).ok());
    QVERIFY(QDir(m_dir.path()).mkdir(u"folder"_s));
}

void TestStartup::commandLinePath_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("path");
    QTest::newRow("quoted full path") << "\"/maps/a b.kmp\""
                                      << "/maps/a b.kmp";
    QTest::newRow("bare name is kept whole") << "a.kmp"
                                             << "a.kmp";
    QTest::newRow("opening quote only") << "\"a.kmp"
                                        << "\"a.kmp";
    QTest::newRow("closing quote only") << "a.kmp\""
                                        << "a.kmp\"";
    QTest::newRow("a lone quote") << "\""
                                  << "\"";
    QTest::newRow("two quotes") << "\"\""
                                << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestStartup::commandLinePath()
{
    QFETCH(QString, argument);
    QFETCH(QString, path);
    QCOMPARE(QString::fromUtf8(mapPathFromArgument(argument.toUtf8())), path);
}

void TestStartup::firstMap_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // "new", "stored" or "zero"
    QTest::addColumn<QString>("message");  // a prefix of the one message, or empty
    const QString level = m_dir.filePath(u"level.kmp"_s);
    QTest::newRow("no argument: a new map") << QStringList{} << "new"
                                            << "";
    QTest::newRow("quoted path") << QStringList{QLatin1Char('"') + level + QLatin1Char('"')} << "stored"
                                 << "";
    QTest::newRow("bare path") << QStringList{level} << "stored"
                               << "";
    QTest::newRow("only the first argument counts") << QStringList{level, u"other"_s} << "stored"
                                                    << "";
    QTest::newRow("a map named --help after --") << QStringList{u"--"_s, m_dir.filePath(u"--help"_s)} << "stored"
                                                 << "";
    QTest::newRow("missing file: message and a new map") << QStringList{m_dir.filePath(u"missing.kmp"_s)} << "new"
                                                         << "Cannot open map file";
    QTest::newRow("a folder") << QStringList{m_dir.filePath(u"folder"_s)} << "new"
                              << "Cannot open map file";
    QTest::newRow("empty path") << QStringList{u"\"\""_s} << "new"
                                << "Cannot open map file";
    QTest::newRow("wrong signature: all-zero grid") << QStringList{m_dir.filePath(u"junk.kmp"_s)} << "zero"
                                                    << "Not valid map file";
}

void TestStartup::firstMap()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    Editor e(arguments);
    frmMain &w = *e.window;
    if (message.isEmpty()) {
        QVERIFY(e.platform.messages.isEmpty());
    } else {
        QCOMPARE(e.platform.messages.size(), 1);
        QVERIFY(e.platform.messages[0].startsWith(message));
        if (message.startsWith(QStringLiteral("Cannot")))
            QVERIFY(e.platform.messages[0].contains(QString::fromUtf8(mapPathFromArgument(arguments[0].toUtf8()))));
    }
    MapGrid grid;
    if (expected == QLatin1String("new"))
        applyNewMapDefaults(grid);
    else if (expected == QLatin1String("stored"))
        grid = m_stored;
    QVERIFY(w.MapCells() == grid);
    QVERIFY(w.MapFileName().isEmpty());
    // Without a catalogue the edit layer stays 0 and the label untouched.
    QCOMPARE(int(inside(w).CurrentLayer), 0);
    QCOMPARE(inside(w).Label2->text(), QStringLiteral("Set layer"));
    QCOMPARE(inside(w).picMap->cursorFrame().rect().size(), QSize(40, 40));
    // The canvas shows the first map.
    const QRgb topLeft = e.pixel(20, 20);
    if (expected == QLatin1String("new"))
        QCOMPARE(topLeft, qRgb(192, 192, 192)); // sprite 1 without a picture
    else if (expected == QLatin1String("stored"))
        QCOMPARE(topLeft, qRgb(0, 0, 255));
    else
        QCOMPARE(topLeft, qRgb(0, 0, 0));
    // Loading never creates a file.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestStartup::firstSaveAsksEvenAfterACommandLineMap()
{
    Editor e({m_dir.filePath(u"level.kmp"_s)});
    e.platform.saveAnswers.push_back(std::nullopt);
    e.window->mnuFileSave_Click();
    QCOMPARE(e.platform.saveRequests.size(), std::size_t(1));
}

void TestStartup::commandLineNameIsTakenAsBytes_data()
{
    QTest::addColumn<QByteArray>("name"); // in the temporary folder
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("argument"); // with the folder's path, as the shell passes it
    QTest::newRow("Cyrillic (valid UTF-8)") << QByteArray("уровень.kmp") << true << QByteArray("уровень.kmp");
    QTest::newRow("not valid UTF-8") << QByteArray("bad\xff\xfe.kmp") << true << QByteArray("bad\xff\xfe.kmp");
    QTest::newRow("not valid UTF-8, quoted") << QByteArray("bad\xff.kmp") << true << QByteArray("bad\xff.kmp\"");
    QTest::newRow("not valid UTF-8, missing") << QByteArray("gone\xff.kmp") << false << QByteArray("gone\xff.kmp");
}

void TestStartup::commandLineNameIsTakenAsBytes()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, exists);
    QFETCH(QByteArray, argument);
    const QByteArray folder = QFile::encodeName(m_dir.path()) + '/';
    // Qt cannot name it to remove it with the folder: removed by its bytes.
    const auto remove = qScopeGuard([&] { ::unlink((folder + name).constData()); });
    if (exists)
        QVERIFY(writeFileByName(folder + name, encodeMap(m_stored)));
    const QByteArray quote = argument.endsWith(u'"') ? QByteArray("\"") : QByteArray();
    Editor e(QByteArrayList{quote + folder + argument});
    if (exists) {
        QVERIFY2(e.platform.messages.isEmpty(), qPrintable(e.platform.messages.join(u'\n')));
        QVERIFY(e.window->MapCells() == m_stored);
    } else {
        // The message names the file as well as text can.
        QCOMPARE(e.platform.messages.size(), 1);
        QVERIFY(e.platform.messages[0].startsWith(u"Cannot open map file \""_s + m_dir.path()));
        QVERIFY(e.platform.messages[0].contains(QFile::decodeName(name)));
        MapGrid fresh;
        applyNewMapDefaults(fresh);
        QVERIFY(e.window->MapCells() == fresh);
    }
    QVERIFY(e.window->MapFileName().isEmpty());
    // A name read through /proc/self/fd never makes the dialogs start there.
    e.platform.openAnswers.push_back(std::nullopt);
    e.window->mnuFileOpen_Click();
    const bool readByItsName = exists && QString::fromUtf8(name).toUtf8() == name;
    QCOMPARE(e.platform.openRequests.back().directory, readByItsName ? m_dir.path() : QString());
}

void TestStartup::startRequestFollowsQtsConventions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("request");
    const int editor = int(StartRequest::Editor), help = int(StartRequest::Help);
    const int version = int(StartRequest::Version);
    QTest::newRow("nothing") << QStringList{} << editor;
    QTest::newRow("a map") << QStringList{u"a.kmp"_s} << editor;
    QTest::newRow("--help") << QStringList{u"--help"_s} << help;
    QTest::newRow("-h") << QStringList{u"-h"_s} << help;
    QTest::newRow("--help-all") << QStringList{u"--help-all"_s} << help;
    QTest::newRow("--version after a map") << QStringList{u"a.kmp"_s, u"--version"_s} << version;
    QTest::newRow("-v") << QStringList{u"-v"_s} << version;
    QTest::newRow("Qt's option with its value first") << QStringList{u"-style"_s, u"fusion"_s, u"-v"_s} << version;
    QTest::newRow("-reverse is one word, not -v among letters") << QStringList{u"-reverse"_s} << editor;
    QTest::newRow("-- ends the options") << QStringList{u"--"_s, u"--help"_s} << editor;
    QTest::newRow("./--help is a map") << QStringList{u"./--help"_s} << editor;
}

void TestStartup::startRequestFollowsQtsConventions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, request);
    QByteArrayList bytes;
    for (const QString &argument : std::as_const(arguments))
        bytes << argument.toUtf8();
    QCOMPARE(int(startRequest(bytes)), request);
}

void TestStartup::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform"); // QT_QPA_PLATFORM; empty: unset
    QTest::addColumn<QString>("output");
    // Under xcb with no DISPLAY, QApplication would abort: answering proves
    // that no display was opened.
    QTest::newRow("--help, no platform named") << QStringList{u"--help"_s} << "" << helpText();
    QTest::newRow("--help under xcb") << QStringList{u"--help"_s} << "xcb" << helpText();
    const QString version = u"kestrun-editor "_s + QLatin1String(VersionString) + u'\n';
    QTest::newRow("--version under xcb") << QStringList{u"--version"_s} << "xcb" << version;
    QTest::newRow("-v after a map under xcb") << QStringList{u"a.kmp"_s, u"-v"_s} << "xcb" << version;
}

void TestStartup::helpAndVersionNeedNoDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);
    QFETCH(QString, output);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    if (!platform.isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.setWorkingDirectory(m_dir.path());
    editor.start(QStringLiteral(KESTRUN_EDITOR_PROGRAM), arguments);
    QVERIFY(editor.waitForFinished(60000));
    QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(QString::fromUtf8(editor.readAllStandardError()), QString());
    QCOMPARE(editor.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(editor.readAllStandardOutput()), output);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
