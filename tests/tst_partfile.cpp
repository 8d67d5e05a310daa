#include "download/partfile.h"
#include "support/downloadrun.h"
#include "support/scriptedhttpserver.h"
#include "support/smalldisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

// Something put at a name, as someone else (or an earlier download) could have.
struct Obstacle
{
    std::function<bool(const QString &path)> plant;
    bool needsRoot = false; // to give a file to another user
};
// Done to the .part file while it is written, after its first 2 MiB; or checked of the archive afterwards.
using Meddle = std::function<void(const QString &path)>;
// Where the archive goes; empty when the place cannot be made here.
using Place = std::function<QString(const QString &folder)>;
using After = Meddle;
// Mounts a small disk at the folder; false where it cannot be had.
using Mount = std::function<bool(const QString &folder)>;

using Kind = Refusal::Kind;

Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(Meddle)
Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Mount)

// The .part file on real files, in a folder where anybody may have planted anything.
class TestPartFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refusesWhatStandsAtItsName_data();
    void refusesWhatStandsAtItsName();
    void cancelRemovesOnlyItsOwn_data();
    void cancelRemovesOnlyItsOwn();
    void unknownFolderRefused_data();
    void unknownFolderRefused();
    void commitRefused_data();
    void commitRefused();
    void diskFull_data();
    void diskFull();
    void durable_data();
    void durable();
    void hashed_data();
    void hashed();
    void room_data();
    void room();

private:
    struct Obstacles
    {
        Obstacle link, dangling, fifo, readFifo, folder, locked, hardLink, foreign, own;
    };
    Obstacles obstacles();
    QString archive() const { return m_folder->path() + QLatin1String("/tool.rar"); }
    QString part() const { return archive() + QLatin1String(".part"); }
    QString victim() const { return m_folder->path() + QLatin1String("-victim"); }

    const QByteArray victimBytes = "the victim's bytes";
    std::unique_ptr<QTemporaryDir> m_folder;
    QList<int> m_held; // descriptors a row keeps open: a FIFO's reader, another copy's lock
    QList<int> m_readers; // of them, the FIFO readers, which must get nothing
};

void TestPartFile::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(writeFile(archive(), "kept"));
}

void TestPartFile::cleanup()
{
    for (const int fd : std::as_const(m_held))
        ::close(fd);
    m_held.clear();
    m_readers.clear();
    QFile::remove(victim());
    m_folder.reset();
}

TestPartFile::Obstacles TestPartFile::obstacles()
{
    const auto fifo = [this](bool read) {
        return [this, read](const QString &path) {
            const QByteArray name = QFile::encodeName(path);
            if (::mkfifo(name.constData(), 0600) != 0)
                return false;
            if (read) {
                m_readers.append(::open(name.constData(), O_RDONLY | O_NONBLOCK));
                m_held.append(m_readers.last());
            }
            return !m_readers.contains(-1);
        };
    };
    return {
        .link = {[this](const QString &path) {
            return writeFile(victim(), victimBytes) && QFile::link(victim(), path);
        }},
        .dangling
        = {[this](const QString &path) { return QFile::link(victim() + QLatin1String(".missing"), path); }},
        .fifo = {fifo(false)},
        .readFifo = {fifo(true)},
        .folder = {[](const QString &path) { return QDir().mkdir(path); }},
        // Held as another running copy of the program holds the file it writes.
        .locked = {[this](const QString &path) {
            m_held.append(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600));
            return m_held.last() >= 0
                && ::write(m_held.last(), victimBytes.constData(), victimBytes.size()) > 0
                && ::flock(m_held.last(), LOCK_EX) == 0;
        }},
        .hardLink = {[this](const QString &path) {
            return writeFile(victim(), victimBytes)
                && ::link(QFile::encodeName(victim()).constData(), QFile::encodeName(path).constData()) == 0;
        }},
        .foreign = {[this](const QString &path) {
                        const QByteArray name = QFile::encodeName(path);
                        return writeFile(path, victimBytes) && ::chmod(name.constData(), 0666) == 0
                            && ::chown(name.constData(), 65534, 65534) == 0;
                    },
            true},
        // What an earlier download of ours left.
        .own = {[this](const QString &path) { return writeFile(path, victimBytes); }},
    };
}

void TestPartFile::refusesWhatStandsAtItsName_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<Refusal>("refusal");
    const Obstacles o = obstacles();
    // Planted by anyone who can write the folder: never followed, never written, never frozen on.
    QTest::newRow("link to a file outside") << o.link << Refusal{Kind::Link};
    QTest::newRow("link to nowhere") << o.dangling << Refusal{Kind::Link};
    QTest::newRow("FIFO") << o.fifo << Refusal{Kind::NotRegularFile};
    // Opened at once when someone reads it: the bytes would go to the reader.
    QTest::newRow("FIFO someone reads") << o.readFifo << Refusal{Kind::NotRegularFile};
    QTest::newRow("folder") << o.folder << Refusal::system(EISDIR);
    QTest::newRow("another copy writing it") << o.locked << Refusal{Kind::BeingWritten};
    // Written into, it would change the other file; renamed, it would make someone's file the archive.
    QTest::newRow("hard link to another file") << o.hardLink << Refusal{Kind::HardLinked};
    QTest::newRow("another user's file") << o.foreign << Refusal{Kind::OtherUsersFile};
}

void TestPartFile::refusesWhatStandsAtItsName()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(Refusal, refusal);

    if (obstacle.needsRoot && ::geteuid() != 0)
        QSKIP("needs root to give a file to another user");
    QVERIFY(obstacle.plant(part()));
    const QByteArray victimBefore = readFile(victim());
    const QByteArray name = QFile::encodeName(part());
    struct stat planted;
    QCOMPARE(::lstat(name.constData(), &planted), 0);

    PartFile part(archive());
    QVERIFY(!part.open());
    QCOMPARE(part.refusal().kind, refusal.kind);
    QCOMPARE(part.refusal(), refusal);
    QVERIFY(!part.write("new bytes") || !part.flush());
    QVERIFY(!part.commit());
    // Whatever stood there is as it was, and so is the archive.
    QCOMPARE(readFile(archive()), QByteArray("kept"));
    struct stat there;
    QCOMPARE(::lstat(name.constData(), &there), 0);
    QCOMPARE(there.st_ino, planted.st_ino);
    QCOMPARE(there.st_size, planted.st_size);
    if (S_ISREG(planted.st_mode))
        QCOMPARE(readFile(this->part()), victimBytes);
    if (S_ISLNK(planted.st_mode))
        QVERIFY(QFileInfo(this->part()).symLinkTarget().startsWith(victim()));
    QCOMPARE(readFile(victim()), victimBefore);
    for (const int reader : std::as_const(m_readers)) {
        char byte = 0;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0));
    }
}

void TestPartFile::unknownFolderRefused_data()
{
    QTest::addColumn<QString>("destination");
    // It would land wherever the program happens to run.
    QTest::newRow("relative") << u"tool.rar"_qs;
    QTest::newRow("a folder, not a file") << u"/tmp/"_qs;
}

void TestPartFile::unknownFolderRefused()
{
    QFETCH(QString, destination);
    PartFile part(destination);
    QVERIFY(!part.open());
    QCOMPARE(part.refusal().kind, Kind::FolderUnknown);
    QVERIFY(!QFileInfo::exists(part.path()));
}

void TestPartFile::commitRefused_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<Meddle>("meddle");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<After>("after");

    const Place here = [](const QString &folder) { return folder + QLatin1String("/tool.rar"); };
    const auto encoded = [](const QString &path) { return QFile::encodeName(path); };
    const Meddle nothing = [](const QString &) {};
    const After kept = [](const QString &archive) { QCOMPARE(readFile(archive), QByteArray("kept")); };
    const qint64 written = 2 * 1024 * 1024 + 1024;
    // Only the file written here may take the archive's place, not whatever was put at its name since.
    const Meddle replace = [=](const QString &part) {
        QVERIFY(writeFile(part + QLatin1String(".planted"), "planted"));
        QCOMPARE(
            ::rename(encoded(part + QLatin1String(".planted")).constData(), encoded(part).constData()), 0);
    };
    QTest::newRow("file replaced while written")
        << here << replace << Refusal{Kind::Replaced} << After([=](const QString &archive) {
               kept(archive);
               QCOMPARE(readFile(archive + QLatin1String(".part")), QByteArray("planted"));
           });
    // Written on at its own offset, it would reach the expected size with a hole of zeros at its start.
    const Meddle cut = [=](const QString &part) { QCOMPARE(::truncate(encoded(part).constData(), 0), 0); };
    QTest::newRow("file cut short while written")
        << here << cut << Refusal{.kind = Kind::ChangedSize, .size = 1024, .otherSize = written} << kept;
    const Place folder = [=](const QString &in) {
        const QString archive = here(in);
        return QFile::remove(archive) && QDir().mkdir(archive) ? archive : QString();
    };
    QTest::newRow("archive's name taken by a folder")
        << folder << nothing << Refusal::system(EISDIR)
        << After([](const QString &archive) { QVERIFY(QFileInfo(archive).isDir()); });
    const Meddle append = [](const QString &part) {
        QFile other(part);
        QVERIFY(other.open(QIODevice::Append) && other.write("x") == 1);
    };
    QTest::newRow("file written into while written")
        << here << append << Refusal{.kind = Kind::ChangedSize, .size = written + 1, .otherSize = written}
        << kept;
    // A second name made meanwhile would be someone's way into the archive.
    const Meddle link = [=](const QString &part) {
        QCOMPARE(::link(encoded(part).constData(), encoded(part + QLatin1String(".link")).constData()), 0);
    };
    QTest::newRow("hard link made while written") << here << link << Refusal{Kind::GivenAnotherName} << kept;
    // The body must be on the disk before it takes the archive's place: when the disk fails to store
    // it, the earlier archive stays.
    const Place failing = [=](const QString &in) {
        const QString disk = in + QLatin1String("/disk");
        return SmallDisk::mountFailing(disk) && writeFile(here(disk), "kept") ? here(disk) : QString();
    };
    QTest::newRow("disk fails to store the body") << failing << nothing << Refusal::system(ENOSPC) << kept;
}

void TestPartFile::commitRefused()
{
    QFETCH(Place, place);
    QFETCH(Meddle, meddle);
    QFETCH(Refusal, refusal);
    QFETCH(After, after);

    const auto unmount = qScopeGuard([&] { SmallDisk::unmount(m_folder->path() + QLatin1String("/disk")); });
    const QString archive = place(m_folder->path());
    if (archive.isEmpty())
        QSKIP("needs root, a loop device and mkfs.ext2 to make a failing disk");
    {
        PartFile part(archive);
        QVERIFY(part.open());
        QVERIFY(part.write(QByteArray(2 * 1024 * 1024, 'n')) && part.flush());
        meddle(part.path());
        // More of the body arrives after whatever happened to the file.
        QVERIFY(part.write(QByteArray(1024, 'm')) && part.flush());
        QVERIFY(!part.commit());
        QCOMPARE(part.refusal().kind, refusal.kind);
        QCOMPARE(part.refusal(), refusal);
    }
    after(archive);
}

void TestPartFile::diskFull_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("in the middle") << qint64(600000);
    // The last bytes only reach the disk when the file is finished.
    QTest::newRow("on the last bytes") << qint64(10000);
}

void TestPartFile::diskFull()
{
    QFETCH(qint64, size);

    const qint64 room = 8 * 1024;
    const QString folder = m_folder->path() + QLatin1String("/small-disk");
    const auto unmount = qScopeGuard([&] { SmallDisk::unmount(folder); });
    if (!SmallDisk::mountFull(folder, room))
        QSKIP("needs root to mount a small filesystem");
    PartFile part(folder + QLatin1String("/tool.rar"));
    QVERIFY(part.open());
    const QByteArray read(1024, 'b');
    qint64 written = 0;
    while (written < size && part.write(read.left(std::min(size - written, qint64(read.size())))))
        written += std::min(size - written, qint64(read.size()));
    QVERIFY(written < size || !part.flush());
    QCOMPARE(part.refusal(), Refusal::system(ENOSPC));
    // Told by the write that meets it, not saved up for the end: the transfer stops there.
    QVERIFY2(written <= room + PartFile::bufferSize, qPrintable(QString::number(written)));
}

void TestPartFile::cancelRemovesOnlyItsOwn_data()
{
    QTest::addColumn<Obstacle>("obstacle"); // put at the .part file's name after it was made
    QTest::addColumn<bool>("stays");

    QTest::newRow("still ours") << Obstacle() << false;
    QTest::newRow("replaced meanwhile") << obstacles().own << true;
}

void TestPartFile::cancelRemovesOnlyItsOwn()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(bool, stays);

    PartFile part(archive());
    QVERIFY(part.open() && part.write("arrived") && part.flush());
    if (obstacle.plant)
        QVERIFY(QFile::remove(part.path()) && obstacle.plant(part.path()));
    part.discard();
    QCOMPARE(readFile(part.path()), stays ? victimBytes : QByteArray());
    QCOMPARE(QFileInfo::exists(part.path()), stays);
    QCOMPARE(readFile(archive()), QByteArray("kept"));
}

void TestPartFile::durable_data()
{
    QTest::addColumn<QString>("fault"); // as strace fails a system call; "status=all" for none
    QTest::addColumn<QString>("said");

    // The rename lasts only once its folder is on the disk; before that, "saved" would be undone by a
    // power cut.
    QTest::newRow("folder synced after the rename") << u"status=all"_qs << u"saved"_qs;
    // Already in the archive's place, but not known to last: told as a failure, and what is true.
    QTest::newRow("folder cannot be synced")
        << u"inject=fsync:error=EIO"_qs << u"NotConfirmed: Input/output error"_qs;
}

// Seen from outside, as the system calls of vorn-save, which saves an archive as a download does.
void TestPartFile::durable()
{
    QFETCH(QString, fault);
    QFETCH(QString, said);

    const QString log = m_folder->path() + QLatin1String("/calls");
    QProcess strace;
    // A sanitizer build's leak check cannot run under strace.
    strace.start(u"strace"_qs,
        {u"-qq"_qs, u"-y"_qs, u"-o"_qs, log, u"-E"_qs, u"ASAN_OPTIONS=detect_leaks=0"_qs, u"-e"_qs,
            u"trace=fdatasync,fsync,rename,renameat,renameat2"_qs, u"-e"_qs, fault, QStringLiteral(VORN_SAVE),
            archive(), u"300000"_qs});
    QVERIFY(strace.waitForFinished(60000));
    if (!QFile::exists(log))
        QSKIP("strace cannot trace here");
    QCOMPARE(QString::fromLocal8Bit(strace.readAllStandardOutput()).trimmed(), said);
    QCOMPARE(readFile(archive()), ScriptedHttpServer::patternBytes(0, 300000));
    // The body on the disk, then the rename, then the folder that holds it, and nothing else.
    const QString calls = QString::fromLocal8Bit(readFile(log));
    const QString folder = QRegularExpression::escape(QFileInfo(m_folder->path()).canonicalFilePath());
    const QRegularExpression order(u"^fdatasync\\(\\d+<%1/tool.rar.part>.*\nrenameat\\(\\d+<%1>.*\n"
                                   "fsync\\(\\d+<%1>[^\n]*\n$"_qs.arg(folder));
    QVERIFY2(order.match(calls).hasMatch(), qPrintable(calls));
}

void TestPartFile::hashed_data()
{
    QTest::addColumn<int>("givesUpAt"); // the pass of the hash that gives up; 0 for none
    QTest::newRow("the file on the disk, in steps of 64 KiB, synced beside the window") << 0;
    QTest::newRow("given up while hashed") << 3;
}

// A verified archive is checked as it lies on the disk, whatever was handed to the system. A large one takes
// a while to hash and to put on the disk; the window's events run meanwhile.
void TestPartFile::hashed()
{
    QFETCH(int, givesUpAt);
    QByteArray body = ScriptedHttpServer::patternBytes(0, 4 << 20);
    int passes = 0;
    int besides = 0;
    PartFile file(archive());
    file.hashWithSha256();
    QFile other(part());
    QVERIFY(file.open() && file.write(body) && file.flush()
        && other.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
        && other.write(body.replace(0, 1, "s").first(1)) == 1);
    const bool saved = file.commit({.step = [&] { return ++passes != givesUpAt; },
        .beside = [&](const std::function<void()> &wait) { wait(), ++besides; }});
    if (!saved)
        file.discard();
    QCOMPARE(QList<int>({passes, besides}), QList<int>({saved ? 64 : givesUpAt, saved ? 2 : 1}));
    QCOMPARE(file.refusal().kind, Kind::None);
    QCOMPARE(file.hash(), saved ? QCryptographicHash::hash(body, QCryptographicHash::Sha256) : QByteArray());
    QCOMPARE(readFile(archive()), saved ? body : QByteArray("kept"));
    QVERIFY(!QFile::exists(part()));
}

void TestPartFile::room_data()
{
    QTest::addColumn<Mount>("mount");
    QTest::addColumn<qint64>("size"); // beyond the room free when 0 or less
    QTest::addColumn<Kind>("refused");
    QTest::addColumn<bool>("setAside");

    const Mount tmpfs = [](const QString &at) { return SmallDisk::mountFull(at, 1 << 20); };
    const Mount ext2 = [](const QString &at) { return SmallDisk::mountExt2(at, 2 << 20, 4 << 20); };
    const Mount ext4 = [](const QString &at) { return SmallDisk::mountExt4(at, 8 << 20); };
    const Mount scattered = [](const QString &at) { return SmallDisk::mountExt4(at, 8 << 20, true); };
    const Mount ramfs = [](const QString &at) { return SmallDisk::mountFull(at, 1 << 20, "ramfs"); };
    // Given back by a download that failed: the file holds only what arrived.
    QTest::newRow("reserved") << tmpfs << qint64(768 << 10) << Kind::None << true;
    // Where nothing can be set aside, the free room decides.
    QTest::newRow("cannot set aside, fits") << ext2 << qint64(512 << 10) << Kind::None << false;
    QTest::newRow("cannot set aside, no room") << ext2 << qint64(-1024) << Kind::NoRoom << false;
    QTest::newRow("too large, cannot reserve") << ext2 << qint64(8 << 20) << Kind::TooLarge << false;
    // Asked for, it would take every free block before it fails.
    QTest::newRow("one byte beyond the room") << ext4 << qint64(-1) << Kind::NoRoom << false;
    QTest::newRow("room counted, not in one map") << scattered << qint64(0) << Kind::NoRoom << false;
    // It does not say how much it has: nothing to refuse on that ground.
    QTest::newRow("counts no blocks (ramfs)") << ramfs << qint64(64 << 20) << Kind::None << false;
    QTest::newRow("beyond the disk") << tmpfs << (qint64(1) << 40) << Kind::TooLarge << false;
    QTest::newRow("largest size") << ext4 << std::numeric_limits<qint64>::max() << Kind::TooLarge << false;
}

void TestPartFile::room()
{
    QFETCH(Mount, mount);
    QFETCH(qint64, size);
    QFETCH(Kind, refused);
    QFETCH(bool, setAside);

    const QString disk = m_folder->path() + u"/disk"_qs;
    const auto unmount = qScopeGuard([&] { SmallDisk::unmount(disk); });
    if (!mount(disk))
        QSKIP("needs root, a loop device and mke2fs to mount a small disk");
    const auto freeRoom = [&] {
        struct statvfs status;
        return ::statvfs(QFile::encodeName(disk).constData(), &status) == 0
            ? qint64(status.f_bavail * status.f_frsize)
            : -1;
    };
    const qint64 free = freeRoom();
    size = size > 0 ? size : free - size;
    struct stat status;
    {
        PartFile part(disk + u"/tool.rar"_qs);
        QVERIFY(part.open());
        QCOMPARE(part.reserve(size), refused == Kind::None);
        // A refusal leaves the disk as it found it, and tells what was free before it was asked.
        QCOMPARE(part.refusal().kind, refused);
        if (refused != Kind::None) {
            QCOMPARE(freeRoom(), free);
            QCOMPARE(part.refusal().otherSize, refused == Kind::NoRoom ? free : 0);
            QCOMPARE(part.refusal(), Refusal({refused, size, part.refusal().otherSize, 0, {}, {}, disk}));
        }
        QCOMPARE(::stat(QFile::encodeName(part.path()).constData(), &status), 0);
        QCOMPARE(status.st_blocks * 512 >= size, setAside);
        QVERIFY(part.write(QByteArray(100 << 10, 'w')) && part.flush());
    }
    QCOMPARE(::stat(QFile::encodeName(disk + u"/tool.rar.part"_qs).constData(), &status), 0);
    QVERIFY2(status.st_size == 100 << 10 && status.st_blocks * 512 <= 120 << 10,
        qPrintable(QString::number(status.st_blocks)));
}

QTEST_APPLESS_MAIN(TestPartFile)
#include "tst_partfile.moc"
