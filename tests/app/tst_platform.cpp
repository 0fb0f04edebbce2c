// The real platform services, headless: the file dialogs answered by a timer,
// and the settings store in a temporary configuration folder.
#include "AppIdentity.h"
#include "QtPlatformServices.h"
#include "QtTranslation.h"
#include "UserSettings.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QFileInfo>
#include <QLineEdit>
#include <QFileSystemModel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QScopeGuard>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

// Runs `answer` on whichever modal dialog is up first.
void whenModalShown(const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer(qApp);
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, deadline] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            answer(dialog);
    });
    poll->start(10);
}

// Runs `answer` on the file dialog once it is up and waiting.
void whenDialogShown(const std::function<void(QFileDialog *)> &answer)
{
    whenModalShown([answer](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal))
            answer(dialog);
    });
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
public:
    explicit TestPlatform(QString configFolder)
        : m_config(std::move(configFolder))
    {
    }

private slots:
    void fileDialogs_data();
    void fileDialogs();
    void fileDialogsStartWhereAskedWithTheirOwnTitle_data();
    void fileDialogsStartWhereAskedWithTheirOwnTitle();
    void fileDialogsTellTypesByName_data();
    void fileDialogsTellTypesByName();
    void settingsRoundTrip();
    void settingsThatAreNotARegularFileLastThisRun();
    void startUpDialogsBelongToTheSplash_data();
    void startUpDialogsBelongToTheSplash();
    void qtTranslation_data();
    void qtTranslation();

private:
    QString m_config;
    QTemporaryDir m_dir;
};

void TestPlatform::fileDialogs_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("accept");
    // The dialog opens with an existing file's name in its field, so a
    // Cancel that handed back the selection would be seen.
    QTest::newRow("Open, cancelled") << false << false;
    QTest::newRow("Open, chosen") << false << true;
    QTest::newRow("Save As, cancelled") << true << false;
    QTest::newRow("Save As, chosen") << true << true;
}

void TestPlatform::fileDialogs()
{
    QFETCH(bool, save);
    QFETCH(bool, accept);
    QVERIFY(m_dir.isValid());
    const QString offered = m_dir.filePath(u"offered.kmp"_s);
    const QString chosen = m_dir.filePath(u"chosen.kmp"_s);
    QVERIFY(writeFile(offered, "x") && writeFile(chosen, "y"));

    QString shownFilter;
    whenDialogShown([&](QFileDialog *dialog) {
        shownFilter = dialog->selectedNameFilter();
        // Whatever happens below, the dialog does not stay open.
        const auto close = qScopeGuard([dialog] {
            if (dialog->isVisible())
                dialog->reject();
        });
        if (!accept)
            return;
        // As a user would: type the other file's name over the offered one
        // in the name field, once the folder is listed.
        auto *model = dialog->findChild<QFileSystemModel *>();
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        QVERIFY(model && name);
        QTRY_VERIFY(model->index(chosen).isValid() && model->index(offered).isValid());
        dialog->activateWindow(); // typing goes to the focused field of the active window
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        QTest::keyClicks(name, QFileInfo(chosen).fileName());
        static_cast<QDialog *>(dialog)->accept(); // as the Open or Save button does
    });
    QtPlatformServices platform;
    const FileDialogRequest request{u"Все файлы (*.*)|*.*|Карты Kestrun (*.kmp)|*.kmp"_s, 2, offered, QString()};
    const std::optional<QString> answer =
        save ? platform.saveFileDialog(nullptr, request) : platform.openFileDialog(nullptr, request);

    QCOMPARE(shownFilter, u"Карты Kestrun (*.kmp)"_s);
    if (accept)
        QCOMPARE(answer.value_or(u"<none>"_s), chosen);
    else
        QVERIFY2(!answer, qPrintable(answer.value_or(QString())));
}

void TestPlatform::fileDialogsStartWhereAskedWithTheirOwnTitle_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("fileName"); // in the folder "named"; empty: none
    QTest::addColumn<QString>("shownFolder");
    QTest::addColumn<QString>("shownName");
    QTest::newRow("Open in the folder") << false << ""
                                        << "asked"
                                        << "";
    QTest::newRow("Save As in the folder") << true << ""
                                           << "asked"
                                           << "";
    // Open's name field keeps the last chosen file, whose folder wins.
    QTest::newRow("Open with a name elsewhere") << false << "level.kmp"
                                                << "named"
                                                << "level.kmp";
}

void TestPlatform::fileDialogsStartWhereAskedWithTheirOwnTitle()
{
    QFETCH(bool, save);
    QFETCH(QString, fileName);
    QFETCH(QString, shownFolder);
    QFETCH(QString, shownName);
    QVERIFY(m_dir.isValid());
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(u"asked"_s) && dir.mkpath(u"named"_s));
    QVERIFY(writeFile(m_dir.filePath(u"named/level.kmp"_s), "x"));

    QString title, folder, name = u"<not shown>"_s;
    whenDialogShown([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath();
        if (auto *field = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s))
            name = field->text();
        dialog->reject();
    });
    QtPlatformServices platform;
    const FileDialogRequest request{u"Все файлы (*.*)|*.*"_s, 1,
                                    fileName.isEmpty() ? QString() : m_dir.filePath(u"named/"_s + fileName),
                                    m_dir.filePath(u"asked"_s)};
    save ? platform.saveFileDialog(nullptr, request) : platform.openFileDialog(nullptr, request);

    // Qt's own title, not the application's: no translation is loaded here.
    QCOMPARE(title, save ? u"Save As"_s : u"Open"_s);
    QCOMPARE(folder, QDir(m_dir.filePath(shownFolder)).absolutePath());
    QCOMPARE(name, shownName);
}

void TestPlatform::fileDialogsTellTypesByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "fifo": a named pipe without a writer
    QTest::addColumn<QString>("type");       // shown in the dialog; "png": a PNG image's, "": not a PNG's, "-": none
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("a map holding PNG bytes") << "x.kmp" << png << "";
    QTest::newRow("a .png holding text") << "picture.png" << QByteArray("text") << "png";
    // Not listed, or not yet known to be a pipe; reading it would wait for a writer for ever, so a fault
    // hangs the test (the dialog waits for its file-information thread).
    QTest::newRow("a named pipe") << "pipe.kmp" << QByteArray("fifo") << "-";
}

void TestPlatform::fileDialogsTellTypesByName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, type);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(name);
    QVERIFY(content == "fifo" ? makeNamedPipe(file) : writeFile(file, content));
    const QString listed = folder.filePath(u"listed.kmp"_s); // a plain file: the folder is listed
    QVERIFY(writeFile(listed, "x"));
    const QString pngType = QMimeDatabase().mimeTypeForName(u"image/png"_s).comment();

    QString shownType = u"<not shown>"_s;
    whenDialogShown([&](QFileDialog *dialog) {
        const auto close = qScopeGuard([dialog] { dialog->reject(); });
        auto *model = dialog->findChild<QFileSystemModel *>();
        QVERIFY(model);
        QTRY_VERIFY(model->index(listed).isValid());
        shownType = model->index(file).isValid() ? model->type(model->index(file)) : u"-"_s;
    });
    QtPlatformServices platform;
    platform.openFileDialog(nullptr, {u"Все файлы (*.*)|*.*"_s, 1, QString(), folder.path()});
    if (type == u"png"_s)
        QCOMPARE(shownType, pngType);
    else if (type == u"-"_s) // left out, or listed for a moment as a special file: never read
        QVERIFY2(shownType == type || shownType == QFileIconProvider().type(QFileInfo(file)), qPrintable(shownType));
    else
        QVERIFY2(shownType != pngType && shownType != u"<not shown>"_s, qPrintable(shownType));
}

void TestPlatform::startUpDialogsBelongToTheSplash_data()
{
    QTest::addColumn<bool>("prompt"); // the input box, or else a message
    QTest::addColumn<bool>("splashShown");
    QTest::addColumn<int>("owner");    // 0 none, 1 a hidden window, 2 a window on screen
    QTest::addColumn<int>("expected"); // 0 none, 1 the splash, 2 the owner

    for (const bool prompt : {true, false}) {
        const char *kind = prompt ? "prompt" : "message";
        QTest::addRow("%s, no owner, splash up", kind) << prompt << true << 0 << 1;
        QTest::addRow("%s, owner not shown yet, splash up", kind) << prompt << true << 1 << 1;
        QTest::addRow("%s, owner on screen, splash up", kind) << prompt << true << 2 << 2;
        QTest::addRow("%s, no owner, no splash", kind) << prompt << false << 0 << 0;
        QTest::addRow("%s, owner not shown, no splash", kind) << prompt << false << 1 << 2;
    }
}

void TestPlatform::startUpDialogsBelongToTheSplash()
{
    QFETCH(bool, prompt);
    QFETCH(bool, splashShown);
    QFETCH(int, owner);
    QFETCH(int, expected);

    QWidget splash(nullptr, Qt::SplashScreen);
    splash.resize(200, 100);
    if (splashShown) {
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
    }
    QWidget window;
    window.resize(300, 200);
    if (owner == 2) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QWidget *given = owner == 0 ? nullptr : &window;

    QWidget *shownOver = &splash; // anything but the answers below
    bool answered = false;
    whenModalShown([&](QWidget *dialog) {
        answered = true;
        shownOver = dialog->parentWidget();
        dialog->close();
    });
    QtPlatformServices platform;
    if (prompt)
        platform.inputBox(given, u"Folder?"_s, QString());
    else
        platform.showMessage(given, u"Message"_s);

    QVERIFY(answered);
    QWidget *const answers[] = {nullptr, &splash, &window};
    QCOMPARE(shownOver, answers[expected]);
}

void TestPlatform::settingsRoundTrip()
{
    QtPlatformServices platform;
    const QString folder = u"/games/kestrun/"_s;
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, u"none"_s), u"none"_s);
    platform.saveSetting(AppTitle, GameFolderSection, GameFolderKey, folder);
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, QString()), folder);

    // Where another program (or the next start) finds it: application
    // "Kestrunle", section "settings", key "gamepath".
    const QString file = m_config + u"/Kestrunle/Kestrunle.conf"_s;
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QCOMPARE(QSettings(file, QSettings::IniFormat).value(u"settings/gamepath"_s).toString(), folder);

    platform.deleteSetting(AppTitle, GameFolderSection, GameFolderKey);
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, u"none"_s), u"none"_s);
    QVERIFY(!QSettings(file, QSettings::IniFormat).contains(u"settings/gamepath"_s));
}

void TestPlatform::settingsThatAreNotARegularFileLastThisRun()
{
    // The pipe is held open for writing here, so that a store that opened it
    // anyway would not block; it would read nothing, and a save would put a
    // regular file in its place.
    const QString file = m_config + u"/Kestrunle/Kestrunle.conf"_s;
    QFile::remove(file);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QVERIFY(mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    const int writer = ::open(QFile::encodeName(file).constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(writer >= 0);
    const auto cleanup = qScopeGuard([&] {
        ::close(writer);
        QFile::remove(file);
    });
    QVERIFY(!settingsStoreRefusal(AppTitle).isEmpty());

    QtPlatformServices platform;
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, u"none"_s), u"none"_s);
    platform.saveSetting(AppTitle, GameFolderSection, GameFolderKey, u"/games/kestrun/"_s);
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, QString()), u"/games/kestrun/"_s);
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(file).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    QVERIFY(!QFile::exists(file + u".lock"_s));
    platform.deleteSetting(AppTitle, GameFolderSection, GameFolderKey);
    QCOMPARE(platform.setting(AppTitle, GameFolderSection, GameFolderKey, u"none"_s), u"none"_s);
}

void TestPlatform::qtTranslation_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("title"); // of the Save As dialog
    QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << true << u"Сохранить как"_s;
    QTest::newRow("the C locale: none") << QLocale::c() << false << u"Save As"_s;
}

void TestPlatform::qtTranslation()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, installed);
    QFETCH(QString, title);
    // Whatever happens, no translation stays for the next test.
    const auto uninstall = qScopeGuard([] { qDeleteAll(qApp->findChildren<QTranslator *>()); });
    QCOMPARE(installQtTranslation(locale), installed);

    QString shown;
    whenDialogShown([&](QFileDialog *dialog) {
        shown = dialog->windowTitle();
        dialog->reject();
    });
    QtPlatformServices().saveFileDialog(nullptr, {u"Все файлы (*.*)|*.*"_s, 1, QString(), m_dir.path()});
    QCOMPARE(shown, title);
}

int main(int argc, char **argv)
{
    // Before anything reads a setting: Qt fixes the settings folders once.
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    TestPlatform test(config.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
