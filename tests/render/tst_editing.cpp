#include "Editing.h"

#include <QTest>

using namespace kestrun;

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void cellOfPosition_data();
    void cellOfPosition();
    void pressRules_data();
    void pressRules();
    void readoutNeverShowsSprite3_data();
    void readoutNeverShowsSprite3();
    void layerCaption_data();
    void layerCaption();
};

void TestEditing::cellOfPosition_data()
{
    QTest::addColumn<double>("pixel");
    QTest::addColumn<int>("cell");
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("39") << 39.0 << 0;
    QTest::newRow("40") << 40.0 << 1;
    QTest::newRow("39.5 rounds to even 40") << 39.5 << 1;
    QTest::newRow("38.5 rounds to even 38") << 38.5 << 0;
    QTest::newRow("39.4") << 39.4 << 0;
    QTest::newRow("639") << 639.0 << 15;
    QTest::newRow("640") << 640.0 << 16;
    QTest::newRow("439") << 439.0 << 10;
    QTest::newRow("440") << 440.0 << 11;
    QTest::newRow("-1 truncates toward zero") << -1.0 << 0;
    QTest::newRow("-39") << -39.0 << 0;
    QTest::newRow("-39.5 rounds to -40") << -39.5 << -1;
    QTest::newRow("-40") << -40.0 << -1;
    QTest::newRow("far away") << 1.0e9 << 32767 / 40;
}

void TestEditing::cellOfPosition()
{
    QFETCH(double, pixel);
    QFETCH(int, cell);
    QCOMPARE(kestrun::cellOfPosition(pixel), cell);
}

void TestEditing::pressRules_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("writtenLayer"); // -1: nothing written
    QTest::addColumn<int>("value");
    // terrain brush 4, sprite brush 9
    QTest::newRow("left, layer 0") << 1 << 0 << 0 << 4;
    QTest::newRow("left, layer 1") << 1 << 1 << 1 << 9;
    QTest::newRow("left, layer 2") << 1 << 2 << 2 << 9;
    QTest::newRow("left, layer 3") << 1 << 3 << 3 << 9;
    QTest::newRow("right, layer 1 puts sprite 1 back") << 2 << 1 << 1 << 1;
    QTest::newRow("right, layer 0") << 2 << 0 << -1 << 0;
    QTest::newRow("right, layer 2") << 2 << 2 << -1 << 0;
    QTest::newRow("right, layer 3") << 2 << 3 << -1 << 0;
    QTest::newRow("middle, layer 0") << 4 << 0 << -1 << 0;
    QTest::newRow("middle, layer 1") << 4 << 1 << -1 << 0;
    QTest::newRow("left and right") << 3 << 1 << -1 << 0;
    QTest::newRow("left, layer 4") << 1 << 4 << -1 << 0;
}

void TestEditing::pressRules()
{
    QFETCH(int, button);
    QFETCH(int, layer);
    QFETCH(int, writtenLayer);
    QFETCH(int, value);
    const auto stroke = pressStroke(MouseButton(button), Layer(layer), 5, 6, 4, 9);
    QCOMPARE(stroke.has_value(), writtenLayer >= 0);
    if (stroke) {
        QCOMPARE(stroke->x, 5);
        QCOMPARE(stroke->y, 6);
        QCOMPARE(int(stroke->layer), writtenLayer);
        QCOMPARE(int(stroke->value), value);
    }
    // Outside the grid nothing is ever written.
    QVERIFY(!pressStroke(MouseButton(button), Layer(layer), 16, 0, 4, 9));
    QVERIFY(!pressStroke(MouseButton(button), Layer(layer), 0, -1, 4, 9));
}

void TestEditing::readoutNeverShowsSprite3_data()
{
    QTest::addColumn<int>("terrain");
    QTest::addColumn<int>("s1");
    QTest::addColumn<int>("s2");
    QTest::addColumn<int>("s3");
    QTest::addColumn<QString>("text");
    QTest::newRow("ground") << 1 << 1 << 0 << 0 << "Content = Ground; S = 1; S2 = 0";
    QTest::newRow("beton, sprite 3 only") << 2 << 0 << 0 << 9 << "Content = Beton; S = 0; S2 = 0";
    QTest::newRow("terrain 0") << 0 << 255 << 7 << 3 << "Content = ; S = 255; S2 = 7";
    QTest::newRow("combined code") << 5 << 10 << 100 << 0 << "Content = ; S = 10; S2 = 100";
}

void TestEditing::readoutNeverShowsSprite3()
{
    QFETCH(int, terrain);
    QFETCH(int, s1);
    QFETCH(int, s2);
    QFETCH(int, s3);
    QFETCH(QString, text);
    QCOMPARE(cellReadout(MapCell{std::uint8_t(terrain), std::uint8_t(s1), std::uint8_t(s2), std::uint8_t(s3)}), text);
}

void TestEditing::layerCaption_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<QString>("caption");
    QTest::newRow("0") << 0 << "Current layer:  0";
    QTest::newRow("2") << 2 << "Current layer:  2";
    QTest::newRow("3") << 3 << "Current layer:  3";
}

void TestEditing::layerCaption()
{
    QFETCH(int, layer);
    QFETCH(QString, caption);
    QCOMPARE(kestrun::layerCaption(layer), caption);
}

QTEST_APPLESS_MAIN(TestEditing)
#include "tst_editing.moc"
