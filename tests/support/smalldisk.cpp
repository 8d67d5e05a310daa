#include "smalldisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

bool ownMountNamespace()
{
    static const bool own = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return own;
}

QString backingFolder(const QString &folder)
{
    return folder + QLatin1String(".backing");
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// A file system made by mke2fs with `options` in an image of `bytes` on a tmpfs that stores `stored`.
bool mountLoop(const QString &folder, qint64 bytes, qint64 stored, const QStringList &options)
{
    const QString image = backingFolder(folder) + QLatin1String("/disk.img");
    QFile imageFile(image);
    return SmallDisk::mountFull(backingFolder(folder), stored) && QDir().mkpath(folder)
        && imageFile.open(QIODevice::WriteOnly) && imageFile.resize(bytes)
        && run(
            u"mke2fs"_qs, QStringList{u"-q"_qs, u"-F"_qs, u"-m"_qs, u"0"_qs} + options + QStringList{image})
        // The loop device goes away by itself once it is unmounted, also when the namespace ends.
        && run(u"mount"_qs, {u"-o"_qs, u"loop"_qs, image, folder});
}

} // namespace

namespace SmallDisk {

bool mountFull(const QString &folder, qint64 bytes, const char *type)
{
    const QByteArray options = "size=" + QByteArray::number(bytes);
    return ownMountNamespace() && QDir().mkpath(folder)
        && ::mount(type, QFile::encodeName(folder).constData(), type, 0, options.constData()) == 0;
}

bool mountFailing(const QString &folder)
{
    // Room for the file system's own blocks, not for a MiB of data: the loop device's writes of it
    // fail, which is all fdatasync gets to hear of.
    return mountExt2(folder, 16 * 1024 * 1024, 1024 * 1024);
}

bool mountExt2(const QString &folder, qint64 bytes, qint64 stored)
{
    return mountLoop(folder, bytes, stored, {u"-t"_qs, u"ext2"_qs, u"-N"_qs, u"32"_qs});
}

bool mountExt4(const QString &folder, qint64 bytes, bool scattered)
{
    if (!mountLoop(folder, bytes, bytes, {u"-t"_qs, u"ext4"_qs, u"-O"_qs, u"^has_journal"_qs}))
        return false;
    if (!scattered)
        return true;
    // Three quarters of the room taken in one piece, then every other block of it given back.
    const int fd = ::open(QFile::encodeName(folder + u"/taken"_qs).constData(), O_RDWR | O_CREAT, 0600);
    struct statvfs disk;
    const bool taken = fd >= 0 && ::fstatvfs(fd, &disk) == 0
        && ::fallocate(fd, 0, 0, off_t(disk.f_bavail * disk.f_frsize * 3 / 4)) == 0;
    for (off_t block = 0; taken && block < off_t(disk.f_bavail * 3 / 4); block += 2)
        ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, block * off_t(disk.f_frsize),
            off_t(disk.f_frsize));
    return ::close(fd) == 0 && taken;
}

void unmount(const QString &folder)
{
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    ::umount2(QFile::encodeName(backingFolder(folder)).constData(), MNT_DETACH);
}

} // namespace SmallDisk
