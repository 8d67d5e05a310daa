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

private:
    // Puts `obstacle` at `path`, as someone else (or an earlier download) could have.
    bool plant(const QString &obstacle, const QString &path);
    QString archive() const { return m_folder->path() + QLatin1String("/tool.rar"); }
    QString part() const { return archive() + QLatin1String(".part"); }
    QString victim() const { return m_folder->path() + QLatin1String("-victim"); }

    const QByteArray victimBytes = "the victim's bytes";
    std::unique_ptr<QTemporaryDir> m_folder;
    QList<int> m_held; // descriptors a row keeps open: a FIFO's reader, another copy's lock
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
    QFile::remove(victim());
    m_folder.reset();
}

void TestPartFile::refusesWhatStandsAtItsName_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reasonFragment");
    // Planted by anyone who can write the folder: never followed, never written, never frozen on.
    QTest::newRow("link to a file outside") << u"link"_qs << u"link"_qs;
    QTest::newRow("link to nowhere") << u"dangling"_qs << u"link"_qs;
    QTest::newRow("FIFO") << u"fifo"_qs << u"not a regular file"_qs;
    // Opened at once when someone reads it: the bytes would go to the reader.
    QTest::newRow("FIFO someone reads") << u"read fifo"_qs << u"not a regular file"_qs;
    QTest::newRow("folder") << u"folder"_qs << u"directory"_qs;
    QTest::newRow("another copy writing it") << u"locked"_qs << u"another download"_qs;
    // Written into, it would change the other file; renamed, it would make someone's file the archive.
    QTest::newRow("hard link to another file") << u"hard link"_qs << u"other names"_qs;
    QTest::newRow("another user's file") << u"foreign"_qs << u"another user"_qs;
}

bool TestPartFile::plant(const QString &obstacle, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (obstacle == QLatin1String("link"))
        return writeFile(victim(), victimBytes) && QFile::link(victim(), path);
    if (obstacle == QLatin1String("dangling"))
        return QFile::link(victim() + QLatin1String(".missing"), path);
    if (obstacle.endsWith(QLatin1String("fifo"))) {
        if (::mkfifo(name.constData(), 0600) != 0)
            return false;
        if (obstacle == QLatin1String("read fifo"))
            m_held.append(::open(name.constData(), O_RDONLY | O_NONBLOCK));
        return !m_held.contains(-1);
    }
    if (obstacle == QLatin1String("folder"))
        return QDir().mkdir(path);
    if (obstacle == QLatin1String("locked")) {
        // Held as another running copy of the program holds the file it writes.
        m_held.append(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600));
        return m_held.last() >= 0 && ::write(m_held.last(), victimBytes.constData(), victimBytes.size()) > 0
            && ::flock(m_held.last(), LOCK_EX) == 0;
    }
    if (obstacle == QLatin1String("hard link"))
        return writeFile(victim(), victimBytes) && ::link(QFile::encodeName(victim()).constData(), name) == 0;
    if (obstacle == QLatin1String("foreign"))
        return writeFile(path, victimBytes) && ::chmod(name.constData(), 0666) == 0
            && ::chown(name.constData(), 65534, 65534) == 0;
    return writeFile(path, victimBytes); // "own": what an earlier download of ours left
}

void TestPartFile::refusesWhatStandsAtItsName()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reasonFragment);

    if (obstacle == QLatin1String("foreign") && ::geteuid() != 0)
        QSKIP("needs root to give a file to another user");
    QVERIFY(plant(obstacle, part()));
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
    if (S_ISLNK(planted.st_mode)) {
        QVERIFY(QFileInfo(this->part()).symLinkTarget().startsWith(victim()));
        QCOMPARE(readFile(victim()), obstacle == QLatin1String("link") ? victimBytes : QByteArray());
    }
    if (obstacle == QLatin1String("read fifo")) {
        char byte = 0;
        QCOMPARE(::read(m_held.first(), &byte, 1), ssize_t(0));
    }
}

void TestPartFile::leftovers_data()
{
    QTest::addColumn<QString>("name"); // beside the archive
    QTest::addColumn<QString>("obstacle"); // as planted by plant()
    QTest::addColumn<bool>("stays");

    // The program never resumes: its own partial files are scratch, used again or swept once the archive
    // is whole.
    QTest::newRow("this tool's .part, longer than the new body") << u".part"_qs << u"own"_qs << false;
    QTest::newRow("moved aside by an earlier version") << u".part.1"_qs << u"own"_qs << false;
    QTest::newRow("moved aside, two digits") << u".part.17"_qs << u"own"_qs << false;
    // The same checks as for the .part file itself: what is not ours, or is being written, stays.
    QTest::newRow("numbered, with other names") << u".part.2"_qs << u"hard link"_qs << true;
    QTest::newRow("numbered link") << u".part.3"_qs << u"link"_qs << true;
    QTest::newRow("numbered, being written") << u".part.4"_qs << u"locked"_qs << true;
    QTest::newRow("numbered, another user's") << u".part.5"_qs << u"foreign"_qs << true;
    QTest::newRow("not a number") << u".part.1b"_qs << u"own"_qs << true;
}

void TestPartFile::leftovers()
{
    QFETCH(QString, name);
    QFETCH(QString, obstacle);
    QFETCH(bool, stays);

    if (obstacle == QLatin1String("foreign") && ::geteuid() != 0)
        QSKIP("needs root to give a file to another user");
    const QString leftover = archive() + name;
    QVERIFY(plant(obstacle, leftover));
    {
        PartFile part(archive());
        QVERIFY2(part.open(), qPrintable(part.errorString()));
        QVERIFY(part.write("new") && part.commit());
    }
    QCOMPARE(readFile(archive()), QByteArray("new"));
    QVERIFY(!QFile::exists(part()));
    QCOMPARE(QFileInfo::exists(leftover), stays);
    QCOMPARE(readFile(leftover), stays ? victimBytes : QByteArray());
    QCOMPARE(readFile(victim()), obstacle.contains(QLatin1String("link")) ? victimBytes : QByteArray());
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
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reasonFragment");
    // Only the file written here may take the archive's place, not whatever was put at its name since.
    QTest::newRow("file replaced while written") << u"replaced"_qs << u"replaced"_qs;
    // Written on at its own offset, it would reach the expected size with a hole of zeros at its start.
    QTest::newRow("file cut short while written")
        << u"truncated"_qs << u"changed while it was being written"_qs;
    QTest::newRow("archive's name taken by a folder") << u"folder"_qs << u"directory"_qs;
    // A second name made meanwhile would be someone's way into the archive.
    QTest::newRow("hard link made while written") << u"hard link"_qs << u"another name"_qs;
    // The body must be on the disk before it takes the archive's place: when the disk fails to store
    // it, the earlier archive stays.
    QTest::newRow("disk fails to store the body") << u"failing disk"_qs << u"No space left"_qs;
}

void TestPartFile::commitRefused()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reasonFragment);

    QString folder = m_folder->path();
    const auto unmount = qScopeGuard([&] { SmallDisk::unmount(m_folder->path() + QLatin1String("/disk")); });
    if (obstacle == QLatin1String("failing disk")) {
        folder += QLatin1String("/disk");
        if (!SmallDisk::mountFailing(folder))
            QSKIP("needs root, a loop device and mkfs.ext2 to make a failing disk");
        QVERIFY(writeFile(folder + QLatin1String("/tool.rar"), "kept"));
    } else if (obstacle == QLatin1String("folder")) {
        QVERIFY(QFile::remove(archive()) && QDir().mkdir(archive()));
    }
    const QString archive = folder + QLatin1String("/tool.rar");
    {
        PartFile part(archive);
        QVERIFY(part.open());
        QVERIFY(part.write(QByteArray(2 * 1024 * 1024, 'n')) && part.flush());
        if (obstacle == QLatin1String("hard link")) {
            QVERIFY(::link(QFile::encodeName(part.path()).constData(),
                        QFile::encodeName(part.path() + QLatin1String(".link")).constData())
                == 0);
        }
        if (obstacle == QLatin1String("replaced")) {
            QVERIFY(writeFile(part.path() + QLatin1String(".planted"), "planted"));
            QVERIFY(::rename(QFile::encodeName(part.path() + QLatin1String(".planted")).constData(),
                        QFile::encodeName(part.path()).constData())
                == 0);
        } else if (obstacle == QLatin1String("truncated")) {
            QCOMPARE(::truncate(QFile::encodeName(part.path()).constData(), 0), 0);
        }
        // More of the body arrives after whatever happened to the file.
        QVERIFY(part.write(QByteArray(1024, 'm')) && part.flush());
        QVERIFY(!part.commit());
        QVERIFY2(
            part.errorString().contains(reasonFragment, Qt::CaseInsensitive), qPrintable(part.errorString()));
    }
    if (obstacle == QLatin1String("folder"))
        QVERIFY(QFileInfo(archive).isDir());
    else
        QCOMPARE(readFile(archive), QByteArray("kept"));
    if (obstacle == QLatin1String("replaced"))
        QCOMPARE(readFile(archive + QLatin1String(".part")), QByteArray("planted"));
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
    QTest::addColumn<QString>("obstacle"); // put at the .part file's name after it was made
    QTest::addColumn<bool>("stays");

    QTest::newRow("still ours") << QString() << false;
    QTest::newRow("replaced meanwhile") << u"own"_qs << true;
}

void TestPartFile::cancelRemovesOnlyItsOwn()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, stays);

    PartFile part(archive());
    QVERIFY(part.open() && part.write("arrived") && part.flush());
    if (!obstacle.isEmpty())
        QVERIFY(QFile::remove(part.path()) && plant(obstacle, part.path()));
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

QTEST_APPLESS_MAIN(TestPartFile)
#include "tst_partfile.moc"
