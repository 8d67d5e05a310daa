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

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(Meddle)
Q_DECLARE_METATYPE(Place)

// The .part file on real files, in a folder where anybody may have planted anything.
class TestPartFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refusesWhatStandsAtItsName_data();
    void refusesWhatStandsAtItsName();
    void leftovers_data();
    void leftovers();
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
    void hashIsOfTheFileOnDisk();
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
    QTest::addColumn<QString>("reasonFragment");
    const Obstacles o = obstacles();
    // Planted by anyone who can write the folder: never followed, never written, never frozen on.
    QTest::newRow("link to a file outside") << o.link << u"link"_qs;
    QTest::newRow("link to nowhere") << o.dangling << u"link"_qs;
    QTest::newRow("FIFO") << o.fifo << u"not a regular file"_qs;
    // Opened at once when someone reads it: the bytes would go to the reader.
    QTest::newRow("FIFO someone reads") << o.readFifo << u"not a regular file"_qs;
    QTest::newRow("folder") << o.folder << u"directory"_qs;
    QTest::newRow("another copy writing it") << o.locked << u"another download"_qs;
    // Written into, it would change the other file; renamed, it would make someone's file the archive.
    QTest::newRow("hard link to another file") << o.hardLink << u"other names"_qs;
    QTest::newRow("another user's file") << o.foreign << u"another user"_qs;
}

void TestPartFile::refusesWhatStandsAtItsName()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reasonFragment);

    if (obstacle.needsRoot && ::geteuid() != 0)
        QSKIP("needs root to give a file to another user");
    QVERIFY(obstacle.plant(part()));
    const QByteArray victimBefore = readFile(victim());
    const QByteArray name = QFile::encodeName(part());
    struct stat planted;
    QCOMPARE(::lstat(name.constData(), &planted), 0);

    PartFile part(archive());
    QVERIFY(!part.open());
    QVERIFY2(
        part.errorString().contains(reasonFragment, Qt::CaseInsensitive), qPrintable(part.errorString()));
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

void TestPartFile::leftovers_data()
{
    QTest::addColumn<QString>("name"); // beside the archive
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<bool>("stays");
    const Obstacles o = obstacles();

    // The program never resumes: its own partial files are scratch, used again or swept once the archive
    // is whole.
    QTest::newRow("this tool's .part, longer than the new body") << u".part"_qs << o.own << false;
    QTest::newRow("moved aside by an earlier version") << u".part.1"_qs << o.own << false;
    QTest::newRow("moved aside, two digits") << u".part.17"_qs << o.own << false;
    // The same checks as for the .part file itself: what is not ours, or is being written, stays.
    QTest::newRow("numbered, with other names") << u".part.2"_qs << o.hardLink << true;
    QTest::newRow("numbered link") << u".part.3"_qs << o.link << true;
    QTest::newRow("numbered, being written") << u".part.4"_qs << o.locked << true;
    QTest::newRow("numbered, another user's") << u".part.5"_qs << o.foreign << true;
    QTest::newRow("not a number") << u".part.1b"_qs << o.own << true;
}

void TestPartFile::leftovers()
{
    QFETCH(QString, name);
    QFETCH(Obstacle, obstacle);
    QFETCH(bool, stays);

    if (obstacle.needsRoot && ::geteuid() != 0)
        QSKIP("needs root to give a file to another user");
    const QString leftover = archive() + name;
    QVERIFY(obstacle.plant(leftover));
    const QByteArray victimBefore = readFile(victim());
    {
        PartFile part(archive());
        QVERIFY2(part.open(), qPrintable(part.errorString()));
        QVERIFY(part.write("new") && part.commit());
    }
    QCOMPARE(readFile(archive()), QByteArray("new"));
    QVERIFY(!QFile::exists(part()));
    QCOMPARE(QFileInfo::exists(leftover), stays);
    QCOMPARE(readFile(leftover), stays ? victimBytes : QByteArray());
    QCOMPARE(readFile(victim()), victimBefore);
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
    QVERIFY2(part.errorString().contains(u"unknown"_qs), qPrintable(part.errorString()));
    QVERIFY(!QFileInfo::exists(part.path()));
}

void TestPartFile::commitRefused_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<Meddle>("meddle");
    QTest::addColumn<QString>("reasonFragment");
    QTest::addColumn<After>("after");

    const Place here = [](const QString &folder) { return folder + QLatin1String("/tool.rar"); };
    const auto encoded = [](const QString &path) { return QFile::encodeName(path); };
    const After kept = [](const QString &archive) { QCOMPARE(readFile(archive), QByteArray("kept")); };
    // Only the file written here may take the archive's place, not whatever was put at its name since.
    QTest::newRow("file replaced while written") << here << Meddle([=](const QString &part) {
        QVERIFY(writeFile(part + QLatin1String(".planted"), "planted"));
        QCOMPARE(
            ::rename(encoded(part + QLatin1String(".planted")).constData(), encoded(part).constData()), 0);
    }) << u"replaced"_qs << After([=](const QString &archive) {
        kept(archive);
        QCOMPARE(readFile(archive + QLatin1String(".part")), QByteArray("planted"));
    });
    // Written on at its own offset, it would reach the expected size with a hole of zeros at its start.
    QTest::newRow("file cut short while written")
        << here << Meddle([=](const QString &part) { QCOMPARE(::truncate(encoded(part).constData(), 0), 0); })
        << u"changed while it was being written"_qs << kept;
    QTest::newRow("archive's name taken by a folder") << Place([=](const QString &folder) {
        const QString archive = here(folder);
        return QFile::remove(archive) && QDir().mkdir(archive) ? archive : QString();
    }) << Meddle([](const QString &) {
    }) << u"directory"_qs << After([](const QString &archive) { QVERIFY(QFileInfo(archive).isDir()); });
    // A second name made meanwhile would be someone's way into the archive.
    QTest::newRow("hard link made while written") << here << Meddle([=](const QString &part) {
        QCOMPARE(::link(encoded(part).constData(), encoded(part + QLatin1String(".link")).constData()), 0);
    }) << u"another name"_qs << kept;
    // The body must be on the disk before it takes the archive's place: when the disk fails to store
    // it, the earlier archive stays.
    QTest::newRow("disk fails to store the body") << Place([=](const QString &folder) {
        const QString disk = folder + QLatin1String("/disk");
        return SmallDisk::mountFailing(disk) && writeFile(here(disk), "kept") ? here(disk) : QString();
    }) << Meddle([](const QString &) {}) << u"No space left"_qs
                                                  << kept;
}

void TestPartFile::commitRefused()
{
    QFETCH(Place, place);
    QFETCH(Meddle, meddle);
    QFETCH(QString, reasonFragment);
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
        QVERIFY2(
            part.errorString().contains(reasonFragment, Qt::CaseInsensitive), qPrintable(part.errorString()));
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
    QVERIFY2(part.errorString().contains(u"No space left on device"_qs), qPrintable(part.errorString()));
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
        << u"inject=fsync:error=EIO"_qs
        << u"the new archive is in place, but the system could not confirm that it is on the disk "
           "(Input/output error)"_qs;
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

// A verified archive is checked as it lies on the disk, whatever was handed to the system.
void TestPartFile::hashIsOfTheFileOnDisk()
{
    PartFile part(archive());
    QVERIFY(part.open());
    part.hashWith(QCryptographicHash::Sha256);
    QVERIFY(part.write("archive") && part.flush());
    QFile other(part.path());
    QVERIFY(other.open(QIODevice::ReadWrite) && other.seek(2) && other.write("s") == 1);
    other.close();
    QVERIFY(part.finish());
    QCOMPARE(part.hash(), QCryptographicHash::hash("arshive", QCryptographicHash::Sha256));
}

void TestPartFile::room_data()
{
    QTest::addColumn<bool>("ext2"); // which cannot set room aside; else tmpfs of 1 MiB
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("refusal"); // a pattern; empty when it fits

    // Set aside ahead, and given back by a download that failed: the file holds only what arrived.
    QTest::newRow("reserved") << false << qint64(768 << 10) << QString();
    // Where nothing can be set aside, the free room decides.
    QTest::newRow("too large, cannot reserve")
        << true << qint64(8 << 20) << u"needs 8.0 MiB; the disk of \\S+ has [12]\\.\\d MiB free"_qs;
}

void TestPartFile::room()
{
    QFETCH(bool, ext2);
    QFETCH(qint64, size);
    QFETCH(QString, refusal);

    const QString disk = m_folder->path() + u"/disk"_qs;
    const auto unmount = qScopeGuard([&] { SmallDisk::unmount(disk); });
    if (!(ext2 ? SmallDisk::mountExt2(disk, 2 << 20, 4 << 20) : SmallDisk::mountFull(disk, 1 << 20)))
        QSKIP("needs root, a loop device and mkfs.ext2 to mount a small disk");
    struct stat status;
    {
        PartFile part(disk + u"/tool.rar"_qs);
        QVERIFY(part.open());
        QCOMPARE(part.reserve(size), refusal.isEmpty());
        QVERIFY2(QRegularExpression(u"^%1$"_qs.arg(refusal)).match(part.errorString()).hasMatch(),
            qPrintable(part.errorString()));
        QCOMPARE(::stat(QFile::encodeName(part.path()).constData(), &status), 0);
        QCOMPARE(status.st_blocks * 512 >= size, refusal.isEmpty());
        QVERIFY(part.write(QByteArray(100 << 10, 'w')) && part.flush());
    }
    QCOMPARE(::stat(QFile::encodeName(disk + u"/tool.rar.part"_qs).constData(), &status), 0);
    QVERIFY2(status.st_size == 100 << 10 && status.st_blocks * 512 <= 120 << 10,
        qPrintable(QString::number(status.st_blocks)));
}

QTEST_APPLESS_MAIN(TestPartFile)
#include "tst_partfile.moc"
