#include "Artwork.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QTest>

using namespace kestrun;

namespace {

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

int distinctColors(const QImage &image)
{
    QSet<QRgb> colors;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colors.insert(image.pixel(x, y));
    return int(colors.size());
}

int largestChannelDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                                qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

void addEveryImage()
{
    QTest::addColumn<int>("index");
    const char *const names[] = {"New",        "Open",      "Save",       "Delete",      "Undo",
                                 "PlayerBase", "EnemyBase", "EnemyResp.", "PlayerResp.", "routes",
                                 "Ground",     "Beton",     "Brick",      "Water",       "Ice"};
    for (int i = 1; i <= 15; ++i)
        QTest::newRow(names[i - 1]) << i;
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void everyImageIsDrawn_data();
    void everyImageIsDrawn();
    void backgroundIsTransparent_data();
    void backgroundIsTransparent();
    void fullResolutionOnHighDpi_data();
    void fullResolutionOnHighDpi();
    void paintingOnAHighDpiDeviceIsSharpToo_data();
    void paintingOnAHighDpiDeviceIsSharpToo();
    void imagesDifferFromOneAnother();
    void disabledIsGreyed_data();
    void disabledIsGreyed();
    void terrainShowsItsColor_data();
    void terrainShowsItsColor();
    void outsideTheListIsNull_data();
    void outsideTheListIsNull();
    void applicationIcon_data();
    void applicationIcon();
};

void TestArtwork::everyImageIsDrawn_data()
{
    addEveryImage();
}

void TestArtwork::everyImageIsDrawn()
{
    QFETCH(int, index);
    const QIcon icon = toolbarImage(index);
    QVERIFY(!icon.isNull());
    const QImage image = argb(icon.pixmap(QSize(16, 16)));
    QCOMPARE(image.size(), QSize(16, 16));
    // Something is drawn, and it is a picture, not a flat block.
    QVERIFY2(opaquePixels(image) >= 30, qPrintable(QString::number(opaquePixels(image))));
    QVERIFY(distinctColors(image) >= 3);
}

void TestArtwork::backgroundIsTransparent_data()
{
    addEveryImage();
}

void TestArtwork::backgroundIsTransparent()
{
    QFETCH(int, index);
    const QImage image = argb(toolbarImage(index).pixmap(QSize(16, 16)));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY(opaquePixels(image) < 16 * 16); // not a filled square
}

void TestArtwork::fullResolutionOnHighDpi_data()
{
    addEveryImage();
}

void TestArtwork::fullResolutionOnHighDpi()
{
    QFETCH(int, index);
    const QIcon icon = toolbarImage(index);
    const QPixmap sharp = icon.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QCOMPARE(sharp.size(), QSize(32, 32));
    QCOMPARE(sharp.deviceIndependentSize(), QSizeF(16, 16));
    // Drawn at 32 device pixels, not the 16-pixel image blown up.
    const QImage blownUp =
        argb(icon.pixmap(QSize(16, 16))).scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVERIFY(argb(sharp) != blownUp);
}

void TestArtwork::paintingOnAHighDpiDeviceIsSharpToo_data()
{
    addEveryImage();
}

void TestArtwork::paintingOnAHighDpiDeviceIsSharpToo()
{
    QFETCH(int, index);
    const QIcon icon = toolbarImage(index);
    QImage canvas(32, 32, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(2.0);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        icon.paint(&painter, QRect(0, 0, 16, 16));
    }
    const QImage painted = canvas.convertToFormat(QImage::Format_ARGB32);
    const QImage sharp = argb(icon.pixmap(QSize(16, 16), 2.0));
    QVERIFY2(largestChannelDifference(painted, sharp) <= 8,
             qPrintable(QString::number(largestChannelDifference(painted, sharp))));
}

void TestArtwork::imagesDifferFromOneAnother()
{
    QList<QImage> images;
    for (int i = 1; i <= 15; ++i)
        images << argb(toolbarImage(i).pixmap(QSize(16, 16)));
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j],
                     qPrintable(QStringLiteral("images %1 and %2 are alike").arg(i + 1).arg(j + 1)));
}

void TestArtwork::disabledIsGreyed_data()
{
    addEveryImage();
}

void TestArtwork::disabledIsGreyed()
{
    QFETCH(int, index);
    const QIcon icon = toolbarImage(index);
    const QImage normal = argb(icon.pixmap(QSize(16, 16)));
    const QImage disabled = argb(icon.pixmap(QSize(16, 16), QIcon::Disabled));
    QCOMPARE(disabled.size(), normal.size());
    QVERIFY(disabled != normal);
    int shapePixels = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb p = disabled.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ++shapePixels;
            QVERIFY(qAbs(qRed(p) - qGreen(p)) <= 2 && qAbs(qGreen(p) - qBlue(p)) <= 2);
        }
    }
    QVERIFY(shapePixels > 0);
}

void TestArtwork::terrainShowsItsColor_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("color");
    QTest::newRow("Ground") << 11 << QColor(0, 255, 0);
    QTest::newRow("Beton") << 12 << QColor(0, 0, 0);
    QTest::newRow("Brick") << 13 << QColor(255, 255, 0);
    QTest::newRow("Water") << 14 << QColor(0, 0, 255);
    QTest::newRow("Ice") << 15 << QColor(255, 255, 255);
}

void TestArtwork::terrainShowsItsColor()
{
    QFETCH(int, index);
    QFETCH(QColor, color);
    const QIcon icon = toolbarImage(index);
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage image = argb(icon.pixmap(QSize(16, 16), ratio));
        const int middle = image.width() / 2;
        QCOMPARE(QColor(image.pixel(middle, middle)), color);
        QCOMPARE(qAlpha(image.pixel(middle, middle)), 255);
        // Its border stands out from the colour itself, so a white or black
        // swatch still shows on a white or black bar.
        const QRgb border = image.pixel(int(1.5 * ratio), middle);
        const int contrast = std::max({qAbs(qRed(border) - color.red()), qAbs(qGreen(border) - color.green()),
                                       qAbs(qBlue(border) - color.blue())});
        QVERIFY2(qAlpha(border) == 255 && contrast >= 60, qPrintable(QString::number(contrast)));
    }
}

void TestArtwork::outsideTheListIsNull_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("0") << 0;
    QTest::newRow("16") << 16;
    QTest::newRow("-1") << -1;
}

void TestArtwork::outsideTheListIsNull()
{
    QFETCH(int, index);
    QVERIFY(toolbarImage(index).isNull());
}

void TestArtwork::applicationIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("16") << 16;
    QTest::newRow("32") << 32;
    QTest::newRow("64") << 64;
}

void TestArtwork::applicationIcon()
{
    QFETCH(int, size);
    const QIcon icon = kestrun::applicationIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    const QImage image = argb(icon.pixmap(QSize(size, size)));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(opaquePixels(image) > size * size / 2);
    QVERIFY(distinctColors(image) >= 6);
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
