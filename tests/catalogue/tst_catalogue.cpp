// Loading a game folder's catalogue into the sprite table, and finding the
// files of a folder made on Windows.
#include "Catalogue.h"
#include "GamePath.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

// Every picture a test writes has a colour of its own, so a slot's picture
// tells which file it came from.
QColor colorOf(const QString &name)
{
    return QColor::fromRgb(QRgb(qHash(name, 7) & 0xFFFFFF));
}

bool writePicture(const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).path());
    return writeSolidBmp(path, 40, 40, colorOf(name));
}

QByteArray toWindows1251(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            bytes += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            bytes += char(0xA8);
        else if (u == 0x0451)
            bytes += char(0xB8);
        else
            bytes += '?';
    }
    return bytes;
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void init();

    void load_data();
    void load();
    void failingPictureKeepsTheSlotsPreviousPicture();
    void eachPictureFileIsReadOnce();
    void oneDecodeWhateverTheSpelling_data();
    void oneDecodeWhateverTheSpelling();
    void unreadableCatalogue_data();
    void unreadableCatalogue();
    void emptyFolderMeansTheCurrentDirectory();
    void windows1251Catalogue();
    void windowsNamesAreFound();
    void resolution_data();
    void resolution();
    void eachFolderIsListedOnce();
    void eachFolderIsListedOnceWhateverItsSpelling_data();
    void eachFolderIsListedOnceWhateverItsSpelling();
    void caseFoldKeyAgreesWithQtsComparison();
    void recordLimit_data();
    void recordLimit();

private:
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QTemporaryDir m_dir;
};

void TestCatalogue::init()
{
    m_dir = QTemporaryDir();
    QVERIFY(m_dir.isValid());
}

void TestCatalogue::load_data()
{
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QStringList>("pictures"); // files written into the folder
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("list");
    // "slot|FileName|picture file" for every slot that should not be empty;
    // an empty picture file means no picture.
    QTest::addColumn<QStringList>("filled");

    const QStringList abc{u"a.bmp"_s, u"b.bmp"_s, u"c.bmp"_s};

    QTest::newRow("order 3, 1, 2 kept") << QByteArray("3=c.bmp\r\n1=a.bmp\r\n2=b.bmp\r\n") << abc << true
                                        << QStringList{u"c.bmp"_s, u"a.bmp"_s, u"b.bmp"_s}
                                        << QStringList{u"1|a.bmp|a.bmp"_s, u"2|b.bmp|b.bmp"_s, u"3|c.bmp|c.bmp"_s};
    QTest::newRow("two records for slot 5") << QByteArray("5=a.bmp\r\n5=b.bmp\r\n") << abc << true
                                            << QStringList{u"a.bmp"_s, u"b.bmp"_s} << QStringList{u"5|b.bmp|b.bmp"_s};
    QTest::newRow("record without = fills slot 0")
        << QByteArray("tree.bmp\r\n") << QStringList{u"tree.bmp"_s} << true << QStringList{u"tree.bmp"_s}
        << QStringList{u"0|tree.bmp|tree.bmp"_s};
    QTest::newRow("index 256 stops the load") << QByteArray("1=a.bmp\r\n256=b.bmp\r\n3=c.bmp\r\n") << abc << false
                                              << QStringList{u"a.bmp"_s} << QStringList{u"1|a.bmp|a.bmp"_s};
    QTest::newRow("index -1 stops the load") << QByteArray("1=a.bmp\r\n-1=b.bmp\r\n3=c.bmp\r\n") << abc << false
                                             << QStringList{u"a.bmp"_s} << QStringList{u"1|a.bmp|a.bmp"_s};
    QTest::newRow("2.5, 3.5 and -0.4 round half to even")
        << QByteArray("2.5=a.bmp\r\n3.5=b.bmp\r\n-0.4=c.bmp\r\n") << abc << true << abc
        << QStringList{u"2|a.bmp|a.bmp"_s, u"4|b.bmp|b.bmp"_s, u"0|c.bmp|c.bmp"_s};
    QTest::newRow("missing picture: name stored, no picture, list ends")
        << QByteArray("1=a.bmp\r\n2=missing.bmp\r\n3=c.bmp\r\n") << abc << false << QStringList{u"a.bmp"_s}
        << QStringList{u"1|a.bmp|a.bmp"_s, u"2|missing.bmp|"_s};
    QTest::newRow("5=a,b.bmp without a file named a")
        << QByteArray("5=a,b.bmp\r\n") << abc << false << QStringList{} << QStringList{u"5|a|"_s};
    QTest::newRow("5=a,b.bmp with a file named a")
        << QByteArray("5=a,b.bmp\r\n") << QStringList{u"a"_s, u"b.bmp"_s} << true << QStringList{u"a"_s, u"b.bmp"_s}
        << QStringList{u"5|a|a"_s, u"0|b.bmp|b.bmp"_s};
    QTest::newRow("quoted 5=a,b.bmp") << QByteArray("\"5=a,b.bmp\"\r\n") << QStringList{u"a,b.bmp"_s} << true
                                      << QStringList{u"a,b.bmp"_s} << QStringList{u"5|a,b.bmp|a,b.bmp"_s};
    QTest::newRow("5= a.bmp looks for the name with its blank")
        << QByteArray("5= a.bmp\r\n") << QStringList{u"a.bmp"_s} << false << QStringList{}
        << QStringList{u"5| a.bmp|"_s};
    QTest::newRow("5= a.bmp found with its blank") << QByteArray("5= a.bmp\r\n") << QStringList{u" a.bmp"_s} << true
                                                   << QStringList{u" a.bmp"_s} << QStringList{u"5| a.bmp| a.bmp"_s};
    QTest::newRow("empty record names slot 0 and fails")
        << QByteArray("tree.bmp\r\n\"\"\r\n1=a.bmp\r\n") << QStringList{u"tree.bmp"_s, u"a.bmp"_s} << false
        << QStringList{u"tree.bmp"_s} << QStringList{u"0||tree.bmp"_s};
    QTest::newRow("empty file") << QByteArray() << abc << false << QStringList{} << QStringList{};
    QTest::newRow("hand-edited: blank lines, LF, CR, trailing blanks, no final line end")
        << QByteArray("\r\n1=a.bmp  \n\n2=b.bmp\t\r3=c.bmp") << abc << true << abc
        << QStringList{u"1|a.bmp|a.bmp"_s, u"2|b.bmp|b.bmp"_s, u"3|c.bmp|c.bmp"_s};
    QTest::newRow("sub-folder with backslash")
        << QByteArray("12=walls\\brick.bmp\r\n") << QStringList{u"walls/brick.bmp"_s} << true
        << QStringList{u"walls\\brick.bmp"_s} << QStringList{u"12|walls\\brick.bmp|walls/brick.bmp"_s};
    QTest::newRow("letter case differs from the disk")
        << QByteArray("4=Walls\\BRICK.BMP\r\n") << QStringList{u"walls/brick.bmp"_s} << true
        << QStringList{u"Walls\\BRICK.BMP"_s} << QStringList{u"4|Walls\\BRICK.BMP|walls/brick.bmp"_s};
    QTest::newRow("not a picture stops the load")
        << QByteArray("1=a.bmp\r\n2=tileset.dat\r\n") << abc << false << QStringList{u"a.bmp"_s}
        << QStringList{u"1|a.bmp|a.bmp"_s, u"2|tileset.dat|"_s};
}

void TestCatalogue::load()
{
    QFETCH(QByteArray, catalogue);
    QFETCH(QStringList, pictures);
    QFETCH(bool, ok);
    QFETCH(QStringList, list);
    QFETCH(QStringList, filled);

    QVERIFY(writeFile(folder() + u"tileset.dat"_s, catalogue));
    for (const QString &name : pictures)
        QVERIFY(writePicture(m_dir.path(), name));

    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, loadPictureFile);
    QCOMPARE(result.ok(), ok);
    QCOMPARE(result.reason.isEmpty(), ok);
    QCOMPARE(result.listEntries, list);

    QHash<int, QStringList> expected;
    for (const QString &slot : filled) {
        const QStringList parts = slot.split(QLatin1Char('|'));
        expected.insert(parts.at(0).toInt(), parts);
    }
    for (int i = 0; i < SpriteTable::SlotCount; ++i) {
        const SpriteEntry &entry = sprites[std::uint8_t(i)];
        const QStringList want = expected.value(i, QStringList{QString::number(i), u""_s, u""_s});
        QVERIFY2(entry.FileName == want.at(1),
                 qPrintable(QStringLiteral("slot %1 holds \"%2\"").arg(i).arg(entry.FileName)));
        if (want.at(2).isEmpty()) {
            QVERIFY2(entry.Picture.isNull(), qPrintable(QStringLiteral("slot %1 has a picture").arg(i)));
        } else {
            QVERIFY2(!entry.Picture.isNull(), qPrintable(QStringLiteral("slot %1 has no picture").arg(i)));
            QCOMPARE(entry.Picture.pixelColor(0, 0), colorOf(want.at(2)));
            QCOMPARE(sprites.block(std::uint8_t(i)).pixelColor(20, 20), colorOf(want.at(2)));
        }
    }
}

void TestCatalogue::failingPictureKeepsTheSlotsPreviousPicture()
{
    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s));
    QVERIFY(writeFile(folder() + u"broken.bmp"_s, QByteArray("BM this is not a bitmap")));
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, "2=a.bmp\r\n2=broken.bmp\r\n3=a.bmp\r\n"));

    SpriteTable sprites;
    QStringList asked;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, [&](const QString &path) {
        asked << path;
        return loadPictureFile(path);
    });
    QVERIFY(!result.ok());
    QCOMPARE(result.listEntries, QStringList{u"a.bmp"_s});
    QCOMPARE(sprites[2].FileName, QStringLiteral("broken.bmp"));
    QCOMPARE(sprites[2].Picture.pixelColor(0, 0), colorOf(u"a.bmp"_s));
    QCOMPARE(sprites.block(2).pixelColor(0, 0), colorOf(u"a.bmp"_s));
    // Nothing after the failing record is read.
    QCOMPARE(asked, (QStringList{folder() + u"a.bmp"_s, folder() + u"broken.bmp"_s}));
    QVERIFY(sprites[3].FileName.isEmpty());
}

void TestCatalogue::eachPictureFileIsReadOnce()
{
    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s));
    QVERIFY(writePicture(m_dir.path(), u"b.bmp"_s));
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, "1=a.bmp\r\n2=b.bmp\r\n3=a.bmp\r\n4=A.BMP\r\n1=a.bmp\r\n"));

    SpriteTable sprites;
    QStringList asked;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, [&](const QString &path) {
        asked << path;
        return loadPictureFile(path);
    });
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.listEntries, (QStringList{u"a.bmp"_s, u"b.bmp"_s, u"a.bmp"_s, u"A.BMP"_s, u"a.bmp"_s}));
    // "A.BMP" finds a.bmp too (by letter case), and is not read again.
    QCOMPARE(asked, (QStringList{folder() + u"a.bmp"_s, folder() + u"b.bmp"_s}));
    for (const int slot : {1, 3, 4})
        QCOMPARE(sprites.block(std::uint8_t(slot)).pixelColor(20, 20), colorOf(u"a.bmp"_s));
    QCOMPARE(sprites[4].FileName, QStringLiteral("A.BMP"));
    QCOMPARE(sprites.block(2).pixelColor(20, 20), colorOf(u"b.bmp"_s));
}

void TestCatalogue::oneDecodeWhateverTheSpelling_data()
{
    QTest::addColumn<QString>("spelling"); // another record's name for a.bmp
    QTest::newRow("letter case, a leading separator") << u"\\A.BMP"_s;
    QTest::newRow("separators and dots") << u".\\.\\\\.//A.bmp"_s;
    QTest::newRow("through a folder and back") << u"sub\\..\\a.bmp"_s;
    QTest::newRow("a hard link") << u"hard.bmp"_s;
    QTest::newRow("a symbolic link") << u"SOFT.bmp"_s;
}

void TestCatalogue::oneDecodeWhateverTheSpelling()
{
    QFETCH(QString, spelling);
    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s) && QDir().mkpath(folder() + u"sub"_s));
    QVERIFY(::link(QFile::encodeName(folder() + u"a.bmp"_s), QFile::encodeName(folder() + u"hard.bmp"_s)) == 0);
    QVERIFY(QFile::link(u"a.bmp"_s, folder() + u"soft.bmp"_s));
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, "1=a.bmp\r\n2=" + spelling.toUtf8() + "\r\n"));
    SpriteTable sprites;
    int decoded = 0;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, [&](const QString &path) {
        ++decoded;
        return loadPictureFile(path);
    });
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(decoded, 1);
    QCOMPARE(sprites.block(2).pixelColor(20, 20), colorOf(u"a.bmp"_s));
}

void TestCatalogue::unreadableCatalogue_data()
{
    QTest::addColumn<QString>("gameFolder");
    QTest::addColumn<QByteArray>("catalogue"); // written as <temp>/tileset.dat
    QTest::addColumn<QString>("special");      // tileset.dat is not a file: "folder" or "pipe"

    QTest::newRow("no tileset.dat") << "%1/" << QByteArray() << "";
    QTest::newRow("folder without trailing separator") << "%1" << QByteArray("1=a.bmp\r\n") << "";
    QTest::newRow("folder that does not exist") << "%1/nowhere/" << QByteArray("1=a.bmp\r\n") << "";
    QTest::newRow("tileset.dat is a folder") << "%1/" << QByteArray() << "folder";
    QTest::newRow("tileset.dat is a named pipe") << "%1/" << QByteArray() << "pipe";
    QTest::newRow("catalogue too large") << "%1/"
                                         << QByteArray("1=a.bmp\r\n").leftJustified(int(MaxCatalogueBytes) + 1, ' ')
                                         << "";
    QTest::newRow("too many records") << "%1/" << QByteArray("1=a.bmp\r\n").repeated(MaxCatalogueRecords + 1) << "";
}

void TestCatalogue::unreadableCatalogue()
{
    QFETCH(QString, gameFolder);
    QFETCH(QByteArray, catalogue);
    QFETCH(QString, special);

    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s));
    if (special == u"folder"_s)
        QVERIFY(QDir(m_dir.path()).mkdir(u"tileset.dat"_s));
    else if (special == u"pipe"_s)
        QVERIFY(makeNamedPipe(folder() + u"tileset.dat"_s)); // opening it would wait for ever
    else if (!catalogue.isEmpty())
        QVERIFY(writeFile(folder() + u"tileset.dat"_s, catalogue));

    SpriteTable sprites;
    int picturesAsked = 0;
    const CatalogueLoadResult result = loadCatalogue(gameFolder.arg(m_dir.path()), sprites, [&](const QString &path) {
        ++picturesAsked;
        return loadPictureFile(path);
    });
    QVERIFY(!result.ok());
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(result.listEntries.isEmpty());
    QCOMPARE(picturesAsked, 0);
    QVERIFY(sprites[1].FileName.isEmpty());
}

void TestCatalogue::emptyFolderMeansTheCurrentDirectory()
{
    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s));
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, "1=a.bmp\r\n"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(QString(), sprites, loadPictureFile);
    QVERIFY(QDir::setCurrent(previous));
    QVERIFY(result.ok());
    QCOMPARE(result.listEntries, QStringList{u"a.bmp"_s});
    QCOMPARE(sprites[1].Picture.pixelColor(0, 0), colorOf(u"a.bmp"_s));
}

void TestCatalogue::windows1251Catalogue()
{
    // As the game writes it on Windows: code page 1251, backslashes, CR LF,
    // and names whose letter case differs from the files on disk.
    const QString text = QStringLiteral("1=Земля.bmp\r\n2=стены\\Кирпич.bmp\r\n3=Ёлка.bmp\r\n");
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, toWindows1251(text)));
    QVERIFY(writePicture(m_dir.path(), QStringLiteral("Земля.bmp")));
    QVERIFY(writePicture(m_dir.path(), QStringLiteral("Стены/кирпич.bmp")));
    QVERIFY(writePicture(m_dir.path(), QStringLiteral("ёлка.bmp")));

    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, loadPictureFile);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    const QStringList names{QStringLiteral("Земля.bmp"), QStringLiteral("стены\\Кирпич.bmp"),
                            QStringLiteral("Ёлка.bmp")};
    QCOMPARE(result.listEntries, names);
    QCOMPARE(sprites[2].FileName, names.at(1));
    QCOMPARE(sprites[1].Picture.pixelColor(0, 0), colorOf(QStringLiteral("Земля.bmp")));
    QCOMPARE(sprites[2].Picture.pixelColor(0, 0), colorOf(QStringLiteral("Стены/кирпич.bmp")));
    QCOMPARE(sprites[3].Picture.pixelColor(0, 0), colorOf(QStringLiteral("ёлка.bmp")));
}

void TestCatalogue::windowsNamesAreFound()
{
    // The catalogue itself may carry another letter case on disk as well.
    QVERIFY(writeFile(folder() + u"TILESET.DAT"_s, "1=Tiles\\Ground.bmp\r\n"));
    QVERIFY(writePicture(m_dir.path(), u"tiles/ground.BMP"_s));
    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(m_dir.path() + u"\\"_s, sprites, loadPictureFile);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.listEntries, QStringList{u"Tiles\\Ground.bmp"_s});
    QCOMPARE(sprites[1].FileName, QStringLiteral("Tiles\\Ground.bmp"));
    QCOMPARE(sprites[1].Picture.pixelColor(0, 0), colorOf(u"tiles/ground.BMP"_s));
}

void TestCatalogue::resolution_data()
{
    QTest::addColumn<QStringList>("onDisk");
    QTest::addColumn<QString>("asked");    // relative to the temporary folder
    QTest::addColumn<QString>("expected"); // relative to the temporary folder

    QTest::newRow("exact path") << QStringList{u"a.bmp"_s} << "a.bmp"
                                << "a.bmp";
    QTest::newRow("backslashes") << QStringList{u"walls/in/brick.bmp"_s} << "walls\\in\\brick.bmp"
                                 << "walls/in/brick.bmp";
    QTest::newRow("case of the file") << QStringList{u"Brick.Bmp"_s} << "brick.BMP"
                                      << "Brick.Bmp";
    QTest::newRow("case of every folder") << QStringList{u"Walls/Old/brick.bmp"_s} << "WALLS\\old\\BRICK.bmp"
                                          << "Walls/Old/brick.bmp";
    QTest::newRow("exact match wins") << QStringList{u"a.bmp"_s, u"A.bmp"_s} << "A.bmp"
                                      << "A.bmp";
    // The whole path is not there as written, but its folder is: that
    // folder is kept, though another differs only in letter case.
    QTest::newRow("an exact folder name wins") << QStringList{u"WALLS/a.bmp"_s, u"walls/A.bmp"_s} << "walls\\a.bmp"
                                               << "walls/A.bmp";
    QTest::newRow("lowest of several") << QStringList{u"aB.bmp"_s, u"Ab.bmp"_s} << "ab.bmp"
                                       << "Ab.bmp";
    QTest::newRow("Cyrillic case") << QStringList{QStringLiteral("Ёлки/Ель.bmp")} << QStringLiteral("ёлки\\ЕЛЬ.bmp")
                                   << QStringLiteral("Ёлки/Ель.bmp");
    QTest::newRow("missing file keeps the path") << QStringList{u"walls/a.bmp"_s} << "Walls\\b.bmp"
                                                 << "Walls/b.bmp";
    QTest::newRow("missing folder keeps the path") << QStringList{u"a.bmp"_s} << "X\\a.bmp"
                                                   << "X/a.bmp";
    QTest::newRow("a file is not a folder") << QStringList{u"a.bmp"_s} << "A.BMP\\b.bmp"
                                            << "A.BMP/b.bmp";
    QTest::newRow("blank in the name is kept") << QStringList{u"a.bmp"_s} << " A.bmp"
                                               << " A.bmp";
    QTest::newRow("dot folder") << QStringList{u"walls/a.bmp"_s} << ".\\WALLS\\.\\A.bmp"
                                << "./walls/./a.bmp";
    // Letter case as Qt compares it: each character folded on its own.
    QTest::newRow("Greek final sigma") << QStringList{QStringLiteral("ΟΔΟΣ.bmp")} << QStringLiteral("οδος.bmp")
                                       << QStringLiteral("ΟΔΟΣ.bmp");
    QTest::newRow("Kelvin sign") << QStringList{QStringLiteral("\u212Aey.bmp")} << "key.bmp"
                                 << QStringLiteral("\u212Aey.bmp");
    QTest::newRow("beyond the BMP") << QStringList{QStringLiteral("\U00010400.bmp")} << QStringLiteral("\U00010428.BMP")
                                    << QStringLiteral("\U00010400.bmp");
    QTest::newRow("sharp s is not ss") << QStringList{u"strasse.bmp"_s} << QStringLiteral("straße.bmp")
                                       << QStringLiteral("straße.bmp");
    QTest::newRow("lowest of several, one folded differently")
        << QStringList{QStringLiteral("\u212A.bmp"), u"k.bmp"_s} << "K.bmp" << QStringLiteral("k.bmp");
}

void TestCatalogue::resolution()
{
    QFETCH(QStringList, onDisk);
    QFETCH(QString, asked);
    QFETCH(QString, expected);
    for (const QString &name : onDisk)
        QVERIFY(writePicture(m_dir.path(), name));
    QCOMPARE(GamePathResolver().resolve(m_dir.path() + u"\\"_s + asked), m_dir.path() + u"/"_s + expected);
}

void TestCatalogue::eachFolderIsListedOnce()
{
    // One resolver serves one catalogue: however many of its names differ
    // from the disk in letter case, each folder is listed once, so a file
    // that appears afterwards is not seen by it.
    QVERIFY(writePicture(m_dir.path(), u"walls/A.bmp"_s));
    GamePathResolver resolver;
    QCOMPARE(resolver.resolve(folder() + u"WALLS\\a.bmp"_s), folder() + u"walls/A.bmp"_s);
    QVERIFY(writePicture(m_dir.path(), u"walls/B.bmp"_s));
    QVERIFY(writePicture(m_dir.path(), u"C.bmp"_s));
    QCOMPARE(resolver.resolve(folder() + u"walls\\b.bmp"_s), folder() + u"walls/b.bmp"_s);
    QCOMPARE(resolver.resolve(folder() + u"walls\\B.bmp"_s), folder() + u"walls/B.bmp"_s); // exact: no listing
    QCOMPARE(resolver.resolve(folder() + u"c.bmp"_s), folder() + u"c.bmp"_s);
    QCOMPARE(GamePathResolver().resolve(folder() + u"walls\\b.bmp"_s), folder() + u"walls/B.bmp"_s);
}

void TestCatalogue::eachFolderIsListedOnceWhateverItsSpelling_data()
{
    QTest::addColumn<QString>("spelling"); // of the folder walls/, asked second
    QTest::newRow("through another folder and back") << u"walls/../walls/"_s;
    QTest::newRow("doubled separators") << u"walls//"_s;
    QTest::newRow("a link to it") << u"linked/"_s;
}

void TestCatalogue::eachFolderIsListedOnceWhateverItsSpelling()
{
    // B.bmp, made after the first listing, is found only by listing again.
    QFETCH(QString, spelling);
    QVERIFY(writePicture(m_dir.path(), u"walls/A.bmp"_s) && QFile::link(u"walls"_s, folder() + u"linked"_s));
    GamePathResolver resolver;
    QCOMPARE(resolver.resolve(folder() + u"walls/a.bmp"_s), folder() + u"walls/A.bmp"_s);
    QVERIFY(writePicture(m_dir.path(), u"walls/B.bmp"_s));
    QCOMPARE(resolver.resolve(folder() + spelling + u"b.bmp"_s), folder() + spelling + u"b.bmp"_s);
}

void TestCatalogue::caseFoldKeyAgreesWithQtsComparison()
{
    // Every code point against the forms Qt gives it in other letter cases.
    const auto string = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString name = string(c) + u".bmp"_s;
        for (const char32_t other :
             {QChar::toCaseFolded(c), QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), char32_t(c + 1)}) {
            const QString otherName = string(other) + u".BMP"_s;
            const bool equal = name.compare(otherName, Qt::CaseInsensitive) == 0;
            if ((caseFoldKey(name) == caseFoldKey(otherName)) != equal)
                QFAIL(qPrintable(QStringLiteral("U+%1 and U+%2").arg(uint(c), 4, 16).arg(uint(other), 4, 16)));
        }
    }
    // Surrogates that stand alone, or in pairs, as a name may hold them.
    const QList<QPair<QString, QString>> pairs = {
        {QString(QChar(0xD801)), QString(QChar(0xD801))},
        {QString(QChar(0xDC00)), QString(QChar(0xDC28))},
        {QString(QChar(0xDC00)) + QChar(0xD801), QString(QChar(0xDC28)) + QChar(0xD801)},
        {QStringLiteral("\U00010400\U00010400"), QStringLiteral("\U00010428\U00010400")},
        {QString(QChar(0xD801)) + u"x"_s, QString(QChar(0xD801)) + u"X"_s}};
    for (const auto &[a, b] : pairs)
        QCOMPARE(caseFoldKey(a) == caseFoldKey(b), a.compare(b, Qt::CaseInsensitive) == 0);
}

void TestCatalogue::recordLimit_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("ok");
    QTest::newRow("exactly the limit") << int(MaxCatalogueRecords) << true;
    QTest::newRow("one more") << int(MaxCatalogueRecords) + 1 << false;
}

void TestCatalogue::recordLimit()
{
    QFETCH(int, records);
    QFETCH(bool, ok);
    QVERIFY(writePicture(m_dir.path(), u"a.bmp"_s));
    QVERIFY(writeFile(folder() + u"tileset.dat"_s, QByteArray("1=a.bmp\r\n").repeated(records)));
    SpriteTable sprites;
    const CatalogueLoadResult result = loadCatalogue(folder(), sprites, loadPictureFile);
    QCOMPARE(result.ok(), ok);
    QCOMPARE(result.listEntries.size(), ok ? records : 0);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
