// Start-up with the game folder: asking for it once, remembering it, and what
// the window shows after a catalogue that loads or fails.
#include "SpriteList.h"
#include "frmMain.h"
#include "PictureFile.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowAccess.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QScrollBar>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QString GamePathKey = ScriptedPlatform::settingKey(u"Kestrunle"_s, u"settings"_s, u"gamepath"_s);
const QString Prompt = QStringLiteral("Где лежит tileset.dat? (e.g. C:\\Ex\\cprogs\\borvaneNDX\\dist\\)");

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestCatalogueStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void asksOnceAndStoresTheAnswerBeforeReading();
    void storedFolderIsUsedWithoutAsking();
    void emptyAnswerIsStoredAndMeansTheCurrentDirectory();
    void failedLoad_data();
    void failedLoad();
    void longEntriesKeepTheirEndsInView();
    void elideFileName_data();
    void elideFileName();

private:
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    void writeGameFolder(const QByteArray &catalogue, const QStringList &pictures);

    QTemporaryDir m_dir;
    QTemporaryDir m_elsewhere; // an empty current directory
    QString m_previousDirectory;
};

void TestCatalogueStartup::init()
{
    m_dir = QTemporaryDir();
    m_elsewhere = QTemporaryDir();
    QVERIFY(m_dir.isValid() && m_elsewhere.isValid());
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_elsewhere.path()));
}

void TestCatalogueStartup::cleanup()
{
    QDir::setCurrent(m_previousDirectory);
}

void TestCatalogueStartup::writeGameFolder(const QByteArray &catalogue, const QStringList &pictures)
{
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, catalogue));
    int shade = 0;
    for (const QString &name : pictures)
        QVERIFY(writeSolidBmp(folder() + name, 40, 40, QColor(40 * shade++, 100, 50)));
}

void TestCatalogueStartup::asksOnceAndStoresTheAnswerBeforeReading()
{
    writeGameFolder("3=c.bmp\r\n1=a.bmp\r\n2=b.bmp\r\n", {u"a.bmp"_s, u"b.bmp"_s, u"c.bmp"_s});
    ScriptedPlatform platform;
    platform.inputAnswers = {folder()};
    QStringList storedWhileLoading;
    platform.pictureLoader = [&](const QString &path) {
        storedWhileLoading << platform.settings.value(GamePathKey, u"<absent>"_s);
        return loadPictureFile(path);
    };

    {
        frmMain window(platform, {});
        window.Form_Load();

        QCOMPARE(platform.inputPrompts, QStringList{Prompt});
        QCOMPARE(storedWhileLoading, QStringList(3, folder()));
        QCOMPARE(platform.settings.value(GamePathKey), folder());
        QCOMPARE(listTexts(inside(window).lstSP), (QStringList{u"c.bmp"_s, u"a.bmp"_s, u"b.bmp"_s}));
        // The first entry is selected and its selection handler has run.
        QCOMPARE(inside(window).lstSP->currentRow(), 0);
        QCOMPARE(inside(window).CurrentSprite, 3);
        QCOMPARE(inside(window).CurrentLayer, Layer::Sprite1);
        QCOMPARE(inside(window).Label2->text(), QStringLiteral("Current layer:  1"));
        QVERIFY(platform.messages.isEmpty());
    }

    // The next start finds the folder and does not ask.
    frmMain next(platform, {});
    next.Form_Load();
    QCOMPARE(platform.inputPrompts.size(), 1);
    QCOMPARE(platform.unexpectedDialogs, 0);
    QCOMPARE(inside(next).lstSP->count(), 3);
}

void TestCatalogueStartup::storedFolderIsUsedWithoutAsking()
{
    writeGameFolder("1=a.bmp\r\n2=b.bmp\r\n", {u"a.bmp"_s, u"b.bmp"_s});
    ScriptedPlatform platform;
    platform.settings.insert(GamePathKey, folder());
    frmMain window(platform, {});
    window.Form_Load();

    QVERIFY(platform.inputPrompts.isEmpty());
    QCOMPARE(platform.unexpectedDialogs, 0);
    QCOMPARE(platform.picturesLoaded.mid(0, 2), (QStringList{folder() + u"a.bmp"_s, folder() + u"b.bmp"_s}));
    QCOMPARE(platform.settings.value(GamePathKey), folder());
    QCOMPARE(inside(window).CurrentSprite, 1);
    QCOMPARE(inside(window).CurrentLayer, Layer::Sprite1);
}

void TestCatalogueStartup::emptyAnswerIsStoredAndMeansTheCurrentDirectory()
{
    // Cancel answers the empty string: it is stored, and the catalogue is
    // then looked for in the current directory.
    writeGameFolder("7=a.bmp\r\n", {u"a.bmp"_s});
    QVERIFY(QDir::setCurrent(m_dir.path()));
    ScriptedPlatform platform;
    platform.inputAnswers = {QString()};
    frmMain window(platform, {});
    window.Form_Load();

    QCOMPARE(platform.inputPrompts.size(), 1);
    QVERIFY(platform.settings.contains(GamePathKey));
    QCOMPARE(platform.settings.value(GamePathKey), QString());
    QCOMPARE(listTexts(inside(window).lstSP), QStringList{u"a.bmp"_s});
    QCOMPARE(inside(window).CurrentSprite, 7);
}

void TestCatalogueStartup::failedLoad_data()
{
    QTest::addColumn<QString>("answer"); // typed into the prompt; "%1" is the game folder
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QStringList>("list");

    const QString typed = QStringLiteral("%1/");
    QTest::newRow("missing picture keeps the list before it")
        << typed << QByteArray("1=a.bmp\r\n2=missing.bmp\r\n3=b.bmp\r\n") << QStringList{u"a.bmp"_s};
    QTest::newRow("index out of range") << typed << QByteArray("1=a.bmp\r\n2=b.bmp\r\n256=a.bmp\r\n")
                                        << QStringList{u"a.bmp"_s, u"b.bmp"_s};
    QTest::newRow("empty catalogue") << typed << QByteArray() << QStringList{};
    QTest::newRow("folder typed without its separator")
        << QStringLiteral("%1") << QByteArray("1=a.bmp\r\n") << QStringList{};
    QTest::newRow("Cancel, no catalogue in the current directory")
        << QString() << QByteArray("1=a.bmp\r\n") << QStringList{};
}

void TestCatalogueStartup::failedLoad()
{
    QFETCH(QString, answer);
    QFETCH(QByteArray, catalogue);
    QFETCH(QStringList, list);

    writeGameFolder(catalogue, {u"a.bmp"_s, u"b.bmp"_s});
    ScriptedPlatform platform;
    platform.inputAnswers = {answer.isEmpty() ? answer : answer.arg(m_dir.path())};
    frmMain window(platform, {});
    window.Form_Load();

    QCOMPARE(platform.inputPrompts.size(), 1);
    QVERIFY(!platform.settings.contains(GamePathKey)); // the next start asks again
    QCOMPARE(listTexts(inside(window).lstSP), list);
    QCOMPARE(inside(window).lstSP->currentRow(), -1);
    QVERIFY(inside(window).lstSP->selectedItems().isEmpty());
    QCOMPARE(inside(window).CurrentSprite, 0);
    QCOMPARE(inside(window).CurrentLayer, Layer::Terrain);
    QCOMPARE(inside(window).Label2->text(), QStringLiteral("Set layer"));
    QVERIFY(platform.messages.isEmpty());
}

void TestCatalogueStartup::longEntriesKeepTheirEndsInView()
{
    // Entries that differ only at their ends, after a start wider than the list.
    const QString start = u"bases\\player_start_position_of_the_team_"_s;
    const QStringList names{start + u"first.bmp"_s, start + u"blue.bmp"_s, start + u"gray.bmp"_s};
    QVERIFY(QDir(m_dir.path()).mkdir(u"bases"_s));
    QByteArray catalogue;
    for (int i = 0; i < names.size(); ++i)
        catalogue += QByteArray::number(i + 1) + '=' + names[i].toLatin1() + "\r\n";
    writeGameFolder(catalogue, QStringList(names).replaceInStrings(u"\\"_s, u"/"_s));
    ScriptedPlatform platform;
    platform.settings.insert(GamePathKey, folder());
    frmMain window(platform, {});
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SpriteList *list = inside(window).lstSP;
    QCOMPARE(listTexts(list), names);

    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->item(i)->toolTip(), names[i]);
    // Each entry is cut to the list's width, not scrolled out of view...
    QVERIFY(QFontMetrics(list->font()).horizontalAdvance(start) > list->viewport()->width());
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    QCOMPARE(list->visualItemRect(list->item(1)).width(), list->viewport()->width());
    // ...keeping their ends: rows 1 and 2, neither selected, do not look
    // alike (cut at their right, both would show the same start).
    const auto shown = [list](int row) {
        return list->viewport()->grab(list->visualItemRect(list->item(row))).toImage();
    };
    QVERIFY(shown(1) != shown(2));
}

void TestCatalogueStartup::elideFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("widthOf"); // the width given is this text's
    QTest::addColumn<int>("extra");       // plus this many pixels
    QTest::addColumn<QString>("shown");   // empty: the name cut in its middle

    const QString name = u"bases\\player_base.bmp"_s;
    QTest::newRow("fits") << name << name << 0 << name;
    QTest::newRow("fits, with room") << name << name << 30 << name;
    QTest::newRow("the folder is cut first")
        << u"objects\\bush.bmp"_s << u"obj\u2026\\bush.bmp"_s << 0 << u"obj\u2026\\bush.bmp"_s;
    QTest::newRow("most of the folder cut")
        << name << u"b\u2026\\player_base.bmp"_s << 0 << u"b\u2026\\player_base.bmp"_s;
    QTest::newRow("no folder left") << name << u"\u2026\\player_base.bmp"_s << 0 << u"\u2026\\player_base.bmp"_s;
    QTest::newRow("the folder's mark only") << name << u"\u2026player_base.bmp"_s << 0 << u"\u2026player_base.bmp"_s;
    QTest::newRow("the name alone is too long") << name << u"player_base.bmp"_s << -1 << QString();
    QTest::newRow("slash folders") << u"bases/enemy_base.bmp"_s << u"ba\u2026/enemy_base.bmp"_s << 0
                                   << u"ba\u2026/enemy_base.bmp"_s;
    QTest::newRow("no folder") << u"enemy_base_of_the_north.bmp"_s << u"enemy_base"_s << 0 << QString();
    QTest::newRow("last separator counts")
        << u"abc\\def\\c.bmp"_s << u"abc\u2026\\c.bmp"_s << 0 << u"abc\u2026\\c.bmp"_s;
}

void TestCatalogueStartup::elideFileName()
{
    QFETCH(QString, fileName);
    QFETCH(QString, widthOf);
    QFETCH(int, extra);
    QFETCH(QString, shown);
    const QFontMetrics metrics(QApplication::font());
    const int width = metrics.horizontalAdvance(widthOf) + extra;
    const QString result = kestrun::elideFileName(fileName, metrics, width);
    QVERIFY2(metrics.horizontalAdvance(result) <= width, qPrintable(result));
    if (shown.isEmpty()) {
        // A name too long even alone: its middle cut, after the folder's mark.
        const qsizetype separator = fileName.lastIndexOf(u'\\');
        const QString mark = separator >= 0 ? u"\u2026"_s : QString();
        const QString ownName = fileName.mid(separator + 1);
        QCOMPARE(result, mark + metrics.elidedText(ownName, Qt::ElideMiddle, width - metrics.horizontalAdvance(mark)));
        QVERIFY(result.count(QChar(0x2026)) == (separator >= 0 ? 2 : 1));
    } else {
        QCOMPARE(result, shown);
    }
}

QTEST_MAIN(TestCatalogueStartup)
#include "tst_catalogue_startup.moc"
