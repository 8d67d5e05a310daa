#include "download/partfile.h"
#include "support/smalldisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Never waits on a FIFO where a file should be.
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

// The .part file on real files, in a folder where anybody may have planted anything.
class TestPartFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refusesWhatStandsAtItsName_data();
    void refusesWhatStandsAtItsName();
    void earlierPartIsKept();
    void unknownFolderRefused_data();
    void unknownFolderRefused();
    void commitRefused_data();
    void commitRefused();
    void diskFull_data();
    void diskFull();

private:
    QString archive() const { return m_folder->path() + QLatin1String("/tool.rar"); }
    QString part() const { return archive() + QLatin1String(".part"); }
    QString victim() const { return m_folder->path() + QLatin1String("-victim"); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestPartFile::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(writeFile(archive(), "kept"));
}

void TestPartFile::cleanup()
{
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

void TestPartFile::refusesWhatStandsAtItsName()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reasonFragment);

    PartFile other(archive());
    int reader = -1;
    const auto closeReader = qScopeGuard([&] {
        if (reader >= 0)
            ::close(reader);
    });
    const QByteArray name = QFile::encodeName(part());
    QByteArray victimBytes = "the victim's bytes";
    if (obstacle == QLatin1String("link")) {
        QVERIFY(writeFile(victim(), victimBytes) && QFile::link(victim(), part()));
    } else if (obstacle == QLatin1String("dangling")) {
        victimBytes.clear();
        QVERIFY(QFile::link(victim(), part()));
    } else if (obstacle.endsWith(QLatin1String("fifo"))) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        if (obstacle == QLatin1String("read fifo")) {
            reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
        }
    } else if (obstacle == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(part()));
    } else if (obstacle == QLatin1String("locked")) {
        // Held as another running copy of the program holds the file it writes.
        QVERIFY(other.open() && other.write(victimBytes) && other.flush());
    } else if (obstacle == QLatin1String("hard link")) {
        QVERIFY(
            writeFile(victim(), victimBytes) && ::link(QFile::encodeName(victim()).constData(), name) == 0);
    } else if (obstacle == QLatin1String("foreign")) {
        if (::geteuid() != 0)
            QSKIP("needs root to give a file to another user");
        QVERIFY(writeFile(part(), victimBytes) && ::chmod(name.constData(), 0666) == 0
            && ::chown(name.constData(), 65534, 65534) == 0);
    }
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
        QCOMPARE(QFileInfo(this->part()).symLinkTarget(), victim());
        QCOMPARE(readFile(victim()), victimBytes);
        QCOMPARE(QFile::exists(victim()), !victimBytes.isEmpty());
    }
    if (reader >= 0) {
        char byte = 0;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0));
    }
}

// What an earlier download left in the .part file stays, beside it, and the new one starts afresh.
void TestPartFile::earlierPartIsKept()
{
    QVERIFY(writeFile(part(), "the earlier download's bytes, longer than the new ones"));
    QVERIFY(writeFile(part() + QLatin1String(".1"), "older still"));
    {
        PartFile part(archive());
        QVERIFY2(part.open(), qPrintable(part.errorString()));
        QVERIFY(part.write("new") && part.commit());
    }
    QCOMPARE(readFile(archive()), QByteArray("new"));
    QCOMPARE(readFile(part() + QLatin1String(".1")), QByteArray("older still"));
    QCOMPARE(readFile(part() + QLatin1String(".2")),
        QByteArray("the earlier download's bytes, longer than the new ones"));
    QVERIFY(!QFile::exists(part()));
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
        }
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

QTEST_APPLESS_MAIN(TestPartFile)
#include "tst_partfile.moc"
