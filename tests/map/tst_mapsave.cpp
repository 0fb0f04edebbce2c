// Saving a map keeps the file as the old in-place write kept it: its tail,
// its mode, owner and group, its ACL, flags and other hard links; a save into
// a folder that may not be written, over a symbolic link (another user's in a
// shared folder refused), or killed at each of its steps.
#include "FileHeadWrite.h"
#include "NativeFileName.h"
#include "SaveFaults.h"
#include "StreamedWrite.h"
#include "MapFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace kestrun;
using namespace kestrun::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr uid_t Nobody = 65534;
constexpr uid_t Saver = 1234;
constexpr uid_t OtherUser = 1235;
constexpr gid_t SharedGroup = 2345;
constexpr qint64 GiB = qint64(1) << 30;

MapGrid gridOf(std::uint8_t seed)
{
    MapGrid grid;
    for (int i = 0; i < MapGrid::CellCount; ++i)
        grid.setCell(i % 16, i / 16, MapCell{seed, std::uint8_t(i), std::uint8_t(seed + i), 7});
    return grid;
}

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// `size` bytes at `offset` of a file, without reading the rest.
QByteArray readAt(const QString &path, qint64 offset, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return QByteArray();
    return file.read(size);
}

bool exists(const QByteArray &name)
{
    struct stat info {};
    return ::lstat(name.constData(), &info) == 0;
}

// An access ACL as the system stores it (system.posix_acl_access): the
// owner, group and others of mode 0664, and user `uid` with read and write.
QByteArray aclGranting(uid_t uid)
{
    struct Entry {
        quint16 tag, permissions;
        quint32 id;
    };
    constexpr quint32 NoId = 0xFFFFFFFF;
    const Entry entries[] = {
        {0x01, 6, NoId}, {0x02, 6, quint32(uid)}, {0x04, 6, NoId}, {0x10, 6, NoId}, {0x20, 4, NoId}};
    const quint32 version = 2;
    return QByteArray(reinterpret_cast<const char *>(&version), sizeof version)
        + QByteArray(reinterpret_cast<const char *>(entries), sizeof entries);
}

QByteArray attributeOf(const QByteArray &path, const QByteArray &name)
{
    QByteArray value(1024, '\0');
    const ssize_t size = ::getxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
    return size < 0 ? QByteArray() : value.left(size);
}

QString cyrillicName(int letters)
{
    QString name;
    for (int i = 0; i < letters; ++i)
        name += QChar(u'а' + i % 32);
    return name + u".kmp"_s;
}

// `base` extended by nested folders to `bytes` bytes.
QString deepFolder(QString base, qsizetype bytes)
{
    while (base.size() < bytes) {
        const qsizetype left = bytes - base.size();
        base += u'/' + QString(left <= 201 ? left - 1 : 100, u'd');
    }
    return base;
}

QByteArray patterned(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 4096) & 0xFF);
    return bytes;
}

// The map of `seed` written whole by one of the writers: "save" (the
// editor's, which keeps a tail), "stream" (the kmp writers', in two pieces)
// or "whole" (kmp's other outputs).
WriteResult writeBy(const QString &writer, const QString &path, std::uint8_t seed)
{
    const QByteArray map = encodeMap(gridOf(seed));
    if (writer == u"stream"_s)
        return writeMapStream(path, [&](const ByteSink &sink) {
            return sink(QByteArrayView(map).first(100)) && sink(QByteArrayView(map).sliced(100)) ? QString()
                                                                                                 : u"unwritten"_s;
        });
    if (writer == u"whole"_s)
        return writeWholeFile(path, map);
    const MapWriteResult saved = writeMapFile(path, gridOf(seed));
    return {saved.ok() ? WriteStatus::Written : WriteStatus::Failed, saved.reason};
}

// Makes step `failing` fail with `error` every time it is reached.
void failStep(detail::SaveStep failing, int error)
{
    detail::setSaveStepHook([=](detail::SaveStep step) { return step == failing ? error : 0; });
}

} // namespace

class TestMapSave : public QObject {
    Q_OBJECT
private slots:
    void init();

    void replacedOrWrittenInPlace_data();
    void replacedOrWrittenInPlace();
    void keepsModeOwnerAndGroup();
    void keepsExtendedAttributes_data();
    void keepsExtendedAttributes();
    void unwritableFolderWritesTheFileInPlace();
    void savedByAnotherUser_data();
    void savedByAnotherUser();
    void symbolicLinks_data();
    void symbolicLinks();
    void sharedFolderLinks_data();
    void sharedFolderLinks();
    void inPlaceRule_data();
    void inPlaceRule();
    void mountedMaps_data();
    void mountedMaps();
    void folderDefaultAcl_data();
    void folderDefaultAcl();
    void keepsInodeFlags_data();
    void keepsInodeFlags();
    void longNames_data();
    void longNames();
    void removesOnlyItsOwnLeftovers();
    void leftoversAreMatchedByTheirBytes();
    void keepsTheTemporaryOfASaveInProgress();
    void twoEditorsSavingOneMapBothSucceed();
    void killedAtEachStepLeavesTheOldOrTheNewMap_data();
    void killedAtEachStepLeavesTheOldOrTheNewMap();
    void syncOrderAndNewFileModes_data();
    void syncOrderAndNewFileModes();
    void mapReplacedDuringTheTailCopyIsSavedAgain();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestMapSave::init()
{
    detail::setSaveStepHook({});
    m_dir = QTemporaryDir();
    QVERIFY(m_dir.isValid());
}

void TestMapSave::replacedOrWrittenInPlace_data()
{
    QTest::addColumn<qint64>("tail");
    QTest::addColumn<bool>("sparse"); // the tail is a hole: no disk behind it
    QTest::addColumn<int>("links");
    QTest::addColumn<bool>("inPlace");

    QTest::newRow("no tail: replaced") << qint64(0) << false << 1 << false;
    QTest::newRow("1 MiB tail: copied") << MaxCopiedTail << false << 1 << false;
    QTest::newRow("longer tail: in place") << MaxCopiedTail + 1 << false << 1 << true;
    QTest::newRow("2 GiB sparse tail: in place, nothing copied") << 2 * GiB << true << 1 << true;
    QTest::newRow("second hard link: in place") << qint64(300) << false << 2 << true;
}

void TestMapSave::replacedOrWrittenInPlace()
{
    QFETCH(qint64, tail);
    QFETCH(bool, sparse);
    QFETCH(int, links);
    QFETCH(bool, inPlace);

    const QString file = path(u"level.kmp"_s);
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + (sparse ? QByteArray() : patterned(tail))));
    if (sparse)
        QCOMPARE(::truncate(QFile::encodeName(file).constData(), off_t(MapFileSize + tail)), 0);
    if (links == 2)
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(path(u"other.kmp"_s)).constData()) == 0);
    const struct stat before = statOf(file);

    QVERIFY(writeMapFile(file, gridOf(2)).ok());

    const struct stat after = statOf(file);
    QCOMPARE(after.st_ino == before.st_ino, inPlace);
    QCOMPARE(qint64(after.st_size), MapFileSize + tail);
    QCOMPARE(readAt(file, 0, MapFileSize), encodeMap(gridOf(2)));
    if (sparse) {
        QCOMPARE(readAt(file, MapFileSize + tail - 4096, 4096), QByteArray(4096, '\0'));
        QVERIFY2(after.st_blocks * 512 < 1024 * 1024, "the hole was filled");
    } else {
        QCOMPARE(readAt(file, MapFileSize, tail), patterned(tail));
    }
    if (links == 2)
        QCOMPARE(readFile(path(u"other.kmp"_s)), readFile(file));
    const QStringList names = links == 2 ? QStringList{u"level.kmp"_s, u"other.kmp"_s} : QStringList{u"level.kmp"_s};
    QCOMPARE(entriesOf(m_dir.path()), names);
}

void TestMapSave::keepsModeOwnerAndGroup()
{
    const QString file = path(u"shared.kmp"_s);
    const QByteArray name = QFile::encodeName(file);
    QVERIFY(writeFile(file, encodeMap(gridOf(1))));
    QCOMPARE(::chmod(name.constData(), 0604), 0);
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(::chown(name.constData(), Nobody, Nobody), 0);

    QVERIFY(writeMapFile(file, gridOf(2)).ok());
    const struct stat after = statOf(file);
    QCOMPARE(readFile(file), encodeMap(gridOf(2)));
    QCOMPARE(after.st_mode & 07777, mode_t(0604));
    if (!root)
        QSKIP("Giving the file back another user's owner and group needs root; only the mode was checked.");
    QCOMPARE(after.st_uid, Nobody);
    QCOMPARE(after.st_gid, gid_t(Nobody));
}

void TestMapSave::keepsExtendedAttributes_data()
{
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("inPlace");

    QTest::newRow("a user attribute (tags): kept through the rename")
        << QByteArray("user.xdg.tags") << QByteArray("level,done") << false;
    QTest::newRow("an ACL granting uid 1234 read and write: kept through the rename")
        << QByteArray("system.posix_acl_access") << aclGranting(1234) << false;
    QTest::newRow("one the saver may not set (security.*): in place")
        << QByteArray("security.kestrun-test") << QByteArray("label") << true;
}

void TestMapSave::keepsExtendedAttributes()
{
    QFETCH(QByteArray, attribute);
    QFETCH(QByteArray, value);
    QFETCH(bool, inPlace);
    // Saved by the map's owner, an unprivileged user, in a folder of its own.
    constexpr uid_t Owner = Saver;
    if (::geteuid() != 0)
        QSKIP("Needs root, to save as another user who may not set every attribute.");
    const QString folder = path(u"levels"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + u"/level.kmp"_s;
    const QByteArray name = QFile::encodeName(file);
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
    QCOMPARE(::chmod(name.constData(), 0664), 0);
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    QCOMPARE(::chown(QFile::encodeName(folder).constData(), Owner, Owner), 0);
    QCOMPARE(::chown(name.constData(), Owner, Owner), 0);
    if (::setxattr(name.constData(), attribute.constData(), value.constData(), size_t(value.size()), 0) != 0)
        QSKIP(qPrintable(u"This file system refuses the attribute %1: %2"_s.arg(
            QString::fromLatin1(attribute), QString::fromLocal8Bit(std::strerror(errno)))));
    const QByteArray kept = attributeOf(name, attribute);
    const struct stat before = statOf(file);

    const int saved = runAsUser(Owner, {}, [&] { return writeMapFile(file, gridOf(2)).ok(); });
    QCOMPARE(saved, 0);
    const struct stat after = statOf(file);
    QCOMPARE(readFile(file), encodeMap(gridOf(2)) + "tail");
    QCOMPARE(after.st_ino == before.st_ino, inPlace);
    QCOMPARE(attributeOf(name, attribute), kept);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, Owner);
    QCOMPARE(entriesOf(folder), QStringList{u"level.kmp"_s});
}

void TestMapSave::unwritableFolderWritesTheFileInPlace()
{
    // A shared level folder: the map may be written, the folder may not.
    const QString folder = path(u"shared"_s);
    const QString file = folder + u"/level.kmp"_s;
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    const ino_t inode = statOf(file).st_ino;
    // And a map that may be written but not read, in a folder open to all:
    // its tail cannot be copied, so it stays where it is.
    const QString open = path(u"open"_s);
    const QString writeOnly = open + u"/write-only.kmp"_s;
    QVERIFY(QDir().mkdir(open));
    QVERIFY(writeFile(writeOnly, encodeMap(gridOf(1)) + "tail"));
    QCOMPARE(::chmod(QFile::encodeName(writeOnly).constData(), 0222), 0);
    QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0777), 0);

    // Root may write any folder, so the save runs as an unprivileged user:
    // a child process that drops root as setpriv would.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(77);
        if (::access(QFile::encodeName(file).constData(), W_OK) != 0)
            ::_exit(78);
        const bool saved = writeMapFile(file, gridOf(2)).ok();
        const bool refused = !writeMapFile(folder + u"/new.kmp"_s, gridOf(2)).ok();
        const bool savedWriteOnly = writeMapFile(writeOnly, gridOf(2)).ok();
        ::_exit(saved && refused && savedWriteOnly ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        QSKIP("Cannot drop root to an unprivileged user here.");
    if (WEXITSTATUS(status) == 78)
        QSKIP("An unprivileged user cannot reach the temporary folder here.");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(file), encodeMap(gridOf(2)) + "tail");
    QCOMPARE(statOf(file).st_ino, inode);
    QCOMPARE(entriesOf(folder), QStringList{u"level.kmp"_s});
    QCOMPARE(::chmod(QFile::encodeName(writeOnly).constData(), 0644), 0);
    QCOMPARE(readFile(writeOnly), encodeMap(gridOf(2)) + "tail");
    QCOMPARE(entriesOf(open), QStringList{u"write-only.kmp"_s});
}

void TestMapSave::savedByAnotherUser_data()
{
    QTest::addColumn<uint>("owner"); // of the map; the saver is Saver
    QTest::addColumn<uint>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("inPlace");

    // The rename would be refused (a sticky folder keeps others' files), and
    // the owner could not be given to the temporary anyway.
    QTest::newRow("another user's map (0666) in a sticky folder open to all: in place")
        << uint(OtherUser) << uint(OtherUser) << 0666 << 01777 << true;
    QTest::newRow("another user's map, group-shared (0664), group-writable folder: in place")
        << uint(OtherUser) << uint(SharedGroup) << 0664 << 0775 << true;
    QTest::newRow("the saver's map of another of its groups: replaced, group kept")
        << uint(Saver) << uint(SharedGroup) << 0664 << 0775 << false;
}

void TestMapSave::savedByAnotherUser()
{
    QFETCH(uint, owner);
    QFETCH(uint, group);
    QFETCH(int, mode);
    QFETCH(int, folderMode);
    QFETCH(bool, inPlace);
    if (::geteuid() != 0)
        QSKIP("Needs root, to save as other users.");
    const QString folder = path(u"shared"_s);
    const QString file = folder + u"/level.kmp"_s;
    const QByteArray name = QFile::encodeName(file);
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
    QCOMPARE(::chown(name.constData(), owner, group), 0);
    QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0);
    QCOMPARE(::chown(QFile::encodeName(folder).constData(), 0, SharedGroup), 0);
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    const struct stat before = statOf(file);

    const int saved = runAsUser(Saver, {SharedGroup}, [&] { return writeMapFile(file, gridOf(2)).ok(); });
    QCOMPARE(saved, 0);
    const struct stat after = statOf(file);
    QCOMPARE(readFile(file), encodeMap(gridOf(2)) + "tail");
    QCOMPARE(after.st_ino == before.st_ino, inPlace);
    QCOMPARE(after.st_uid, uid_t(owner));
    QCOMPARE(after.st_gid, gid_t(group));
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(entriesOf(folder), QStringList{u"level.kmp"_s});
}

void TestMapSave::symbolicLinks_data()
{
    QTest::addColumn<QStringList>("links");   // "name>target" pairs made first
    QTest::addColumn<QString>("saved");       // the name saved to
    QTest::addColumn<QString>("written");     // the file that gets the map; empty: a failure
    QTest::addColumn<QStringList>("entries"); // the folder afterwards

    QTest::newRow("link to a map: the map changes, the link stays")
        << QStringList{u"link.kmp>map.kmp"_s} << "link.kmp"
        << "map.kmp" << QStringList{u"link.kmp"_s, u"map.kmp"_s};
    QTest::newRow("dangling link: its target is made")
        << QStringList{u"link.kmp>made.kmp"_s} << "link.kmp"
        << "made.kmp" << QStringList{u"link.kmp"_s, u"made.kmp"_s, u"map.kmp"_s};
    QTest::newRow("relative link into another folder: levels/link.kmp -> ../real/x.kmp")
        << QStringList{u"levels/link.kmp>../real/x.kmp"_s} << "levels/link.kmp"
        << "real/x.kmp" << QStringList{u"levels"_s, u"map.kmp"_s, u"real"_s};
    QTest::newRow("link reached through a folder alias: alias/l.kmp -> ../real/x.kmp")
        << QStringList{u"alias>real"_s, u"real/l.kmp>../real/x.kmp"_s} << "alias/l.kmp"
        << "real/x.kmp" << QStringList{u"alias"_s, u"map.kmp"_s, u"real"_s};
    QTest::newRow("link to itself: reported") << QStringList{u"loop.kmp>loop.kmp"_s} << "loop.kmp"
                                              << "" << QStringList{u"loop.kmp"_s, u"map.kmp"_s};
    QTest::newRow("two links in a ring: reported") << QStringList{u"a.kmp>b.kmp"_s, u"b.kmp>a.kmp"_s} << "a.kmp"
                                                   << "" << QStringList{u"a.kmp"_s, u"b.kmp"_s, u"map.kmp"_s};
}

void TestMapSave::symbolicLinks()
{
    QFETCH(QStringList, links);
    QFETCH(QString, saved);
    QFETCH(QString, written);
    QFETCH(QStringList, entries);
    QVERIFY(writeFile(path(u"map.kmp"_s), encodeMap(gridOf(1))));
    if (!written.isEmpty())
        QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(written).path()));
    for (const QString &link : links) {
        const QStringList parts = link.split(u'>');
        QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(parts[0]).path()));
        QCOMPARE(::symlink(QFile::encodeName(parts[1]).constData(), QFile::encodeName(path(parts[0])).constData()), 0);
    }

    const MapWriteResult result = writeMapFile(path(saved), gridOf(2));
    if (written.isEmpty()) {
        QCOMPARE(result.status, MapWriteStatus::Failed);
        QVERIFY2(result.reason.contains(u"symbolic-link loop"_s), qPrintable(result.reason));
    } else {
        QVERIFY2(result.ok(), qPrintable(result.reason));
        QCOMPARE(readFile(path(written)), encodeMap(gridOf(2)));
    }
    QVERIFY(S_ISLNK(statOf(path(saved)).st_mode));
    QCOMPARE(entriesOf(m_dir.path()), entries);
}

void TestMapSave::sharedFolderLinks_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("onTheWay"); // a link to the folder, not to the map
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("folderOwnersLink");
    QTest::addColumn<bool>("refused");

    QTest::newRow("save: another user's link as the map, sticky folder open to all: refused")
        << "save" << false << 01777 << false << true;
    QTest::newRow("stream: the same: refused") << "stream" << false << 01777 << false << true;
    QTest::newRow("whole file: the same: refused") << "whole" << false << 01777 << false << true;
    QTest::newRow("save: another user's link to a folder on the way: refused")
        << "save" << true << 01777 << false << true;
    QTest::newRow("save: the folder owner's link: followed") << "save" << false << 01777 << true << false;
    QTest::newRow("save: another user's link, folder not sticky: followed") << "save" << true << 0777 << false << false;
}

void TestMapSave::sharedFolderLinks()
{
    QFETCH(QString, writer);
    QFETCH(bool, onTheWay);
    QFETCH(int, folderMode);
    QFETCH(bool, folderOwnersLink);
    QFETCH(bool, refused);
    if (::geteuid() != 0)
        QSKIP("Needs root, to give a link to another user.");
    const QString victim = path(u"victim/level.kmp"_s);
    const QString shared = path(u"shared"_s);
    QVERIFY(QDir().mkpath(path(u"victim"_s)) && QDir().mkpath(shared));
    QVERIFY(writeFile(victim, encodeMap(gridOf(1))));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), mode_t(folderMode)), 0);
    if (folderOwnersLink)
        QCOMPARE(::chown(QFile::encodeName(shared).constData(), OtherUser, OtherUser), 0);
    const QString link = shared + (onTheWay ? u"/levels"_s : u"/level.kmp"_s);
    const QString linked = onTheWay ? path(u"victim"_s) : victim;
    QCOMPARE(::symlink(QFile::encodeName(linked).constData(), QFile::encodeName(link).constData()), 0);
    QCOMPARE(::lchown(QFile::encodeName(link).constData(), OtherUser, OtherUser), 0);

    const WriteResult result = writeBy(writer, onTheWay ? link + u"/level.kmp"_s : link, 2);
    QCOMPARE(result.ok(), !refused);
    QVERIFY2(result.reason.contains(u"symbolic link \"%1\", which another user owns"_s.arg(QFileInfo(link).fileName()))
                 == refused,
             qPrintable(result.reason));
    QCOMPARE(readFile(victim), encodeMap(gridOf(refused ? 1 : 2)));
    QVERIFY(S_ISLNK(statOf(link).st_mode));
    QCOMPARE(entriesOf(shared), QStringList{QFileInfo(link).fileName()});
    QCOMPARE(entriesOf(path(u"victim"_s)), QStringList{u"level.kmp"_s});
}

void TestMapSave::inPlaceRule_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<int>("links");
    QTest::addColumn<int>("step");       // the step made to fail ...
    QTest::addColumn<int>("error");      // ... with this errno; 0: none
    QTest::addColumn<QString>("reason"); // empty: written in place

    using S = detail::SaveStep;
    QTest::newRow("stream, a hard-linked map: in place") << "stream" << 2 << 0 << 0 << "";
    QTest::newRow("stream, a producer failing half-way over a hard-linked map: the map kept")
        << "stream" << 2 << 0 << 0 << "half";
    for (const QString &writer : {u"save"_s, u"stream"_s}) {
        QTest::addRow("%s, rename refused with EXDEV: in place", qPrintable(writer))
            << writer << 1 << int(S::Rename) << EXDEV << "";
        QTest::addRow("%s, rename refused with EBUSY (bind-mounted): in place", qPrintable(writer))
            << writer << 1 << int(S::Rename) << EBUSY << "";
        QTest::addRow("%s, flags that cannot be given: in place", qPrintable(writer))
            << writer << 1 << int(S::SetFlags) << EPERM << "";
        QTest::addRow("%s, a read-only file system: said so", qPrintable(writer))
            << writer << 1 << int(S::CheckAccess) << EROFS << "it is on a read-only file system";
        // A failed save keeps the old map and leaves no temporary behind.
        QTest::addRow("%s, a full disk: said so, the map kept", qPrintable(writer))
            << writer << 1 << int(S::Write) << ENOSPC << "the disk is full or the file too large";
        QTest::addRow("%s, a failed sync: the map kept", qPrintable(writer))
            << writer << 1 << int(S::SyncTemporary) << EIO << qt_error_string(EIO);
    }
    QTest::newRow("save, a new map on a read-only file system: said so")
        << "save" << 0 << int(S::CreateTemporary) << EROFS << "it is on a read-only file system";
}

void TestMapSave::inPlaceRule()
{
    QFETCH(QString, writer);
    QFETCH(int, links);
    QFETCH(int, step);
    QFETCH(int, error);
    QFETCH(QString, reason);
    const QString file = path(u"level.kmp"_s);
    const QByteArray name = QFile::encodeName(file);
    if (links > 0)
        QVERIFY(writeFile(file, encodeMap(gridOf(1))));
    if (links == 2)
        QCOMPARE(::link(name.constData(), QFile::encodeName(path(u"other.kmp"_s)).constData()), 0);
    int flags = FS_NODUMP_FL;
    const int fd = ::open(name.constData(), O_RDONLY);
    if (step == int(detail::SaveStep::SetFlags) && (fd < 0 || ::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0))
        QSKIP("This file system has no inode flags.");
    ::close(fd);
    const ino_t inode = statOf(file).st_ino;
    failStep(detail::SaveStep(step), error);

    WriteResult result;
    if (reason == u"half"_s) // a producer that fails after writing part of the map
        result = writeMapStream(file, [](const ByteSink &sink) { return sink("half a map") ? u"half"_s : QString(); });
    else
        result = writeBy(writer, file, 2);
    QCOMPARE(result.reason, reason);
    QCOMPARE(readFile(file), links == 0 ? QByteArray() : encodeMap(gridOf(reason.isEmpty() ? 2 : 1)));
    QCOMPARE(statOf(file).st_ino, inode);
    const QStringList names{u"level.kmp"_s, u"other.kmp"_s};
    QCOMPARE(entriesOf(m_dir.path()), names.first(links));
}

void TestMapSave::mountedMaps_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("readOnly"); // the map's folder mounted read-only; else a file bind-mounted over the map

    for (const QString &writer : {u"save"_s, u"stream"_s}) {
        QTest::addRow("%s, a file bind-mounted over the map: that file written in place", qPrintable(writer))
            << writer << false;
        QTest::addRow("%s, the folder mounted read-only: said so", qPrintable(writer)) << writer << true;
    }
}

void TestMapSave::mountedMaps()
{
    QFETCH(QString, writer);
    QFETCH(bool, readOnly);
    // The mounts live in a child's own mount namespace and go with it.
    const QString folder = path(u"levels"_s);
    const QString file = folder + u"/level.kmp"_s;
    const QString source = path(u"source.kmp"_s);
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(writeFile(file, encodeMap(gridOf(1))) && writeFile(source, encodeMap(gridOf(1))));
    const QByteArray mounted = QFile::encodeName(readOnly ? folder : file);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(77);
        const bool made = readOnly
            ? ::mount(mounted.constData(), mounted.constData(), nullptr, MS_BIND, nullptr) == 0
                && ::mount(nullptr, mounted.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0
            : ::mount(QFile::encodeName(source).constData(), mounted.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (!made)
            ::_exit(77);
        const WriteResult result = writeBy(writer, file, 2);
        const bool expected = readOnly ? result.reason == u"it is on a read-only file system"_s : result.ok();
        ::_exit(expected ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        QSKIP("Cannot mount in a mount namespace of its own here.");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(source), encodeMap(gridOf(readOnly ? 1 : 2)));
    QCOMPARE(readFile(file), encodeMap(gridOf(1)));
    QCOMPARE(entriesOf(folder), QStringList{u"level.kmp"_s});
}

void TestMapSave::folderDefaultAcl_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("ownAcl"); // the map has an ACL of its own

    for (const QString &writer : {u"save"_s, u"stream"_s, u"whole"_s}) {
        QTest::addRow("%s over a 0640 map without an ACL: still none", qPrintable(writer)) << writer << true << false;
        QTest::addRow("%s over a map with its own ACL: that one", qPrintable(writer)) << writer << true << true;
        QTest::addRow("%s of a new map: what the folder gives any new file", qPrintable(writer))
            << writer << false << false;
    }
}

void TestMapSave::folderDefaultAcl()
{
    QFETCH(QString, writer);
    QFETCH(bool, exists);
    QFETCH(bool, ownAcl);
    // The folder's default ACL grants another user read and write.
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray grant = aclGranting(OtherUser);
    if (::setxattr(folder.constData(), "system.posix_acl_default", grant.constData(), size_t(grant.size()), 0) != 0)
        QSKIP(qPrintable(u"This file system takes no default ACL: "_s + QString::fromLocal8Bit(std::strerror(errno))));
    const QString file = path(u"level.kmp"_s);
    const QByteArray name = QFile::encodeName(file);
    QVERIFY(writeFile(path(u"any-new-file"_s), "made as any file"));
    QByteArray expected = attributeOf(QFile::encodeName(path(u"any-new-file"_s)), "system.posix_acl_access");
    QVERIFY(!expected.isEmpty());
    if (exists) {
        QVERIFY(writeFile(file, encodeMap(gridOf(1))));
        QCOMPARE(::removexattr(name.constData(), "system.posix_acl_access"), 0);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        const QByteArray own = aclGranting(Saver);
        if (ownAcl)
            QCOMPARE(::setxattr(name.constData(), "system.posix_acl_access", own.constData(), size_t(own.size()), 0),
                     0);
        expected = attributeOf(name, "system.posix_acl_access");
    }
    const ino_t inode = statOf(file).st_ino;

    const WriteResult result = writeBy(writer, file, 2);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(readFile(file), encodeMap(gridOf(2)));
    QVERIFY(statOf(file).st_ino != inode);
    QCOMPARE(attributeOf(name, "system.posix_acl_access"), expected);
    if (exists && !ownAcl)
        QCOMPARE(statOf(file).st_mode & 07777, mode_t(0640));
}

void TestMapSave::keepsInodeFlags_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<int>("flag");

    for (const QString &writer : {u"save"_s, u"stream"_s}) {
        QTest::addRow("%s: no dump (chattr +d)", qPrintable(writer)) << writer << int(FS_NODUMP_FL);
        QTest::addRow("%s: no access time (chattr +A)", qPrintable(writer)) << writer << int(FS_NOATIME_FL);
    }
}

void TestMapSave::keepsInodeFlags()
{
    QFETCH(QString, writer);
    QFETCH(int, flag);
    const QString file = path(u"level.kmp"_s);
    QVERIFY(writeFile(file, encodeMap(gridOf(1))));
    const auto flagsOf = [&] {
        int flags = -1;
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
            flags = -1;
        ::close(fd);
        return flags;
    };
    int flags = flagsOf() | flag;
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    const bool set = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    if (!set)
        QSKIP("This file system has no inode flags, or takes none from this user.");
    const ino_t inode = statOf(file).st_ino;

    const WriteResult result = writeBy(writer, file, 2);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QVERIFY(statOf(file).st_ino != inode);
    QCOMPARE(flagsOf(), flags);
}

void TestMapSave::longNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("deep"); // the map's path just under PATH_MAX, its temporary's past it

    QTest::newRow("120 Cyrillic letters (244 bytes)") << cyrillicName(120) << false;
    QTest::newRow("255 bytes") << QString(251, u'x') + u".kmp"_s << false;
    // The temporary is named within its folder's descriptor: no path passes.
    QTest::newRow("path of 4090 bytes") << u"level.kmp"_s << true;
}

void TestMapSave::longNames()
{
    QFETCH(QString, name);
    QFETCH(bool, deep);
    const QString folder = deep ? deepFolder(m_dir.path(), 4090 - 1 - name.size()) : m_dir.path();
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + u'/' + name;
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
    const ino_t inode = statOf(file).st_ino;

    const MapWriteResult saved = writeMapFile(file, gridOf(2));
    QVERIFY2(saved.ok(), qPrintable(saved.reason));
    QCOMPARE(readFile(file), encodeMap(gridOf(2)) + "tail");
    QVERIFY(statOf(file).st_ino != inode);
    QCOMPARE(entriesOf(folder), QStringList{name});
    if (deep) {
        QVERIFY(writeMapFile(folder + u"/new.kmp"_s, gridOf(2)).ok());
        QCOMPARE(readFile(folder + u"/new.kmp"_s), encodeMap(gridOf(2)));
    }
}

void TestMapSave::removesOnlyItsOwnLeftovers()
{
    const QStringList kept{u"level.kmp"_s,
                           u"level.kmp.XyZ123"_s,
                           u"level.kmp.backup"_s,
                           u"level.kmp.kestrun-save-Ab12C"_s,
                           u"level.kmp.kestrun-save-Ab12Cd.bak"_s,
                           u"level.kmp.kestrun-save-folder"_s,
                           u"other.kmp.kestrun-save-Ab12Cd"_s};
    for (const QString &name : kept) {
        if (name.endsWith(u"folder"_s))
            QVERIFY(QDir(m_dir.path()).mkdir(name));
        else
            QVERIFY(writeFile(path(name), "keep"));
    }
    QVERIFY(writeFile(path(u"level.kmp.kestrun-save-Ab12Cd"_s), "left by a killed save"));
    QVERIFY(writeFile(path(u"level.kmp.kestrun-save-000000"_s), ""));
    QVERIFY(isSaveTemporaryOf("level.kmp", "level.kmp.kestrun-save-Ab12Cd"));

    QVERIFY(writeMapFile(path(u"level.kmp"_s), gridOf(2)).ok());
    QStringList expected = kept;
    expected.sort();
    QCOMPARE(entriesOf(m_dir.path()), expected);
}

void TestMapSave::leftoversAreMatchedByTheirBytes()
{
    // Two maps whose names are not valid UTF-8 and differ in the one byte
    // that decodes to U+FFFD: only the saved map's own leftover goes.
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray saved = folder + "/bad\xff.kmp";
    const QByteArray other = folder + "/bad\xfe.kmp";
    const QByteArray Leftover = ".kestrun-save-AbCdEf";
    // QTemporaryDir cannot remove what it cannot name.
    const auto removeAll = qScopeGuard([&] {
        for (const QByteArray &name : {saved, other, saved + Leftover, other + Leftover})
            ::unlink(name.constData());
    });
    for (const QByteArray &name : {saved, other}) {
        QVERIFY(writeFileByName(name, encodeMap(gridOf(1))));
        QVERIFY(writeFileByName(name + Leftover, "left by a killed save"));
    }
    const NativeFileName name(saved);
    QVERIFY(name.isExact());

    QVERIFY(writeMapFile(name.openName(), gridOf(2)).ok());
    QCOMPARE(readFileByName(saved), encodeMap(gridOf(2)));
    QVERIFY(!exists(saved + Leftover));
    QVERIFY(exists(other + Leftover));
    QCOMPARE(readFileByName(other), encodeMap(gridOf(1)));
}

void TestMapSave::keepsTheTemporaryOfASaveInProgress()
{
    // Another editor saving the same map holds a lock on its temporary.
    const QString file = path(u"level.kmp"_s);
    QVERIFY(writeFile(file, encodeMap(gridOf(1))));
    const QByteArray busy = QFile::encodeName(file + u".kestrun-save-Busy01"_s);
    const QByteArray killed = QFile::encodeName(file + u".kestrun-save-Dead01"_s);
    const int fd = ::open(busy.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX), 0);
    QVERIFY(writeFileByName(killed, "left by a killed save"));

    const bool saved = writeMapFile(file, gridOf(2)).ok();
    ::close(fd);
    QVERIFY(saved);
    QVERIFY(exists(busy));
    QVERIFY(!exists(killed));
}

void TestMapSave::twoEditorsSavingOneMapBothSucceed()
{
    const QString file = path(u"shared.kmp"_s);
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
    // A save starts again only after the other editor's save replaced the
    // map, so fewer saves than a save's attempts cannot exhaust them however
    // the two are scheduled.
    constexpr int Saves = 150;
    pid_t editors[2];
    for (pid_t &editor : editors) {
        editor = ::fork();
        QVERIFY(editor >= 0);
        if (editor == 0) {
            int failed = 0;
            for (int save = 0; save < Saves; ++save) {
                const auto result = writeMapFile(file, gridOf(std::uint8_t(2 + save % 2)));
                if (!result.ok() && ++failed == 1) // the first failure's reason, for the log
                    std::fprintf(stderr, "save %d failed: %s\n", save, qPrintable(result.reason));
            }
            ::_exit(failed == 0 ? 0 : 1);
        }
    }
    // Both are waited for before anything is checked, so none outlives the test.
    int statuses[2] = {-1, -1};
    for (int i = 0; i < 2; ++i)
        ::waitpid(editors[i], &statuses[i], 0);
    for (const int status : statuses)
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "a save failed");
    QCOMPARE(readFile(file).mid(MapFileSize), QByteArray("tail"));
    QCOMPARE(entriesOf(m_dir.path()), QStringList{u"shared.kmp"_s});
}

void TestMapSave::killedAtEachStepLeavesTheOldOrTheNewMap_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<int>("links");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("renamed"); // the new map is on disk after the kill

    using S = detail::SaveStep;
    const auto add = [](const QString &writer, int links, S step, const char *stepName, bool renamed) {
        QTest::addRow("%s, %s, killed at %s: the %s map", qPrintable(writer), links == 2 ? "in place" : "replaced",
                      stepName, renamed ? "new" : "old")
            << writer << links << int(step) << renamed;
    };
#define STEP(name) S::name, #name
    for (const auto &[step, name] : {std::pair{STEP(CheckAccess)},
                                     {STEP(CreateTemporary)},
                                     {STEP(SetOwner)},
                                     {STEP(SetMode)},
                                     {STEP(SetAttributes)},
                                     {STEP(SetFlags)},
                                     {STEP(Write)},
                                     {STEP(CopyTail)},
                                     {STEP(SyncTemporary)},
                                     {STEP(Rename)}})
        add(u"save"_s, 1, step, name, false);
    add(u"save"_s, 1, STEP(SyncFolder), true);
    add(u"save"_s, 2, STEP(InPlaceOpen), false);
    add(u"save"_s, 2, STEP(InPlaceWrite), false);
    add(u"save"_s, 2, STEP(InPlaceSync), true);
    add(u"stream"_s, 1, STEP(Write), false);
    add(u"stream"_s, 1, STEP(Rename), false);
    add(u"stream"_s, 1, STEP(SyncFolder), true);
    add(u"stream"_s, 2, STEP(CreateTemporary), false);
    add(u"stream"_s, 2, STEP(Write), false);
    add(u"stream"_s, 2, STEP(InPlaceWrite), false);
    add(u"stream"_s, 2, STEP(InPlaceTruncate), true);
    add(u"stream"_s, 2, STEP(InPlaceSync), true);
#undef STEP
}

void TestMapSave::killedAtEachStepLeavesTheOldOrTheNewMap()
{
    QFETCH(QString, writer);
    QFETCH(int, links);
    QFETCH(int, step);
    QFETCH(bool, renamed);
    if (::geteuid() != 0)
        QSKIP("Needs root, to save a map of another owner.");
    // A map of another owner, with an attribute and a flag: every step of
    // keeping them is made.
    const QString file = path(u"level.kmp"_s);
    const QByteArray name = QFile::encodeName(file);
    const QByteArray tail = patterned(5000);
    const QByteArray maps[] = {encodeMap(gridOf(1)) + tail, encodeMap(gridOf(2)) + tail};
    QVERIFY(writeFile(file, maps[0]));
    QCOMPARE(::chown(name.constData(), Nobody, Nobody), 0);
    int flags = FS_NODUMP_FL;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    const bool flagged = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    if (!flagged || ::setxattr(name.constData(), "user.kestrun-test", "x", 1, 0) != 0)
        QSKIP("This file system takes no inode flags or user attributes.");
    const QStringList names = QStringList{u"level.kmp"_s, u"other.kmp"_s}.first(links);
    if (links == 2)
        QCOMPARE(::link(name.constData(), QFile::encodeName(path(names[1])).constData()), 0);

    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        detail::setSaveStepHook([&](detail::SaveStep reached) {
            if (reached == detail::SaveStep(step))
                ::raise(SIGKILL);
            return 0;
        });
        if (writer == u"stream"_s)
            writeMapStream(file, [&](const ByteSink &sink) { return sink(maps[1]) ? QString() : u"unwritten"_s; });
        else
            writeMapFile(file, gridOf(2));
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the save never reached the step");
    for (const QString &linked : names)
        QCOMPARE(readFile(path(linked)), maps[renamed]);

    // What the killed save left behind goes with the next save.
    QVERIFY(writeMapFile(file, gridOf(1)).ok());
    QCOMPARE(entriesOf(m_dir.path()), names);
}

void TestMapSave::syncOrderAndNewFileModes_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("links"); // of the map before; 0: a new map
    QTest::addColumn<QList<int>>("steps");

    using S = detail::SaveStep;
    const QList<int> made{int(S::CreateTemporary), int(S::Write), int(S::SyncTemporary), int(S::Rename),
                          int(S::SyncFolder)};
    QTest::newRow("save, a new map, umask 022: 0644") << "save" << 022 << 0 << made;
    QTest::newRow("save, a new map, umask 002: 0664") << "save" << 002 << 0 << made;
    QList<int> streamed = made; // written in two pieces
    streamed.insert(1, int(S::Write));
    QTest::newRow("stream, a new map, umask 002: 0664") << "stream" << 002 << 0 << streamed;
    QTest::newRow("whole file, a new file, umask 022: 0644") << "whole" << 022 << 0 << made;
    QTest::newRow("save over a map with a tail: its mode kept")
        << "save" << 022 << 1
        << QList<int>{int(S::CheckAccess), int(S::CreateTemporary), int(S::SetMode), int(S::Write),
                      int(S::CopyTail),    int(S::SyncTemporary),   int(S::Rename),  int(S::SyncFolder)};
    QTest::newRow("save over a hard-linked map: in place, synced")
        << "save" << 022 << 2
        << QList<int>{int(S::CheckAccess), int(S::InPlaceOpen), int(S::InPlaceWrite), int(S::InPlaceSync)};
}

void TestMapSave::syncOrderAndNewFileModes()
{
    QFETCH(QString, writer);
    QFETCH(int, mask);
    QFETCH(int, links);
    QFETCH(QList<int>, steps);
    const QString file = path(u"level.kmp"_s);
    if (links > 0) {
        QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "tail"));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0604), 0);
    }
    if (links == 2)
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(path(u"other.kmp"_s)).constData()), 0);
    QList<int> made;
    detail::setSaveStepHook([&](detail::SaveStep step) {
        made.append(int(step));
        return 0;
    });
    const mode_t previous = ::umask(mode_t(mask));
    const WriteResult result = writeBy(writer, file, 2);
    ::umask(previous);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(made, steps);
    QCOMPARE(statOf(file).st_mode & 07777, links > 0 ? mode_t(0604) : 0666 & ~mode_t(mask));
}

void TestMapSave::mapReplacedDuringTheTailCopyIsSavedAgain()
{
    // Another save renames its map over this one's just before this one
    // opens the map for its tail: this save starts again from that map.
    const QString file = path(u"level.kmp"_s);
    const QString other = path(u"other-save.kmp"_s);
    QVERIFY(writeFile(file, encodeMap(gridOf(1)) + "old tail"));
    QVERIFY(writeFile(other, encodeMap(gridOf(3)) + "tail of the other save"));
    int copies = 0;
    detail::setSaveStepHook([&](detail::SaveStep step) {
        if (step == detail::SaveStep::CopyTail && copies++ == 0)
            ::rename(QFile::encodeName(other).constData(), QFile::encodeName(file).constData());
        return 0;
    });

    const MapWriteResult saved = writeMapFile(file, gridOf(2));
    QVERIFY2(saved.ok(), qPrintable(saved.reason));
    QCOMPARE(copies, 2);
    QCOMPARE(readFile(file), encodeMap(gridOf(2)) + "tail of the other save");
    QCOMPARE(entriesOf(m_dir.path()), QStringList{u"level.kmp"_s});
}

QTEST_GUILESS_MAIN(TestMapSave)
#include "tst_mapsave.moc"
