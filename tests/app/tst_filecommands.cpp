// New, Open, Save and Save As through the scripted file dialogs.
#include "DialogFolder.h"
#include "KeyedToolBar.h"
#include "StatusBar.h"
#include "MapFile.h"
#include "support/EditorFixture.h"
#include "support/TestFiles.h"
#include "MapCanvas.h"

#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {
const QString OpenFilter = QStringLiteral("Все файлы (*.*)|*.*|Карты Kestrun (*.kmp)|*.kmp");
const QString SaveAsFilter = QStringLiteral("Все файлы (*.*)|*.*|Карта Kestrun (*.kmp)|*.kmp");

QByteArray mapBytes(const MapGrid &grid)
{
    return encodeMap(grid);
}
} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void saveOnANewMapAsksThenWrites();
    void newResetsEveryCellAndForgetsTheName();
    void dialogsStartAsTheUserExpects();
    void dialogsStartInTheLastMapsFolder_data();
    void dialogsStartInTheLastMapsFolder();
    void ordinaryFolders_data();
    void ordinaryFolders();
    void cancelChangesNothing();
    void openRejectedFileKeepsMapAndName_data();
    void openRejectedFileKeepsMapAndName();
    void saveAfterOpenWritesToTheOpenedFile();
    void failedSaveIsReportedAndKeepsTheMap();
    void toolbarRunsTheSameCommands();
    void noCommandReportsSuccess();
    void newMapsFollowTheUmask_data();
    void newMapsFollowTheUmask();

private:
    // A name in the test's folder; an absolute path as it is.
    QString path(QAnyStringView name) const
    {
        const QString given = name.toString();
        return QDir::isAbsolutePath(given) ? given : m_dir.filePath(given);
    }
    QTemporaryDir m_dir;
};

void TestFileCommands::saveOnANewMapAsksThenWrites()
{
    Editor e;
    frmMain &w = *e.window;
    putCell(w, 4, 4, MapCell{8, 3, 2, 1});
    e.platform.saveAnswers.push_back(path("first.kmp"));
    w.mnuFileSave_Click();
    QCOMPARE(e.platform.saveRequests.size(), std::size_t(1));
    QCOMPARE(w.MapFileName(), path("first.kmp"));
    QCOMPARE(readFile(path("first.kmp")), mapBytes(w.MapCells()));

    putCell(w, 5, 5, MapCell{16, 0, 0, 0});
    w.mnuFileSave_Click(); // now without a dialog
    QCOMPARE(e.platform.saveRequests.size(), std::size_t(1));
    QCOMPARE(readFile(path("first.kmp")), mapBytes(w.MapCells()));
    QCOMPARE(e.platform.unexpectedDialogs, 0);
}

void TestFileCommands::newResetsEveryCellAndForgetsTheName()
{
    Editor e;
    frmMain &w = *e.window;
    e.platform.saveAnswers.push_back(path("old.kmp"));
    w.mnuFileSaveAs_Click();
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 11; ++y)
            putCell(w, x, y, MapCell{std::uint8_t(x), std::uint8_t(y), 7, 9});
    w.cmdLayer_Click(2);
    inside(w).setEditingState({inside(w).CurrentLayer, 5, inside(w).CurrentTerrain});
    w.mnuFileNew_Click();
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 11; ++y)
            QCOMPARE(w.MapCells().cell(x, y), (MapCell{1, 1, 0, 0}));
    QVERIFY(w.MapFileName().isEmpty());
    QCOMPARE(int(inside(w).CurrentLayer), 2); // the editing state stays
    QCOMPARE(int(inside(w).CurrentSprite), 5);
    QVERIFY(e.platform.messages.isEmpty());
    // So the next Save asks rather than overwriting the old map's file.
    const QByteArray oldFile = readFile(path("old.kmp"));
    e.platform.saveAnswers.push_back(std::nullopt);
    w.mnuFileSave_Click();
    QCOMPARE(e.platform.saveRequests.size(), std::size_t(2));
    QCOMPARE(readFile(path("old.kmp")), oldFile);
}

void TestFileCommands::dialogsStartAsTheUserExpects()
{
    Editor e;
    frmMain &w = *e.window;
    // The first Open: empty name.
    e.platform.openAnswers.push_back(std::nullopt);
    w.mnuFileOpen_Click();
    // Save As: always an empty name.
    e.platform.saveAnswers.push_back(path("chosen.kmp"));
    w.mnuFileSaveAs_Click();
    // Open again: the name last chosen.
    e.platform.openAnswers.push_back(path("chosen.kmp"));
    w.mnuFileOpen_Click();
    e.platform.saveAnswers.push_back(std::nullopt);
    w.mnuFileSaveAs_Click();
    e.platform.openAnswers.push_back(std::nullopt);
    w.mnuFileOpen_Click();

    const auto &open = e.platform.openRequests;
    const auto &save = e.platform.saveRequests;
    QCOMPARE(open.size(), std::size_t(3));
    QCOMPARE(save.size(), std::size_t(2));
    for (const FileDialogRequest &r : open) {
        QCOMPARE(r.filter, OpenFilter);
        QCOMPARE(r.filterIndex, 2);
    }
    for (const FileDialogRequest &r : save) {
        QCOMPARE(r.filter, SaveAsFilter);
        QCOMPARE(r.filterIndex, 2);
        QVERIFY(r.fileName.isEmpty());
    }
    QVERIFY(open[0].fileName.isEmpty());
    QCOMPARE(open[1].fileName, path("chosen.kmp"));
    // Save As emptied the dialog's name before it was cancelled.
    QVERIFY(open[2].fileName.isEmpty());
}

void TestFileCommands::dialogsStartInTheLastMapsFolder_data()
{
    // In the temporary folder: "maps/level.kmp", a map; "maps/junk.kmp",
    // not one; "other/" and "saved/", empty folders.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("steps"); // "open NAME" or "save as NAME", answered so
    QTest::addColumn<QString>("folder");    // where the next dialogs start; empty: the current one
    QTest::addColumn<QString>("name");      // in the next Open's name field
    QTest::newRow("nothing read yet") << QStringList() << QStringList() << ""
                                      << "";
    QTest::newRow("command-line map") << QStringList{u"maps/level.kmp"_s} << QStringList() << "maps"
                                      << "";
    QTest::newRow("command-line map that is missing") << QStringList{u"other/missing.kmp"_s} << QStringList() << ""
                                                      << "";
    QTest::newRow("command-line file that is not a map") << QStringList{u"maps/junk.kmp"_s} << QStringList() << "maps"
                                                         << "";
    QTest::newRow("Open") << QStringList() << QStringList{u"open maps/level.kmp"_s} << "maps"
                          << "maps/level.kmp";
    QTest::newRow("Open, then Save As elsewhere")
        << QStringList() << QStringList{u"open maps/level.kmp"_s, u"save as saved/new.kmp"_s} << "saved"
        << "saved/new.kmp";
    // The name chosen stays, without the folder that could not be written.
    QTest::newRow("a Save As that fails keeps the last folder")
        << QStringList{u"maps/level.kmp"_s} << QStringList{u"save as nowhere/new.kmp"_s} << "maps"
        << "new.kmp";
    QTest::newRow("a Save As into /proc that fails: never /proc")
        << QStringList{u"maps/level.kmp"_s} << QStringList{u"save as /proc/level.kmp"_s} << "maps"
        << "level.kmp";
    QTest::newRow("an Open that cannot read keeps the last folder")
        << QStringList{u"maps/level.kmp"_s} << QStringList{u"open other/missing.kmp"_s} << "maps"
        << "missing.kmp";
    QTest::newRow("a file read in /proc is no folder to start in")
        << QStringList() << QStringList{u"open /proc/self/status"_s} << ""
        << "status";
}

void TestFileCommands::dialogsStartInTheLastMapsFolder()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, steps);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(u"maps"_s) && dir.mkpath(u"other"_s) && dir.mkpath(u"saved"_s));
    QVERIFY(writeMapFile(path("maps/level.kmp"), MapGrid()).ok());
    QVERIFY(writeFile(path("maps/junk.kmp"), QByteArray(726, 'x')));
    for (QString &argument : arguments)
        argument = path(argument);
    Editor e(arguments);
    frmMain &w = *e.window;
    for (const QString &step : steps) {
        if (step.startsWith(u"open "_s)) {
            e.platform.openAnswers.push_back(path(step.mid(5)));
            w.mnuFileOpen_Click();
        } else {
            e.platform.saveAnswers.push_back(path(step.mid(8)));
            w.mnuFileSaveAs_Click();
        }
    }
    e.platform.openAnswers.push_back(std::nullopt);
    w.mnuFileOpen_Click();
    e.platform.saveAnswers.push_back(std::nullopt);
    w.mnuFileSaveAs_Click();

    const QString expected = folder.isEmpty() ? QString() : path(folder);
    QCOMPARE(e.platform.openRequests.back().directory, expected);
    QCOMPARE(e.platform.saveRequests.back().directory, expected);
    QCOMPARE(e.platform.openRequests.back().fileName, name.contains(u'/') ? path(name) : name);
    QCOMPARE(e.platform.unexpectedDialogs, 0);
}

void TestFileCommands::ordinaryFolders_data()
{
    QTest::addColumn<QString>("folder"); // absolute, or in the test's folder
    QTest::addColumn<bool>("ordinary");
    QTest::newRow("a folder of maps") << "maps" << true;
    QTest::newRow("a missing folder") << "missing" << false;
    QTest::newRow("a file") << "maps/level.kmp" << false;
    QTest::newRow("a folder holding a device node") << "devices" << false;
    QTest::newRow("/proc") << "/proc" << false;
    QTest::newRow("a descriptor path's folder") << "/proc/self/fd" << false;
    QTest::newRow("/sys") << "/sys" << false;
    QTest::newRow("/dev") << "/dev" << false;
    QTest::newRow("/dev/pts") << "/dev/pts" << false;
}

void TestFileCommands::ordinaryFolders()
{
    QFETCH(QString, folder);
    QFETCH(bool, ordinary);
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(u"maps"_s) && dir.mkpath(u"devices"_s));
    QVERIFY(writeFile(path("maps/level.kmp"), "x"));
    if (folder == u"devices"_s && !makeCharacterDevice(path("devices/zero"), 1, 5))
        QSKIP("no device node can be made here (mknod needs root and CAP_MKNOD)");
    if (folder.startsWith(u'/') && !QFileInfo(folder).isDir())
        QSKIP("this machine has no such folder");
    QCOMPARE(isOrdinaryFolder(path(folder)), ordinary);
}

void TestFileCommands::cancelChangesNothing()
{
    Editor e;
    frmMain &w = *e.window;
    e.platform.saveAnswers.push_back(path("kept.kmp"));
    w.mnuFileSaveAs_Click();
    const QByteArray onDisk = readFile(path("kept.kmp"));
    putCell(w, 1, 1, MapCell{2, 2, 2, 2});
    const MapGrid edited = w.MapCells();

    e.platform.openAnswers.push_back(std::nullopt);
    w.mnuFileOpen_Click();
    e.platform.saveAnswers.push_back(std::nullopt);
    w.mnuFileSaveAs_Click();

    QVERIFY(w.MapCells() == edited);
    QCOMPARE(w.MapFileName(), path("kept.kmp"));
    QCOMPARE(readFile(path("kept.kmp")), onDisk);
    QVERIFY(e.platform.messages.isEmpty());
}

void TestFileCommands::openRejectedFileKeepsMapAndName_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong signature") << QByteArray(726, 'x') << "Not valid map file";
    QTest::newRow("wrong version") << QByteArray::fromHex("785634120300") + QByteArray(720, '\0') << "Wrong version";
    QTest::newRow("a folder") << QByteArray() << "";
}

void TestFileCommands::openRejectedFileKeepsMapAndName()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    Editor e;
    frmMain &w = *e.window;
    e.platform.saveAnswers.push_back(path("mine.kmp"));
    w.mnuFileSaveAs_Click();
    putCell(w, 2, 2, MapCell{4, 0, 0, 0});
    const MapGrid edited = w.MapCells();
    QString target = path("bad.kmp");
    if (message.isEmpty()) {
        target = path("folder.kmp");
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder.kmp"_s));
    } else {
        QVERIFY(writeFile(target, content));
    }
    const QImage canvasBefore = inside(w).picMap->image().copy();
    e.platform.openAnswers.push_back(target);
    w.mnuFileOpen_Click();
    QVERIFY(w.MapCells() == edited);
    QCOMPARE(w.MapFileName(), path("mine.kmp"));
    QCOMPARE(e.platform.messages.size(), 1);
    if (message.isEmpty())
        QVERIFY(e.platform.messages.first().contains(target));
    else
        QCOMPARE(e.platform.messages.first(), message);
    // A rejected file redraws the current map; one that cannot be read at
    // all leaves the canvas untouched.
    if (message.isEmpty())
        QCOMPARE(inside(w).picMap->image(), canvasBefore);
    else
        QCOMPARE(e.pixel(100, 100), qRgb(255, 255, 0));
}

void TestFileCommands::saveAfterOpenWritesToTheOpenedFile()
{
    Editor e;
    frmMain &w = *e.window;
    MapGrid stored;
    stored.setCell(7, 7, MapCell{16, 4, 4, 4});
    QVERIFY(writeMapFile(path("level.kmp"), stored).ok());
    e.platform.openAnswers.push_back(path("level.kmp"));
    w.mnuFileOpen_Click();
    QVERIFY(w.MapCells() == stored);
    QCOMPARE(w.MapFileName(), path("level.kmp"));
    putCell(w, 0, 0, MapCell{8, 0, 0, 0});
    w.mnuFileSave_Click();
    QVERIFY(e.platform.saveRequests.empty());
    QCOMPARE(readFile(path("level.kmp")), mapBytes(w.MapCells()));
}

void TestFileCommands::failedSaveIsReportedAndKeepsTheMap()
{
    Editor e;
    frmMain &w = *e.window;
    QVERIFY(writeFile(path("plain.txt"), "not a folder"));
    putCell(w, 3, 3, MapCell{2, 2, 2, 2});
    const MapGrid edited = w.MapCells();
    const QString impossible = path("plain.txt/map.kmp");

    e.platform.saveAnswers.push_back(impossible);
    w.mnuFileSaveAs_Click();
    QCOMPARE(w.MapFileName(), impossible); // Save As keeps the new name
    QCOMPARE(e.platform.messages.size(), 1);
    QVERIFY(e.platform.messages[0].contains(impossible));
    QVERIFY(e.platform.messages[0].startsWith(QStringLiteral("Cannot save map file")));

    w.mnuFileSave_Click(); // and Save reports the same failure again
    QCOMPARE(e.platform.messages.size(), 2);
    QVERIFY(w.MapCells() == edited);
    QCOMPARE(readFile(path("plain.txt")), QByteArray("not a folder"));
}

void TestFileCommands::toolbarRunsTheSameCommands()
{
    Editor e;
    frmMain &w = *e.window;
    w.show();
    auto click = [&](const char *key) {
        QTest::mouseClick(inside(w).tbToolBar->button(QString::fromLatin1(key)), Qt::LeftButton);
    };
    putCell(w, 1, 2, MapCell{4, 4, 4, 4});
    e.platform.saveAnswers.push_back(path("bar.kmp"));
    click("Save"); // no name yet: Save As
    QCOMPARE(w.MapFileName(), path("bar.kmp"));
    QCOMPARE(readFile(path("bar.kmp")), mapBytes(w.MapCells()));
    click("New");
    QCOMPARE(w.MapCells().cell(1, 2), (MapCell{1, 1, 0, 0}));
    QVERIFY(w.MapFileName().isEmpty());
    e.platform.openAnswers.push_back(path("bar.kmp"));
    click("Open");
    QCOMPARE(w.MapCells().cell(1, 2), (MapCell{4, 4, 4, 4}));
    QCOMPARE(e.platform.openRequests.back().filter, OpenFilter);
    QCOMPARE(e.platform.saveRequests.back().filter, SaveAsFilter);
    QCOMPARE(e.platform.unexpectedDialogs, 0);
}

void TestFileCommands::noCommandReportsSuccess()
{
    Editor e;
    frmMain &w = *e.window;
    e.move(QPointF(10, 10), Qt::NoButton);
    const QString status = QStringLiteral("Content = Ground; S = 1; S2 = 0");
    e.platform.saveAnswers.push_back(path("quiet.kmp"));
    w.mnuFileSaveAs_Click();
    w.mnuFileSave_Click();
    e.platform.openAnswers.push_back(path("quiet.kmp"));
    w.mnuFileOpen_Click();
    w.mnuFileNew_Click();
    QVERIFY(e.platform.messages.isEmpty());
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrunle"));
    e.move(QPointF(700, 10), Qt::NoButton); // outside: the readout stays
    QCOMPARE(inside(*e.window).sbStatusBar->panel(1)->text(), status);
}

void TestFileCommands::newMapsFollowTheUmask_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    // A shared level folder's colleagues read what the editor creates.
    QTest::newRow("022") << 022 << 0644;
    QTest::newRow("002: the group may write") << 002 << 0664;
    QTest::newRow("077: private") << 077 << 0600;
}

void TestFileCommands::newMapsFollowTheUmask()
{
    QFETCH(int, umask);
    QFETCH(int, mode);
    Editor e;
    const mode_t previous = ::umask(mode_t(umask));
    const auto restore = qScopeGuard([previous] { ::umask(previous); });
    const QString file = path(QStringLiteral("new-%1.kmp").arg(umask, 3, 8, QLatin1Char('0')));
    e.platform.saveAnswers.push_back(file);
    inside(*e.window).mnuFileSave->trigger();
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
    QVERIFY(e.platform.messages.isEmpty());
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
