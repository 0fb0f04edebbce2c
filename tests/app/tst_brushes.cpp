// The edit layer, the sprite brush from the sprite list and the layer switch.
#include "app/SpriteList.h"
#include "support/EditorFixture.h"
#include "view/Editing.h"
#include "view/MapCanvas.h"
#include "view/SpriteBuffer.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

// A map whose cell (1, 1) shows something different on every layer.
void stackedCell(frmMain &w)
{
    giveSprites(w.Sprites, 1, 12);
    w.document().clear();
    putCell(w, 1, 1, MapCell{16, 10, 11, 12});
}

} // namespace

class TestBrushes : public QObject {
    Q_OBJECT
private slots:
    void layerButtons_data();
    void layerButtons();
    void pickingASprite_data();
    void pickingASprite();
    void respOnLayer0PaintsSprite1WithoutSwitching();
    void focusingAnUnselectedListPicksNothing();
};

void TestBrushes::layerButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("shown"); // what cell (1, 1) shows: 0 terrain, else a sprite
    QTest::newRow("C") << 0 << "Current layer:  0" << 0;
    QTest::newRow("S1") << 1 << "Current layer:  1" << 10;
    QTest::newRow("S2") << 2 << "Current layer:  2" << 11;
    QTest::newRow("S3") << 3 << "Current layer:  3" << 12;
}

void TestBrushes::layerButtons()
{
    QFETCH(int, button);
    QFETCH(QString, caption);
    QFETCH(int, shown);
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    w.show();
    QTest::mouseClick(w.cmdLayer[button], Qt::LeftButton);
    QCOMPARE(int(w.CurrentLayer), button);
    QCOMPARE(w.Label2->text(), caption);
    QCOMPARE(e.pixel(60, 60), shown == 0 ? qRgb(0, 0, 255) : spriteColour(shown));
}

void TestBrushes::pickingASprite_data()
{
    QTest::addColumn<int>("layerBefore");
    QTest::addColumn<QString>("picked");
    QTest::addColumn<int>("brush");       // expected CurrentSprite
    QTest::addColumn<int>("layerAfter");
    // The list: sprite4.bmp, shared.bmp (slots 5 and 9), ghost.bmp (no slot).
    QTest::newRow("on layer 0: switches to 1") << 0 << "sprite4.bmp" << 4 << 1;
    QTest::newRow("on layer 2: stays") << 2 << "sprite4.bmp" << 4 << 2;
    QTest::newRow("a name in two slots: the lowest") << 3 << "shared.bmp" << 5 << 3;
    QTest::newRow("a name in no slot, layer 0: brush kept, still switches") << 0 << "ghost.bmp" << 2 << 1;
    QTest::newRow("a name in no slot, layer 2") << 2 << "ghost.bmp" << 2 << 2;
}

void TestBrushes::pickingASprite()
{
    QFETCH(int, layerBefore);
    QFETCH(QString, picked);
    QFETCH(int, brush);
    QFETCH(int, layerAfter);
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    w.Sprites.setFileName(5, QStringLiteral("shared.bmp"));
    w.Sprites.setFileName(9, QStringLiteral("shared.bmp"));
    w.lstSP->addItems({u"sprite4.bmp"_s, u"shared.bmp"_s, u"ghost.bmp"_s});
    w.CurrentSprite = 2;
    w.picBuf->setPicture(w.Sprites.block(2));
    w.cmdLayer_Click(layerBefore);
    w.show();
    const QImage canvasBefore = w.picMap->image().copy();

    // As the user clicks the entry.
    QListWidgetItem *item = w.lstSP->findItems(picked, Qt::MatchExactly).constFirst();
    QTest::mouseClick(w.lstSP->viewport(), Qt::LeftButton, {}, w.lstSP->visualItemRect(item).center());
    QCOMPARE(w.lstSP->currentItem(), item);

    QCOMPARE(int(w.CurrentSprite), brush);
    // The preview shows the brush, unless the layer switch redrew the map:
    // then the last sprite drawn. A name in no slot leaves it as it was.
    const bool matched = picked != QLatin1String("ghost.bmp");
    const int previewed = layerAfter != layerBefore ? 10 : matched ? brush : 11;
    QCOMPARE(w.picBuf->picture().pixel(3, 3), spriteColour(previewed));
    QCOMPARE(int(w.CurrentLayer), layerAfter);
    QCOMPARE(w.Label2->text(), layerCaption(layerAfter));
    if (layerAfter == layerBefore)
        QCOMPARE(w.picMap->image(), canvasBefore);
    else
        QCOMPARE(e.pixel(60, 60), spriteColour(10));

    // Clicking the same entry again after a switch to the terrain layer
    // picks it again and so switches back to layer 1.
    w.cmdLayer_Click(0);
    QTest::mouseClick(w.lstSP->viewport(), Qt::LeftButton, {}, w.lstSP->visualItemRect(item).center());
    QCOMPARE(int(w.CurrentLayer), 1);
}

void TestBrushes::respOnLayer0PaintsSprite1WithoutSwitching()
{
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    w.CurrentSprite = 7;
    w.cmdLayer_Click(0);
    const QImage canvasBefore = w.picMap->image().copy();
    w.tbToolBar_ButtonClick(QStringLiteral("resp."));
    QCOMPARE(int(w.CurrentLayer), 1);
    QCOMPARE(w.Label2->text(), QStringLiteral("Current layer:  0"));
    QCOMPARE(w.picMap->image(), canvasBefore);
    e.press(QPointF(60, 60), Qt::LeftButton);
    QCOMPARE(int(w.MapCells.cell(1, 1).Sprite1), 7);
    QCOMPARE(int(w.MapCells.cell(1, 1).Terrain), 16);
}

void TestBrushes::focusingAnUnselectedListPicksNothing()
{
    // As after a catalogue that failed part-way: entries, none selected.
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    w.lstSP->addItems({u"sprite4.bmp"_s, u"sprite5.bmp"_s});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.picMap->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w.picMap, Qt::Key_Tab); // past the hidden combo box, into the list
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.lstSP));
    QCOMPARE(int(w.CurrentSprite), 0);
    QCOMPARE(int(w.CurrentLayer), 0);
    QCOMPARE(w.Label2->text(), QStringLiteral("Set layer"));
    // A key that moves the selection does pick.
    QTest::keyClick(w.lstSP, Qt::Key_Down);
    QVERIFY(!w.lstSP->selectedItems().isEmpty());
    QCOMPARE(int(w.CurrentLayer), 1);
}

QTEST_MAIN(TestBrushes)
#include "tst_brushes.moc"
