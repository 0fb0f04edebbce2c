// kmp gallery: the page opened in headless Chromium (every thumbnail loads,
// the console stays silent, the filters show the right cards), names shown as
// text, and the cards' statuses and sprite counts.
#include "KmpTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QString Hostile = u"<img src=x onerror=document.title=1>.kmp"_s;

} // namespace

class TestKmpGallery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cards();
    void pageInABrowser_data();
    void pageInABrowser();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GameFolder> m_game;
    KmpRun m_run;
};

void TestKmpGallery::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_game = std::make_unique<GameFolder>(1, 7);
    MapGrid clean;
    applyNewMapDefaults(clean);
    QVERIFY(writeFile(u"clean.kmp"_s, mapFileBytes(clean)));
    QVERIFY(writeFile(u"showcase.kmp"_s, mapFileBytes(showcaseGrid()))); // sprite 200 unlisted: errors
    QVERIFY(writeFile(u"short.kmp"_s, mapFileBytes(clean).left(700)));   // a warning
    QVERIFY(writeFile(u"broken.kmp"_s, "no map"));
    QVERIFY(writeFile(Hostile, mapFileBytes(clean)));
    m_run = runKmpHere({u"gallery"_s, u"--game"_s, m_game->folder, u"--size"_s, u"160"_s, u"--out-dir"_s, u"page"_s,
                        u"clean.kmp"_s, u"showcase.kmp"_s, u"short.kmp"_s, u"broken.kmp"_s, Hostile});
}

void TestKmpGallery::cards()
{
    // A map that is no map gets a card, not a failure of the command.
    QCOMPARE(m_run.err, QString());
    QCOMPARE(m_run.status, 0);
    QCOMPARE(QDir(u"page/thumbs"_s).entryList(QDir::Files),
             (QStringList{Hostile.chopped(4) + u".png"_s, u"clean.png"_s, u"short.png"_s, u"showcase.png"_s}));
    QCOMPARE(QImage(u"page/thumbs/clean.png"_s).size(), QSize(160, 110));
    const QString html = QString::fromUtf8(readFile(u"page/index.html"_s));
    QVERIFY(!html.contains(u"<img src=x"_s));
    QVERIFY(html.contains(u"&lt;img src=x onerror=document.title=1&gt;.kmp"_s));
    // Each card's status and sprite count, in the maps' order.
    static const QRegularExpression Card(
        uR"re(<div class="name">([^<]*)</div>\n<span class="status (\w+)">\w+</span>(\d* ?\w*))re"_s);
    QStringList found;
    for (auto match = Card.globalMatch(html); match.hasNext();) {
        const auto card = match.next();
        found << card.captured(1) + u' ' + card.captured(2) + u' ' + card.captured(3);
    }
    QCOMPARE(found,
             (QStringList{u"clean.kmp clean 176 sprites"_s, u"showcase.kmp errors 203 sprites"_s,
                          u"short.kmp warnings 170 sprites"_s, u"broken.kmp errors "_s,
                          u"&lt;img src=x onerror=document.title=1&gt;.kmp clean 176 sprites"_s}));
    QVERIFY(html.contains(u"sprite 200 is not in the catalogue: 11 cells"_s));
}

void TestKmpGallery::pageInABrowser_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    const QString hostileName = Hostile;
    QTest::newRow("everything") << QString()
                                << QStringList{u"clean.kmp"_s, u"showcase.kmp"_s, u"short.kmp"_s, u"broken.kmp"_s,
                                               hostileName};
    QTest::newRow("name, any case") << u"&name=SHO"_s << QStringList{u"showcase.kmp"_s, u"short.kmp"_s};
    QTest::newRow("name of markup") << u"&name=%3Cimg"_s << QStringList{hostileName};
    QTest::newRow("errors") << u"&status=errors"_s << QStringList{u"showcase.kmp"_s, u"broken.kmp"_s};
    QTest::newRow("clean and a name") << u"&status=clean&name=lea"_s << QStringList{u"clean.kmp"_s};
    QTest::newRow("nothing") << u"&status=unchecked"_s << QStringList{};
}

void TestKmpGallery::pageInABrowser()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    const QString chromium = QStandardPaths::findExecutable(u"chromium"_s);
    if (chromium.isEmpty())
        QSKIP("Debian's chromium is not installed (tools/ensure-packages.sh installs it; Ubuntu has only a snap)");
    QProcess browser;
    browser.setProgram(chromium);
    browser.setArguments(
        {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--user-data-dir="_s + m_dir.filePath(u"chromium"_s),
         u"--virtual-time-budget=10000"_s, u"--enable-logging=stderr"_s, u"--v=0"_s, u"--dump-dom"_s,
         QUrl::fromLocalFile(m_dir.filePath(u"page/index.html"_s)).toString() + u"?selftest"_s + filter});
    browser.start();
    QVERIFY(browser.waitForFinished(180000));
    const QString log = QString::fromUtf8(browser.readAllStandardError());
    QVERIFY2(!log.contains(u":CONSOLE"_s), qPrintable(log));
    static const QRegularExpression Result(u"data-selftest=\"([^\"]*)\""_s);
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const auto match = Result.match(dom);
    QVERIFY2(match.hasMatch(), qPrintable(log));
    QTextDocument unescape;
    unescape.setHtml(match.captured(1));
    const QJsonObject result = QJsonDocument::fromJson(unescape.toPlainText().toUtf8()).object();
    QCOMPARE(result[u"cards"_s].toInt(), 5);
    QCOMPARE(result[u"broken"_s].toArray(), QJsonArray());
    QStringList names;
    for (const QJsonValue name : result[u"shown"_s].toArray())
        names << name.toString();
    QCOMPARE(names, shown);
    // The hostile name stayed text: its onerror never ran.
    QVERIFY(dom.contains(u"<title>5 levels</title>"_s));
}

QTEST_MAIN(TestKmpGallery)
#include "tst_kmp_gallery.moc"
