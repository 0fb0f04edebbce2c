// Sprite pictures: decoding with the size guard, and the 40 x 40 block each
// slot gives a cell.
#include "JpegFrame.h"
#include "PictureFile.h"
#include "SpriteTable.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <dlfcn.h>
#include <zlib.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QColor Corner(200, 30, 40);
const QColor Elsewhere(10, 120, 220);
const QColor Grey(192, 192, 192);

// A picture whose top-left 40 x 40 is one colour and the rest another.
QImage cornerPicture(int width, int height, QImage::Format format = QImage::Format_RGB888)
{
    QImage image(width, height, format);
    image.fill(Elsewhere);
    QPainter painter(&image);
    painter.fillRect(0, 0, 40, 40, Corner);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray progressiveJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return bytes;
}

// An icon file whose one entry declares a side of `declaredSide` (1 to 256)
// and holds `png`, whatever size that is.
QByteArray iconHolding(const QByteArray &png, int declaredSide)
{
    QByteArray ico(6 + 16, '\0');
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, ico.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, ico.data() + at); };
    put16(2, 1);                        // an icon
    put16(4, 1);                        // one entry
    ico[6] = char(declaredSide & 0xFF); // 0 means 256
    ico[7] = char(declaredSide & 0xFF);
    put16(6 + 4, 1);  // planes
    put16(6 + 6, 32); // bits per pixel
    put32(6 + 8, quint32(png.size()));
    put32(6 + 12, quint32(ico.size()));
    return ico + png;
}

// A JPEG marker segment: FF, the marker, the length, the contents.
QByteArray segment(quint8 marker, const QByteArray &contents)
{
    QByteArray bytes(4, '\0');
    bytes[0] = char(0xFF);
    bytes[1] = char(marker);
    qToBigEndian(quint16(contents.size() + 2), bytes.data() + 2);
    return bytes + contents;
}

// A start-of-frame segment of `components` components, 40 x 40 unless told.
QByteArray frameSegment(quint8 marker, int components, quint16 width = 40, quint16 height = 40)
{
    QByteArray contents(6, '\x08');
    qToBigEndian(height, contents.data() + 1);
    qToBigEndian(width, contents.data() + 3);
    contents[5] = char(components);
    for (int i = 1; i <= components; ++i)
        contents += QByteArray(1, char(i)) + "\x11" + QByteArray(1, '\0');
    return segment(marker, contents);
}

// A start-of-scan segment holding `components` components.
QByteArray scanSegment(int components)
{
    QByteArray contents(1, char(components));
    for (int i = 1; i <= components; ++i)
        contents += QByteArray(1, char(i)) + QByteArray(1, '\0');
    return segment(0xDA, contents + QByteArray("\x00\x3F\x00", 3));
}

const QByteArray StartOfImage("\xFF\xD8", 2);

// A BMP header claiming width x height at 24 bits, followed by `pixelBytes` zero bytes.
QByteArray bmpHeader(qint32 width, qint32 height, int pixelBytes = 0)
{
    QByteArray bmp(54, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, bmp.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, bmp.data() + at); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, quint32(54 + pixelBytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, 24);
    return bmp + QByteArray(pixelBytes, '\0');
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG chunk: length, kind, data, checksum.
QByteArray pngChunk(const char *kind, const QByteArray &data)
{
    QByteArray length(4, '\0');
    qToBigEndian(quint32(data.size()), length.data());
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(kind + data), crc.data());
    return length + kind + data + crc;
}

// A PNG signature and a well-formed IHDR chunk claiming width x height, and nothing else.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray fields(13, '\0');
    qToBigEndian(width, fields.data());
    qToBigEndian(height, fields.data() + 4);
    fields[8] = 8; // bit depth
    fields[9] = 2; // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", fields);
}

// The bytes zlib's inflate() has produced in this process: libpng and Qt
// call it through here (this program's definition comes before the library's).
qint64 inflatedBytes = 0;

} // namespace

extern "C" int inflate(z_streamp stream, int flush)
{
    using Inflate = int (*)(z_streamp, int);
    static const auto zlibInflate = reinterpret_cast<Inflate>(dlsym(RTLD_NEXT, "inflate"));
    const uInt room = stream->avail_out;
    const int status = zlibInflate(stream, flush);
    inflatedBytes += room - stream->avail_out;
    return status;
}

class TestPictureFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init()
    {
        m_dir = QTemporaryDir();
        QVERIFY(m_dir.isValid());
    }

    void decodes_data();
    void decodes();
    void refuses_data();
    void refuses();
    void missingFileOrFolder();
    void specialFilesAreNeverOpened();
    void pngCornerEqualsQtsWholeDecoding_data();
    void pngCornerEqualsQtsWholeDecoding();
    void decodingCostsOnlyTheRowsDrawn_data();
    void decodingCostsOnlyTheRowsDrawn();
    void pngDamagedPastItsCornerLoads();
    void jpegFrame_data();
    void jpegFrame();
    void budgetCoversEveryPicture();
    void budgetAndCapsCountWork_data();
    void budgetAndCapsCountWork();
    void jpegScans_data();
    void jpegScans();
    void ancillaryChunksAreNeverInflated_data();
    void ancillaryChunksAreNeverInflated();
    void retinaNameMeansNothing();

    void tiles_data();
    void tiles();
    void replacingAPictureReplacesItsBlock();

private:
    QString path(QAnyStringView name) const { return m_dir.filePath(name.toString()); }
    QTemporaryDir m_dir;
};

void TestPictureFile::initTestCase()
{
    applyPictureAllocationLimit();
    // Qt's JPEG, GIF and icon readers come with Qt's GUI library (libqt6gui6).
    for (const char *format : {"jpeg", "gif", "ico"})
        QVERIFY2(QImageReader::supportedImageFormats().contains(format), format);
}

void TestPictureFile::decodes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("lossy");

    QTest::newRow("40 x 40 BMP") << "a.bmp" << encoded(cornerPicture(40, 40), "BMP") << QSize(40, 40) << false;
    QTest::newRow("larger BMP keeps its corner")
        << "a.bmp" << encoded(cornerPicture(100, 60), "BMP") << QSize(40, 40) << false;
    QTest::newRow("smaller BMP kept whole")
        << "a.bmp" << encoded(cornerPicture(20, 10), "BMP") << QSize(20, 10) << false;
    QTest::newRow("PNG with alpha") << "a.png" << encoded(cornerPicture(60, 60, QImage::Format_ARGB32), "PNG")
                                    << QSize(40, 40) << false;
    QTest::newRow("PNG named .bmp: the content decides")
        << "a.bmp" << encoded(cornerPicture(40, 40), "PNG") << QSize(40, 40) << false;
    QTest::newRow("no extension") << "a" << encoded(cornerPicture(40, 40), "BMP") << QSize(40, 40) << false;
    QTest::newRow("upper-case extension") << "A.BMP" << encoded(cornerPicture(40, 40), "BMP") << QSize(40, 40) << false;
    QTest::newRow("large JPEG, clipped while decoding")
        << "a.jpg" << encoded(cornerPicture(400, 300), "JPEG") << QSize(40, 40) << true;
    QTest::newRow("large progressive JPEG")
        << "a.jpg" << progressiveJpeg(cornerPicture(400, 300)) << QSize(40, 40) << true;
    QTest::newRow("icon holding a PNG") << "a.ico" << iconHolding(encoded(cornerPicture(64, 64), "PNG"), 64)
                                        << QSize(40, 40) << false;
}

void TestPictureFile::decodes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(bool, lossy);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(writeFile(path(name), bytes));

    const QImage picture = loadPictureFile(path(name)).picture;
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), size);
    const QColor expected = Corner;
    // A lossy coder blurs the far corner into the colour beyond it.
    const QPoint farCorner = lossy ? QPoint(31, 31) : QPoint(size.width() - 1, size.height() - 1);
    for (const QPoint at : {QPoint(0, 0), farCorner}) {
        const QColor got = picture.pixelColor(at);
        if (lossy) {
            QVERIFY2(qAbs(got.red() - expected.red()) < 12 && qAbs(got.green() - expected.green()) < 12
                         && qAbs(got.blue() - expected.blue()) < 12,
                     qPrintable(got.name()));
        } else {
            QCOMPARE(got, expected);
        }
    }
}

void TestPictureFile::refuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    const QByteArray bmp = encoded(cornerPicture(40, 40), "BMP");

    QTest::newRow("empty file") << "a.bmp" << QByteArray();
    QTest::newRow("text") << "a.bmp" << QByteArray("12=walls\\brick.bmp\r\n");
    QTest::newRow("noise") << "a.bmp" << noise;
    QTest::newRow("BMP signature then garbage") << "a.bmp" << QByteArray("BM this is not a bitmap at all");
    QTest::newRow("BMP cut inside its header") << "a.bmp" << bmp.left(30);
    QTest::newRow("BMP of absurd size") << "a.bmp" << bmpHeader(1'000'000, 1'000'000);
    QTest::newRow("BMP of negative width") << "a.bmp" << bmpHeader(-40, 40, 40 * 40 * 3);
    QTest::newRow("PNG of absurd size") << "a.png" << pngHeader(60'000, 60'000);
    QTest::newRow("PNG cut after its header") << "a.png" << encoded(cornerPicture(40, 40), "PNG").left(40);
    QTest::newRow("BMP too large to decode whole") << "a.bmp" << bmpHeader(5000, 4000);
    // Qt tells a top-down BMP's height as negative: the size still counts.
    QTest::newRow("top-down BMP too large to decode whole") << "a.bmp" << bmpHeader(4097, -4096);
    QTest::newRow("a side too tall, however narrow") << "a.bmp" << encoded(cornerPicture(1, MaxPictureSide + 1), "BMP");
    QTest::newRow("a side too long, however thin") << "a.bmp" << encoded(cornerPicture(MaxPictureSide + 1, 1), "BMP");
    // Decoded whole, it would outweigh the largest picture decoded whole.
    QTest::newRow("progressive JPEG too large to decode whole")
        << "a.jpg" << StartOfImage + frameSegment(0xC2, 3, 4096, 3000) + scanSegment(3) + QByteArray("\xFF\xD9", 2);
}

void TestPictureFile::refuses()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(path(name), bytes));
    QVERIFY(!loadPictureFile(path(name)).ok());
}

void TestPictureFile::missingFileOrFolder()
{
    QVERIFY(!loadPictureFile(path(u"missing.bmp"_s)).ok());
    QVERIFY(!loadPictureFile(m_dir.path()).ok());
    QVERIFY(!loadPictureFile(m_dir.path() + u"/"_s).ok());
    QVERIFY(!loadPictureFile(QString()).ok());
}

void TestPictureFile::retinaNameMeansNothing()
{
    QVERIFY(writeFile(path(u"tree@2x.png"_s), encoded(cornerPicture(80, 80), "PNG")));
    const QImage picture = loadPictureFile(path(u"tree@2x.png"_s)).picture;
    QCOMPARE(picture.size(), QSize(40, 40));
    QCOMPARE(picture.devicePixelRatio(), 1.0);
    QCOMPARE(picture.pixelColor(39, 39), Corner);

    SpriteTable sprites;
    sprites.setPicture(1, picture);
    QCOMPARE(sprites.block(1).pixelColor(39, 39), Corner);
}

void TestPictureFile::tiles_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QColor>("topLeft");     // at (0, 0)
    QTest::addColumn<QColor>("bottomRight"); // at (39, 39)

    QImage translucent(40, 40, QImage::Format_ARGB32);
    translucent.fill(QColor(255, 0, 0, 0));
    translucent.setPixelColor(39, 39, QColor(255, 0, 0, 255));
    QImage indexed = cornerPicture(40, 40).convertToFormat(QImage::Format_Indexed8);

    QTest::newRow("no picture: light grey") << QImage() << Grey << Grey;
    QTest::newRow("exactly 40 x 40") << cornerPicture(40, 40) << Corner << Corner;
    QTest::newRow("larger: its corner") << cornerPicture(90, 70) << Corner << Corner;
    QTest::newRow("smaller: over light grey") << cornerPicture(20, 20) << Corner << Grey;
    QTest::newRow("narrow: over light grey") << cornerPicture(60, 10) << Corner << Grey;
    QTest::newRow("transparent parts show grey") << translucent << Grey << QColor(255, 0, 0);
    QTest::newRow("8-bit palette") << indexed << Corner << Corner;
}

void TestPictureFile::tiles()
{
    QFETCH(QImage, picture);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);

    SpriteTable sprites;
    sprites.setPicture(9, picture);
    const QImage &block = sprites.block(9);
    QCOMPARE(block.size(), QSize(40, 40));
    QCOMPARE(block.format(), QImage::Format_RGB32);
    QCOMPARE(block.pixelColor(0, 0), topLeft);
    QCOMPARE(block.pixelColor(39, 39), bottomRight);
    QCOMPARE(sprites[9].Picture.size(), picture.size());
    // The other slots are untouched.
    QCOMPARE(sprites.block(8).pixelColor(0, 0), Grey);
    QCOMPARE(sprites.block(10).pixelColor(39, 39), Grey);
}

void TestPictureFile::replacingAPictureReplacesItsBlock()
{
    SpriteTable sprites;
    sprites.setPicture(3, cornerPicture(40, 40));
    QImage other(40, 40, QImage::Format_RGB32);
    other.fill(Elsewhere);
    sprites.setPicture(3, other);
    QCOMPARE(sprites.block(3).pixelColor(5, 5), Elsewhere);
    QCOMPARE(sprites[3].Picture.pixelColor(5, 5), Elsewhere);
    sprites.setPicture(3, QImage());
    QCOMPARE(sprites.block(3).pixelColor(5, 5), Grey);
    QVERIFY(sprites[3].Picture.isNull());
}

void TestPictureFile::specialFilesAreNeverOpened()
{
    // Opening a named pipe for reading would wait for a writer for ever.
    QVERIFY(makeNamedPipe(path(u"pipe.bmp"_s)));
    QVERIFY(makeSocket(path(u"socket.png"_s)));
    QCOMPARE(loadPictureFile(path(u"pipe.bmp"_s)).reason, QStringLiteral("it is not a regular file (a named pipe)"));
    QCOMPARE(loadPictureFile(path(u"socket.png"_s)).reason, QStringLiteral("it is not a regular file (a socket)"));
    QCOMPARE(loadPictureFile(u"/dev/zero"_s).status, PictureReadStatus::Unreadable);
}

void TestPictureFile::pngCornerEqualsQtsWholeDecoding_data()
{
    QTest::addColumn<QByteArray>("png");

    // Every kind of PNG Qt writes, larger and smaller than the corner.
    const QList<QPair<const char *, QImage::Format>> formats = {{"RGB", QImage::Format_RGB32},
                                                                {"RGBA", QImage::Format_ARGB32},
                                                                {"palette", QImage::Format_Indexed8},
                                                                {"grey", QImage::Format_Grayscale8},
                                                                {"16-bit grey", QImage::Format_Grayscale16},
                                                                {"16-bit RGBA", QImage::Format_RGBA64},
                                                                {"1-bit", QImage::Format_Mono}};
    for (const auto &[name, format] : formats) {
        for (const QSize size : {QSize(70, 55), QSize(23, 31)}) {
            QImage picture(size, QImage::Format_ARGB32);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    picture.setPixelColor(x, y, QColor(x * 3, y * 4, (x * y) % 256, 255 - (x + y) % 200));
            const QByteArray bytes = encoded(picture.convertToFormat(format), "PNG");
            QTest::addRow("%s %dx%d", name, size.width(), size.height()) << bytes;
        }
    }
    // And the hand-made ones of the fuzzing seeds: interlaced, 4-bit palette
    // with transparency, 16-bit and 1-bit grey. A seed's first byte is the
    // fuzzer's, not the file's.
    const QDir seeds(qEnvironmentVariable("KESTRUN_SOURCE_DIR") + u"/fuzz/corpus/picture"_s);
    for (const char *name : {"interlaced-45x43.png", "palette-trns-41x41.png", "gray16-20x50.png", "gray1-64x8.png"})
        QTest::newRow(name) << readFile(seeds.filePath(QString::fromLatin1(name))).mid(1);
}

void TestPictureFile::pngCornerEqualsQtsWholeDecoding()
{
    QFETCH(QByteArray, png);
    QImage whole;
    QVERIFY(whole.loadFromData(png, "PNG"));
    QVERIFY(writeFile(path(u"a.png"_s), png));
    const PictureReadResult result = loadPictureFile(path(u"a.png"_s));
    QVERIFY2(result.ok(), qPrintable(result.reason));
    const QImage corner = whole.copy(0, 0, std::min(whole.width(), 40), std::min(whole.height(), 40));
    QCOMPARE(result.picture.size(), corner.size());
    QCOMPARE(result.picture.convertToFormat(QImage::Format_ARGB32), corner.convertToFormat(QImage::Format_ARGB32));

    SpriteTable sprites;
    sprites.setPicture(1, result.picture);
    sprites.setPicture(2, corner);
    QCOMPARE(sprites.block(1), sprites.block(2));
}

void TestPictureFile::decodingCostsOnlyTheRowsDrawn_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("cost"); // pixels the reader has to decode

    QImage tall(2000, 3000, QImage::Format_RGB32);
    tall.fill(Corner);
    QTest::newRow("PNG: its first 40 rows") << encoded(tall, "PNG") << qint64(2000 * 40);
    QTest::newRow("BMP: all of it") << encoded(tall.copy(0, 0, 300, 200), "BMP") << qint64(300 * 200);
    const QByteArray interlaced =
        readFile(qEnvironmentVariable("KESTRUN_SOURCE_DIR") + u"/fuzz/corpus/picture/interlaced-45x43.png"_s).mid(1);
    QTest::newRow("interlaced PNG: all of it") << interlaced << qint64(45 * 43);
    QTest::newRow("JPEG: its first 40 rows") << encoded(tall, "JPEG") << qint64(2000 * 40);
    // libjpeg takes a progressive JPEG in whole, at two bytes a sample.
    const QImage wide = cornerPicture(400, 300);
    QTest::newRow("progressive JPEG in colour: 3 pixels for 2") << progressiveJpeg(wide) << qint64(400 * 300 * 3 / 2);
    QTest::newRow("progressive JPEG in grey: all of it")
        << progressiveJpeg(wide.convertToFormat(QImage::Format_Grayscale8)) << qint64(400 * 300);
    // The icon's directory says 16 x 16; the PNG inside is what is decoded.
    QTest::newRow("icon understating its PNG: the PNG") << iconHolding(encoded(wide, "PNG"), 16) << qint64(400 * 300);
}

void TestPictureFile::decodingCostsOnlyTheRowsDrawn()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, cost);
    QVERIFY(writeFile(path(u"picture"_s), bytes));
    QVERIFY(PictureReader({.pixels = cost}).read(path(u"picture"_s)).ok());
    const PictureReadResult refused = PictureReader({.pixels = cost - 1}).read(path(u"picture"_s));
    QCOMPARE(refused.status, PictureReadStatus::Unreadable);
    QVERIFY2(refused.reason.contains(u"decoding"_s), qPrintable(refused.reason));
}

void TestPictureFile::pngDamagedPastItsCornerLoads()
{
    // Only the rows drawn are read: a PNG cut short far below its corner
    // still gives the corner (Qt's whole decoding refuses it).
    QImage tall(200, 4000, QImage::Format_RGB32);
    for (int y = 0; y < tall.height(); ++y)
        for (int x = 0; x < tall.width(); ++x)
            tall.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (y * 5) % 256));
    const QByteArray png = encoded(tall, "PNG");
    const QByteArray cut = png.left(png.size() / 2);
    QVERIFY(QImage::fromData(cut, "PNG").isNull());
    QVERIFY(writeFile(path(u"cut.png"_s), cut));
    const PictureReadResult result = loadPictureFile(path(u"cut.png"_s));
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.picture.convertToFormat(QImage::Format_RGB32), tall.copy(0, 0, 40, 40));
}

void TestPictureFile::jpegFrame_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("read"); // a frame is told
    QTest::addColumn<bool>("rowByRow");
    QTest::addColumn<int>("components");

    const QImage picture = cornerPicture(64, 48);
    const QByteArray tables = segment(0xDB, QByteArray(65, '\1')) + segment(0xE0, "JFIF");
    QTest::newRow("Qt's baseline colour") << encoded(picture, "JPEG") << true << true << 3;
    QTest::newRow("Qt's baseline grey") << encoded(picture.convertToFormat(QImage::Format_Grayscale8), "JPEG") << true
                                        << true << 1;
    QTest::newRow("Qt's progressive") << progressiveJpeg(picture) << true << false << 3;
    QTest::newRow("extended sequential") << StartOfImage + tables + frameSegment(0xC1, 3) + scanSegment(3) << true
                                         << true << 3;
    QTest::newRow("arithmetic sequential")
        << StartOfImage + frameSegment(0xC9, 3) + scanSegment(3) << true << true << 3;
    QTest::newRow("components in scans of their own")
        << StartOfImage + frameSegment(0xC0, 3) + scanSegment(1) << true << false << 3;
    QTest::newRow("arithmetic progressive")
        << StartOfImage + frameSegment(0xCA, 1) + scanSegment(1) << true << false << 1;
    QTest::newRow("lossless") << StartOfImage + frameSegment(0xC3, 1) + scanSegment(1) << true << false << 1;
    QTest::newRow("hierarchical") << StartOfImage + frameSegment(0xC5, 1) + scanSegment(1) << true << false << 1;
    // Fill bytes before a marker, and markers that stand alone (a restart
    // marker, TEM), as libjpeg reads them.
    QTest::newRow("fill and lone markers")
        << StartOfImage + QByteArray("\xFF\xFF\xFF\xD3\xFF\x01", 6) + frameSegment(0xC2, 3) + scanSegment(3) << true
        << false << 3;
    QTest::newRow("not a JPEG") << encoded(picture, "PNG") << false << false << 0;
    QTest::newRow("ends before the scan") << StartOfImage + tables + frameSegment(0xC0, 3) << false << false << 0;
    QTest::newRow("segment longer than the file")
        << (StartOfImage + frameSegment(0xC0, 3)).chopped(1) << false << false << 0;
    QTest::newRow("scan before the frame")
        << StartOfImage + scanSegment(3) + frameSegment(0xC0, 3) << false << false << 0;
    QTest::newRow("second frame") << StartOfImage + frameSegment(0xC0, 3) + frameSegment(0xC2, 3) + scanSegment(3)
                                  << false << false << 0;
    QTest::newRow("bytes between markers")
        << StartOfImage + QByteArray("junk") + frameSegment(0xC0, 3) + scanSegment(3) << false << false << 0;
    QTest::newRow("end of image first") << StartOfImage + QByteArray("\xFF\xD9", 2) + frameSegment(0xC0, 3)
            + scanSegment(3) << false << false
                                        << 0;
}

void TestPictureFile::jpegFrame()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, read);
    QFETCH(bool, rowByRow);
    QFETCH(int, components);
    const std::optional<JpegFrame> frame = readJpegFrame(head);
    QCOMPARE(frame.has_value(), read);
    if (frame) {
        QCOMPARE(frame->rowByRow, rowByRow);
        QCOMPARE(frame->components, components);
    }
}

void TestPictureFile::budgetCoversEveryPicture()
{
    QVERIFY(writeSolidBmp(path(u"a.bmp"_s), 40, 40, Corner));
    PictureReader reader({.pixels = 2 * 40 * 40});
    QVERIFY(reader.read(path(u"a.bmp"_s)).ok());
    QVERIFY(reader.read(path(u"a.bmp"_s)).ok());
    const PictureReadResult third = reader.read(path(u"a.bmp"_s));
    QCOMPARE(third.status, PictureReadStatus::Unreadable);
    QVERIFY(third.picture.isNull());
    QVERIFY2(third.reason.contains(u"decoding"_s), qPrintable(third.reason));
}

void TestPictureFile::budgetAndCapsCountWork_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("byteBudget");
    QTest::addColumn<qint64>("scanBudget");
    QTest::addColumn<QString>("refusal"); // a word of the reason; empty when it loads

    const QByteArray bmp = encoded(cornerPicture(40, 40), "BMP");
    // libjpeg's ten scans, then its last one again (only warned of) up to n.
    const QByteArray progressive = progressiveJpeg(cornerPicture(40, 40));
    const auto scans = [&](int n) {
        const QByteArray last = progressive.mid(progressive.lastIndexOf("\xFF\xDA")).chopped(2);
        return progressive.chopped(2) + last.repeated(n - 10) + progressive.right(2);
    };
    const qint64 plenty = qint64(1) << 40;
    QTest::newRow("bytes: the file's") << bmp << qint64(bmp.size()) << plenty << QString();
    QTest::newRow("bytes: one short") << bmp << qint64(bmp.size() - 1) << plenty << u"decoding"_s;
    QTest::newRow("scans: all ten") << progressive << plenty << qint64(10) << QString();
    QTest::newRow("scans: one short") << progressive << plenty << qint64(9) << u"decoding"_s;
    QTest::newRow("scans of one picture: the most") << scans(int(MaxJpegScans)) << plenty << plenty << QString();
    QTest::newRow("scans of one picture: one more") << scans(int(MaxJpegScans) + 1) << plenty << plenty << u"scans"_s;
}

void TestPictureFile::budgetAndCapsCountWork()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, byteBudget);
    QFETCH(qint64, scanBudget);
    QFETCH(QString, refusal);
    QVERIFY(writeFile(path(u"picture"_s), bytes));
    PictureReader reader({.bytes = byteBudget, .scans = scanBudget});
    const PictureReadResult result = reader.read(path(u"picture"_s));
    QCOMPARE(result.ok(), refusal.isEmpty());
    QVERIFY2(result.reason.contains(refusal), qPrintable(result.reason));
}

void TestPictureFile::jpegScans_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("scans");

    const QByteArray frame = StartOfImage + frameSegment(0xC2, 1);
    const QByteArray coded("\x12\xFF\x00\x34\xFF\xD0\x56\xFF\xFF\x00", 10); // stuffing, a restart, fill
    const QByteArray scan = scanSegment(1), end("\xFF\xD9", 2);
    QTest::newRow("libjpeg's progressive") << progressiveJpeg(cornerPicture(64, 48)) << 10;
    QTest::newRow("coded data with stuffing, restarts and fill") << frame + scan + coded + scan + coded + end << 2;
    QTest::newRow("a scan marker inside a segment") << frame + segment(0xE1, "\xFF\xDA\x00\x08") + scan + end << 1;
    // libjpeg passes over garbage to the next marker, so the count does too.
    QTest::newRow("garbage before scans") << frame + QByteArray("junk") + scan + scan + end << 2;
    QTest::newRow("nothing after the end of image") << frame + scan + end + scan << 1;
}

void TestPictureFile::jpegScans()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, scans);
    QCOMPARE(countJpegScans(bytes), qsizetype(scans));
}

void TestPictureFile::ancillaryChunksAreNeverInflated_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // A 1 x 1 PNG with a compressed text chunk and a colour profile, each
    // a zlib stream of a megabyte, after its header.
    const QByteArray png = encoded(cornerPicture(1, 1), "PNG");
    const QByteArray inflated = qCompress(QByteArray(1024 * 1024, 'k'), 9).mid(4);
    const QByteArray bomb = png.left(33) + pngChunk("zTXt", QByteArray("Comment\0\0", 9) + inflated)
        + pngChunk("iCCP", QByteArray("icc\0\0", 5) + inflated) + png.mid(33);
    QTest::newRow("PNG") << bomb;
    QTest::newRow("icon holding the PNG") << iconHolding(bomb, 1);
}

void TestPictureFile::ancillaryChunksAreNeverInflated()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(path(u"picture"_s), bytes));
    inflatedBytes = 0;
    const PictureReadResult result = loadPictureFile(path(u"picture"_s));
    QVERIFY2(result.ok(), qPrintable(result.reason));
    // Only the pixel data was inflated: a few bytes.
    QVERIFY2(inflatedBytes < 4096, qPrintable(QString::number(inflatedBytes)));
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
