#include "MapFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray newMapBytes()
{
    QByteArray expected = QByteArray::fromHex("78563412"
                                              "0200"
                                              "0f000000"
                                              "0a000000"
                                              "0000000000000000");
    for (int i = 0; i < 176; ++i)
        expected += QByteArray::fromHex("01010000");
    return expected;
}

MapGrid patternedGrid()
{
    MapGrid grid;
    for (int i = 0; i < MapGrid::CellCount; ++i) {
        const int x = i % 16, y = i / 16;
        grid.setCell(x, y, MapCell{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7), std::uint8_t(i + 80)});
    }
    return grid;
}

QByteArray header(std::int32_t signature, std::int16_t version, std::int32_t maxX = 15, std::int32_t maxY = 10,
                  quint8 reserved = 0)
{
    MapHeader h;
    h.Signature = signature;
    h.Version = version;
    h.MaxX = maxX;
    h.MaxY = maxY;
    h.Reserved.fill(reserved);
    const auto raw = encodeMapHeader(h);
    return QByteArray(reinterpret_cast<const char *>(raw.data()), int(raw.size()));
}

} // namespace

class TestMapFile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void newMapIsExactly726KnownBytes();
    void headerFieldsArePackedWithoutPadding();
    void roundTripKeepsEveryByteValue();
    void rejectedFilesLeaveTheGridUnchanged_data();
    void rejectedFilesLeaveTheGridUnchanged();
    void acceptedFiles_data();
    void acceptedFiles();
    void unreadablePathsCreateNothing_data();
    void unreadablePathsCreateNothing();
    void onlyRegularFilesAreOpened_data();
    void onlyRegularFilesAreOpened();
    void saveOverLongerFileKeepsItsTail();
    void failedSavesLeaveNoTraceAndReportWhy_data();
    void failedSavesLeaveNoTraceAndReportWhy();
    void fullDiskKeepsTheOldFile();

private:
    QString path(QAnyStringView name) const { return m_dir.filePath(name.toString()); }
    QTemporaryDir m_dir;
};

void TestMapFile::newMapIsExactly726KnownBytes()
{
    MapGrid grid;
    applyNewMapDefaults(grid);
    const QString file = path(u"new.kmp"_s);
    QVERIFY(writeMapFile(file, grid).ok());
    const QByteArray written = readFile(file);
    QCOMPARE(written.size(), 726);
    QCOMPARE(written, newMapBytes());
}

void TestMapFile::headerFieldsArePackedWithoutPadding()
{
    const QByteArray h = header(MapSignature, 2, 0x01020304, 0x0a0b0c0d, 0xEE);
    QCOMPARE(h.size(), 22);
    QCOMPARE(h.mid(6, 4), QByteArray::fromHex("04030201"));
    QCOMPARE(h.mid(10, 4), QByteArray::fromHex("0d0c0b0a"));
    QCOMPARE(h.mid(14), QByteArray(8, char(0xEE)));
    const auto raw = reinterpret_cast<const std::uint8_t *>(h.constData());
    const MapHeader back = decodeMapHeader({raw, 22});
    QCOMPARE(back.MaxX, 0x01020304);
    QCOMPARE(back.MaxY, 0x0a0b0c0d);
    // No bytes at all (a span without a data pointer) read as a zero header.
    QCOMPARE(decodeMapHeader({}).Signature, 0);
    MapGrid grid;
    QCOMPARE(decodeMap({}, grid), MapReadStatus::NotValidMapFile);
}

void TestMapFile::roundTripKeepsEveryByteValue()
{
    // The pattern covers every value 0..255 in every field position,
    // terrain codes outside the five named ones included.
    const MapGrid grid = patternedGrid();
    const QString file = path(u"pattern.kmp"_s);
    QVERIFY(writeMapFile(file, grid).ok());
    MapGrid loaded;
    QCOMPARE(readMapFile(file, loaded).status, MapReadStatus::Loaded);
    QVERIFY(loaded == grid);
    QCOMPARE(loaded.cell(1, 0), grid.cell(1, 0));
    QCOMPARE(readFile(file).mid(22 + 4 * 175, 4),
             QByteArray::fromHex("af50c9ff")); // cell (15, 10): 175, 80, 175*7 mod 256, 255
}

void TestMapFile::rejectedFilesLeaveTheGridUnchanged_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    const QByteArray cells(704, char(9));
    QTest::newRow("empty file") << QByteArray() << int(MapReadStatus::NotValidMapFile);
    QTest::newRow("wrong signature") << header(0x12345679, 2) + cells << int(MapReadStatus::NotValidMapFile);
    QTest::newRow("signature big-endian")
        << QByteArray::fromHex("12345678") + header(0, 2).mid(4) + cells << int(MapReadStatus::NotValidMapFile);
    QTest::newRow("three bytes") << QByteArray::fromHex("785634") << int(MapReadStatus::NotValidMapFile);
    QTest::newRow("version 1") << header(MapSignature, 1) + cells << int(MapReadStatus::WrongVersion);
    QTest::newRow("version 3") << header(MapSignature, 3) + cells << int(MapReadStatus::WrongVersion);
    QTest::newRow("version missing") << header(MapSignature, 2).left(4) << int(MapReadStatus::WrongVersion);
}

void TestMapFile::rejectedFilesLeaveTheGridUnchanged()
{
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    const QString file = path(u"rejected.kmp"_s);
    QVERIFY(writeFile(file, content));
    MapGrid grid = patternedGrid();
    QCOMPARE(int(readMapFile(file, grid).status), status);
    QVERIFY(grid == patternedGrid());
    QCOMPARE(readFile(file), content);
}

void TestMapFile::acceptedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expectedCells");
    QByteArray cells;
    for (int i = 0; i < 704; ++i)
        cells += char(i * 13);
    QTest::newRow("as written") << header(MapSignature, 2) + cells << cells;
    QTest::newRow("odd MaxX, MaxY, Reserved") << header(MapSignature, 2, -1, 99999, 0xAB) + cells << cells;
    QTest::newRow("longer file: first 726 bytes") << header(MapSignature, 2) + cells + QByteArray(300, 'x') << cells;
    QTest::newRow("shorter file: the rest 0")
        << header(MapSignature, 2) + cells.left(10) << cells.left(10) + QByteArray(694, '\0');
    QTest::newRow("header only: every cell 0") << header(MapSignature, 2) << QByteArray(704, '\0');
}

void TestMapFile::acceptedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expectedCells);
    const QString file = path(u"accepted.kmp"_s);
    QVERIFY(writeFile(file, content));
    MapGrid grid = patternedGrid();
    QCOMPARE(readMapFile(file, grid).status, MapReadStatus::Loaded);
    const auto bytes = grid.bytes();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.data()), 704), expectedCells);
}

void TestMapFile::unreadablePathsCreateNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.kmp";
    QTest::newRow("missing folder") << "nowhere/missing.kmp";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("empty name") << "";
}

void TestMapFile::unreadablePathsCreateNothing()
{
    QFETCH(QString, name);
    QDir(m_dir.path()).mkdir(u"folder"_s);
    const QString file = name.isEmpty() ? QString() : path(name);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    MapGrid grid = patternedGrid();
    const MapReadResult result = readMapFile(file, grid);
    QCOMPARE(result.status, MapReadStatus::Unreadable);
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(grid == patternedGrid());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestMapFile::onlyRegularFilesAreOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    // Opening a named pipe for reading would wait for a writer for ever: a
    // fault shows as a hung test.
    QTest::newRow("named pipe") << "pipe"
                                << "it is not a regular file (a named pipe)";
    QTest::newRow("link to a named pipe") << "link to pipe"
                                          << "it is not a regular file (a named pipe)";
    QTest::newRow("socket") << "socket"
                            << "it is not a regular file (a socket)";
    QTest::newRow("character device") << "device"
                                      << "it is not a regular file (a character device)";
}

void TestMapFile::onlyRegularFilesAreOpened()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString file = path(kind + u".kmp"_s);
    if (kind == u"device"_s) {
        if (!makeCharacterDevice(file, 1, 5))
            QSKIP("no device node can be made here (mknod needs root and CAP_MKNOD)");
    } else if (kind == u"pipe"_s) {
        QVERIFY(makeNamedPipe(file));
    } else if (kind == u"link to pipe"_s) {
        QVERIFY(makeNamedPipe(path(u"linked pipe"_s)));
        QVERIFY(QFile::link(path(u"linked pipe"_s), file));
    } else if (kind == u"socket"_s) {
        QVERIFY(makeSocket(file));
    }
    MapGrid grid = patternedGrid();
    const MapReadResult result = readMapFile(file, grid);
    QCOMPARE(result.status, MapReadStatus::Unreadable);
    QCOMPARE(result.reason, reason);
    QVERIFY(grid == patternedGrid());
    // Nor is one written: the save refuses it before opening it.
    const MapWriteResult saved = writeMapFile(file, grid);
    QCOMPARE(saved.status, MapWriteStatus::Failed);
    QCOMPARE(saved.reason, reason);
}

void TestMapFile::saveOverLongerFileKeepsItsTail()
{
    const QString file = path(u"long.kmp"_s);
    QByteArray old(1000, '\0');
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(i);
    QVERIFY(writeFile(file, old));
    MapGrid grid;
    applyNewMapDefaults(grid);
    QVERIFY(writeMapFile(file, grid).ok());
    const QByteArray after = readFile(file);
    QCOMPARE(after.size(), 1000);
    QCOMPARE(after.left(726), newMapBytes());
    QCOMPARE(after.mid(726), old.mid(726));
}

void TestMapFile::failedSavesLeaveNoTraceAndReportWhy_data()
{
    QTest::addColumn<QString>("target");
    // Paths that fail for root too.
    QTest::newRow("parent is a file") << "plain.txt/map.kmp";
    QTest::newRow("folder as target") << "folder";
    QTest::newRow("missing folder") << "nowhere/map.kmp";
    QTest::newRow("empty name") << "";
}

void TestMapFile::failedSavesLeaveNoTraceAndReportWhy()
{
    QFETCH(QString, target);
    QVERIFY(writeFile(path(u"plain.txt"_s), "keep me"));
    QDir(m_dir.path()).mkdir(u"folder"_s);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    MapGrid grid = patternedGrid();
    const MapWriteResult result = writeMapFile(target.isEmpty() ? QString() : path(target), grid);
    QCOMPARE(result.status, MapWriteStatus::Failed);
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(grid == patternedGrid());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QCOMPARE(readFile(path(u"plain.txt"_s)), QByteArray("keep me"));
}

void TestMapFile::fullDiskKeepsTheOldFile()
{
    QVERIFY(QDir(m_dir.path()).mkpath(u"disk"_s));
    const QString file = path(u"disk/old.kmp"_s);
    const QByteArray old = newMapBytes();
    QVERIFY(writeFile(file, old));
    const MapGrid grid = patternedGrid();

    MapWriteResult failure, failureNew;
    QVERIFY(underFileSizeLimit(300, [&] {
        failure = writeMapFile(file, grid);
        failureNew = writeMapFile(path(u"disk/fresh.kmp"_s), grid);
    }));

    QVERIFY(!failure.ok());
    QVERIFY(!failureNew.ok());
    QCOMPARE(readFile(file), old);
    QVERIFY(!QFile::exists(path(u"disk/fresh.kmp"_s)));
    QCOMPARE(QDir(path(u"disk"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.kmp"_s});
}

QTEST_GUILESS_MAIN(TestMapFile)
#include "tst_mapfile.moc"
