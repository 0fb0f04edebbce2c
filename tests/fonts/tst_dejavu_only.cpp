// The restricted font set of the DejaVu-only runs: only DejaVu's faces are
// offered, and families resolve as on a machine that has only them. A
// fontconfig file that fontconfig cannot read would silently bring back the
// system's fonts and leave those runs testing nothing.
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTest>

class TestDejaVuOnly : public QObject {
    Q_OBJECT
private slots:
    void onlyDejaVuIsInstalled();
    void familiesResolve_data();
    void familiesResolve();
};

void TestDejaVuOnly::onlyDejaVuIsInstalled()
{
    // Qt lists the generic families under names of its own besides the faces.
    const QStringList generic{QStringLiteral("Sans Serif"), QStringLiteral("Serif"), QStringLiteral("Monospace")};
    const QStringList families = QFontDatabase::families();
    QVERIFY(families.contains(QStringLiteral("DejaVu Sans")));
    for (const QString &family : families)
        QVERIFY2(family.startsWith(QStringLiteral("DejaVu ")) || generic.contains(family), qPrintable(family));
}

void TestDejaVuOnly::familiesResolve_data()
{
    QTest::addColumn<QString>("requested"); // empty: the application's default font
    QTest::addColumn<QString>("resolved");
    QTest::newRow("sans-serif") << QStringLiteral("sans-serif") << QStringLiteral("DejaVu Sans");
    QTest::newRow("serif") << QStringLiteral("serif") << QStringLiteral("DejaVu Serif");
    QTest::newRow("monospace") << QStringLiteral("monospace") << QStringLiteral("DejaVu Sans Mono");
    QTest::newRow("default font") << QString() << QStringLiteral("DejaVu Sans");
    QTest::newRow("a family not installed") << QStringLiteral("Kestrun No Such Face") << QStringLiteral("DejaVu Sans");
}

void TestDejaVuOnly::familiesResolve()
{
    QFETCH(QString, requested);
    QFETCH(QString, resolved);
    const QFont font = requested.isEmpty() ? QGuiApplication::font() : QFont(requested);
    QCOMPARE(QFontInfo(font).family(), resolved);
}

QTEST_MAIN(TestDejaVuOnly)
#include "tst_dejavu_only.moc"
