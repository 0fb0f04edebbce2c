// The edit layer, the sprite brush from the sprite list and the layer switch.
#include "SpriteList.h"
#include "support/EditorFixture.h"
#include "Editing.h"
#include "MapCanvas.h"
#include "SpriteBuffer.h"

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
    giveSprites(inside(w).Sprites, 1, 12);
    inside(w).document().clear();
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
    void previewRepaintsAfterAPick();
    void selectedEntryCannotBeTakenAway_data();
    void selectedEntryCannotBeTakenAway();
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
    QTest::mouseClick(inside(w).cmdLayer[button], Qt::LeftButton);
    QCOMPARE(int(inside(w).CurrentLayer), button);
    QCOMPARE(inside(w).Label2->text(), caption);
    QCOMPARE(e.pixel(60, 60), shown == 0 ? qRgb(0, 0, 255) : spriteColor(shown));
}

void TestBrushes::pickingASprite_data()
{
    QTest::addColumn<int>("layerBefore");
    QTest::addColumn<QString>("picked");
    QTest::addColumn<int>("brush"); // expected CurrentSprite
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
    inside(w).Sprites.setFileName(5, QStringLiteral("shared.bmp"));
    inside(w).Sprites.setFileName(9, QStringLiteral("shared.bmp"));
    inside(w).lstSP->addItems({u"sprite4.bmp"_s, u"shared.bmp"_s, u"ghost.bmp"_s});
    inside(w).setEditingState({inside(w).CurrentLayer, 2, inside(w).CurrentTerrain});
    inside(w).picBuf->setPicture(inside(w).Sprites.block(2));
    w.cmdLayer_Click(layerBefore);
    w.show();
    const QImage canvasBefore = inside(w).picMap->image().copy();

    // As the user clicks the entry.
    QListWidgetItem *item = inside(w).lstSP->findItems(picked, Qt::MatchExactly).constFirst();
    QTest::mouseClick(inside(w).lstSP->viewport(), Qt::LeftButton, {}, inside(w).lstSP->visualItemRect(item).center());
    QCOMPARE(inside(w).lstSP->currentItem(), item);

    QCOMPARE(int(inside(w).CurrentSprite), brush);
    // The preview shows the brush, unless the layer switch redrew the map:
    // then the last sprite drawn. A name in no slot leaves it as it was.
    const bool matched = picked != QLatin1String("ghost.bmp");
    const int previewed = layerAfter != layerBefore ? 10 : matched ? brush : 11;
    QCOMPARE(inside(w).picBuf->picture().pixel(3, 3), spriteColor(previewed));
    QCOMPARE(int(inside(w).CurrentLayer), layerAfter);
    QCOMPARE(inside(w).Label2->text(), layerCaption(layerAfter));
    if (layerAfter == layerBefore)
        QCOMPARE(inside(w).picMap->image(), canvasBefore);
    else
        QCOMPARE(e.pixel(60, 60), spriteColor(10));

    // Clicking the same entry again after a switch to the terrain layer
    // picks it again and so switches back to layer 1.
    w.cmdLayer_Click(0);
    QTest::mouseClick(inside(w).lstSP->viewport(), Qt::LeftButton, {}, inside(w).lstSP->visualItemRect(item).center());
    QCOMPARE(int(inside(w).CurrentLayer), 1);
}

void TestBrushes::respOnLayer0PaintsSprite1WithoutSwitching()
{
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    inside(w).setEditingState({inside(w).CurrentLayer, 7, inside(w).CurrentTerrain});
    w.cmdLayer_Click(0);
    const QImage canvasBefore = inside(w).picMap->image().copy();
    w.tbToolBar_ButtonClick(QStringLiteral("resp."));
    QCOMPARE(int(inside(w).CurrentLayer), 1);
    QCOMPARE(inside(w).Label2->text(), QStringLiteral("Current layer:  0"));
    QCOMPARE(inside(w).picMap->image(), canvasBefore);
    e.press(QPointF(60, 60), Qt::LeftButton);
    QCOMPARE(int(w.MapCells().cell(1, 1).Sprite1), 7);
    QCOMPARE(int(w.MapCells().cell(1, 1).Terrain), 16);
}

void TestBrushes::focusingAnUnselectedListPicksNothing()
{
    // As after a catalogue that failed part-way: entries, none selected.
    Editor e;
    frmMain &w = *e.window;
    stackedCell(w);
    inside(w).lstSP->addItems({u"sprite4.bmp"_s, u"sprite5.bmp"_s});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    inside(w).picMap->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(inside(w).picMap, Qt::Key_Tab); // past the hidden combo box, into the list
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(inside(w).lstSP));
    QCOMPARE(int(inside(w).CurrentSprite), 0);
    QCOMPARE(int(inside(w).CurrentLayer), 0);
    QCOMPARE(inside(w).Label2->text(), QStringLiteral("Set layer"));
    // A key that moves the selection does pick.
    QTest::keyClick(inside(w).lstSP, Qt::Key_Down);
    QVERIFY(!inside(w).lstSP->selectedItems().isEmpty());
    QCOMPARE(int(inside(w).CurrentLayer), 1);
}

void TestBrushes::previewRepaintsAfterAPick()
{
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 4, 5);
    inside(w).lstSP->addItems({u"sprite4.bmp"_s, u"sprite5.bmp"_s});
    w.cmdLayer_Click(2); // a pick then draws nothing else that could repaint the preview
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(e.onScreen(inside(w).picBuf).pixel(20, 20), qRgb(192, 192, 192)); // its grey, empty
    for (int row : {1, 0}) {
        QListWidgetItem *item = inside(w).lstSP->item(row);
        QTest::mouseClick(inside(w).lstSP->viewport(), Qt::LeftButton, {},
                          inside(w).lstSP->visualItemRect(item).center());
        QCOMPARE(e.onScreen(inside(w).picBuf).pixel(20, 20), spriteColor(4 + row));
    }
}

void TestBrushes::selectedEntryCannotBeTakenAway_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("selectedRow"); // afterwards
    QTest::addColumn<int>("brush");       // 0: nothing was picked
    // Before each gesture: sprite4.bmp, sprite5.bmp, sprite6.bmp, the first
    // selected as the catalogue's load selects it; then the brush is reset
    // to 0 to see what the gesture picks.
    QTest::newRow("Ctrl+click on the selected entry: picked again") << u"ctrl-click 0"_s << 0 << 4;
    QTest::newRow("Ctrl+Space on the selected entry") << u"ctrl-space"_s << 0 << 0;
    QTest::newRow("click another entry") << u"click 2"_s << 2 << 6;
    QTest::newRow("Ctrl+click another entry") << u"ctrl-click 1"_s << 1 << 5;
    QTest::newRow("click below the entries") << u"click below"_s << 0 << 0;
}

void TestBrushes::selectedEntryCannotBeTakenAway()
{
    QFETCH(QString, gesture);
    QFETCH(int, selectedRow);
    QFETCH(int, brush);
    Editor e;
    frmMain &w = *e.window;
    giveSprites(inside(w).Sprites, 4, 6);
    inside(w).lstSP->addItems({u"sprite4.bmp"_s, u"sprite5.bmp"_s, u"sprite6.bmp"_s});
    inside(w).lstSP->setCurrentRow(0); // as the catalogue's load does
    inside(w).setEditingState({inside(w).CurrentLayer, 0, inside(w).CurrentTerrain});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    inside(w).lstSP->setFocus();

    const auto rowCentre = [&](int row) {
        return inside(w).lstSP->visualItemRect(inside(w).lstSP->item(row)).center();
    };
    if (gesture == u"ctrl-space")
        QTest::keyClick(inside(w).lstSP, Qt::Key_Space, Qt::ControlModifier);
    else if (gesture == u"click below")
        QTest::mouseClick(inside(w).lstSP->viewport(), Qt::LeftButton, {},
                          QPoint(10, inside(w).lstSP->viewport()->height() - 3));
    else
        QTest::mouseClick(inside(w).lstSP->viewport(), Qt::LeftButton,
                          gesture.startsWith(u"ctrl") ? Qt::ControlModifier : Qt::NoModifier,
                          rowCentre(gesture.back().digitValue()));

    const QList<QListWidgetItem *> selected = inside(w).lstSP->selectedItems();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(inside(w).lstSP->row(selected.first()), selectedRow);
    QCOMPARE(int(inside(w).CurrentSprite), brush);
}

QTEST_MAIN(TestBrushes)
#include "tst_brushes.moc"
