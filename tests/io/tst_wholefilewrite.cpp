// Writing a whole file safely: the target is afterwards exactly the new bytes
// or exactly what it was, keeps its mode, and nothing else is left beside it.
#include "WholeFileWrite.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray NewBytes = "the new file";
const QByteArray OldBytes = "the old file, longer than the new one";

} // namespace

class TestWholeFileWrite : public QObject {
    Q_OBJECT
private slots:
    void init();
    void writtenOrRefused_data();
    void writtenOrRefused();
    void fullDiskLeavesTheOldFile();
    void keepsTheGroupWhereTheOwnerCannotBeKept();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestWholeFileWrite::init()
{
    m_dir = QTemporaryDir();
    QVERIFY(m_dir.isValid());
}

void TestWholeFileWrite::writtenOrRefused_data()
{
    QTest::addColumn<QString>("before");      // what "out" is first
    QTest::addColumn<QString>("written");     // the file that gets the bytes; empty: refused
    QTest::addColumn<QStringList>("entries"); // the folder afterwards

    QTest::newRow("nothing: made") << ""
                                   << "out" << QStringList{u"out"_s};
    QTest::newRow("a longer file of mode 0604: replaced whole, mode kept") << "file"
                                                                           << "out" << QStringList{u"out"_s};
    QTest::newRow("leftovers of killed writes: only its own removed")
        << "leftovers"
        << "out" << QStringList{u"other.kestrun-save-Ab12Cd"_s, u"out"_s, u"out.backup"_s};
    QTest::newRow("link to a file: the file changes, the link stays") << "link>target"
                                                                      << "target" << QStringList{u"out"_s, u"target"_s};
    QTest::newRow("dangling link: its target is made") << "link>made"
                                                       << "made" << QStringList{u"made"_s, u"out"_s};
    QTest::newRow("link to itself: refused") << "link>out"
                                             << "" << QStringList{u"out"_s};
    QTest::newRow("a folder: refused") << "folder"
                                       << "" << QStringList{u"out"_s};
    QTest::newRow("a named pipe: refused, never opened") << "pipe"
                                                         << "" << QStringList{u"out"_s};
}

void TestWholeFileWrite::writtenOrRefused()
{
    QFETCH(QString, before);
    QFETCH(QString, written);
    QFETCH(QStringList, entries);
    const QString out = path(u"out"_s);
    if (before == u"file"_s) {
        QVERIFY(writeFile(out, OldBytes));
        QCOMPARE(::chmod(QFile::encodeName(out).constData(), 0604), 0);
    } else if (before == u"leftovers"_s) {
        for (const QString &name :
             {u"out"_s, u"out.backup"_s, u"out.kestrun-save-Ab12Cd"_s, u"other.kestrun-save-Ab12Cd"_s})
            QVERIFY(writeFile(path(name), OldBytes));
    } else if (before.startsWith(u"link>"_s)) {
        const QString target = before.mid(5);
        if (target == u"target"_s)
            QVERIFY(writeFile(path(target), OldBytes));
        QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(out).constData()), 0);
    } else if (before == u"folder"_s) {
        QVERIFY(QDir(m_dir.path()).mkdir(u"out"_s));
    } else if (before == u"pipe"_s) {
        QVERIFY(makeNamedPipe(out));
    }

    const WriteResult result = writeWholeFile(out, NewBytes);
    QCOMPARE(result.ok(), !written.isEmpty());
    QCOMPARE(result.reason.isEmpty(), result.ok());
    if (!written.isEmpty())
        QCOMPARE(readFile(path(written)), NewBytes);
    if (before == u"file"_s) {
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(out).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0604));
    }
    QCOMPARE(entriesOf(m_dir.path()), entries);
}

void TestWholeFileWrite::fullDiskLeavesTheOldFile()
{
    const QString old = path(u"old.png"_s);
    QVERIFY(writeFile(old, OldBytes));
    const QByteArray large(1000, 'x');

    WriteResult replaced, made;
    QVERIFY(underFileSizeLimit(300, [&] {
        replaced = writeWholeFile(old, large);
        made = writeWholeFile(path(u"new.png"_s), large);
    }));

    QCOMPARE(replaced.status, WriteStatus::Failed);
    QCOMPARE(made.status, WriteStatus::Failed);
    QCOMPARE(replaced.reason, u"the disk is full or the file too large"_s);
    QCOMPARE(readFile(old), OldBytes);
    QCOMPARE(entriesOf(m_dir.path()), QStringList{u"old.png"_s});
}

void TestWholeFileWrite::keepsTheGroupWhereTheOwnerCannotBeKept()
{
    // A file of another user and a group the writer is a member of: the
    // new file is the writer's, in the old group, with the old mode.
    constexpr unsigned Writer = 1234, OtherUser = 1235, SharedGroup = 2345;
    if (::geteuid() != 0)
        QSKIP("Needs root, to write as another user.");
    const QString out = path(u"out.png"_s);
    const QByteArray name = QFile::encodeName(out);
    QVERIFY(writeFile(out, OldBytes));
    QCOMPARE(::chown(name.constData(), OtherUser, SharedGroup), 0);
    QCOMPARE(::chmod(name.constData(), 0664), 0);
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0);

    QCOMPARE(runAsUser(Writer, {SharedGroup}, [&] { return writeWholeFile(out, NewBytes).ok(); }), 0);
    struct stat info {};
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(readFile(out), NewBytes);
    QCOMPARE(info.st_uid, uid_t(Writer));
    QCOMPARE(info.st_gid, gid_t(SharedGroup));
    QCOMPARE(info.st_mode & 07777, mode_t(0664));
}

QTEST_GUILESS_MAIN(TestWholeFileWrite)
#include "tst_wholefilewrite.moc"
