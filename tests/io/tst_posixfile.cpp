// Opening a file by descriptor for the readers and writers: only a regular
// file is opened, never waiting on a pipe, and its descriptor then blocks as
// usual; every refusal says why.
#include "PosixFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::detail;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

class TestPosixFile : public QObject {
    Q_OBJECT
private slots:
    void openRegularDescriptor_data();
    void openRegularDescriptor();
};

void TestPosixFile::openRegularDescriptor_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("access");
    QTest::addColumn<QString>("reason"); // empty: opened

    QTest::newRow("a file, for reading") << "file" << O_RDONLY << "";
    QTest::newRow("a file, for writing") << "file" << O_WRONLY << "";
    QTest::newRow("a missing file") << "missing" << O_RDONLY << "No such file or directory";
    QTest::newRow("a folder") << "folder" << O_RDONLY << "it is a folder, not a file";
    QTest::newRow("a named pipe, for reading: not waited on")
        << "pipe" << O_RDONLY << "it is not a regular file (a named pipe)";
    QTest::newRow("a named pipe without reader, for writing") << "pipe" << O_WRONLY << "No such device or address";
    QTest::newRow("a character device") << "device" << O_WRONLY << "it is not a regular file (a character device)";
}

void TestPosixFile::openRegularDescriptor()
{
    QFETCH(QString, kind);
    QFETCH(int, access);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"x"_s);
    if (kind == u"device"_s && !makeCharacterDevice(path, 1, 5))
        QSKIP("no device node can be made here (mknod needs root and CAP_MKNOD)");
    if (kind == u"file"_s)
        QVERIFY(writeFile(path, "content"));
    else if (kind == u"folder"_s)
        QVERIFY(QDir(dir.path()).mkdir(u"x"_s));
    else if (kind == u"pipe"_s)
        QVERIFY(makeNamedPipe(path));

    const OpenedFile opened = detail::openRegularDescriptor(QFile::encodeName(path), access);
    QCOMPARE(opened.reason, reason);
    QCOMPARE(opened.ok(), reason.isEmpty());
    QCOMPARE(opened.fd >= 0, reason.isEmpty());
    if (opened.fd >= 0) {
        QCOMPARE(::fcntl(opened.fd, F_GETFL) & (O_NONBLOCK | O_ACCMODE), access);
        QCOMPARE(qint64(opened.info.st_size), qint64(7));
        ::close(opened.fd);
    }
}

QTEST_GUILESS_MAIN(TestPosixFile)
#include "tst_posixfile.moc"
