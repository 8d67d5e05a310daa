#include "smalldisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sched.h>
#include <sys/mount.h>
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
    const QString image = backingFolder(folder) + QLatin1String("/disk.img");
    QFile imageFile(image);
    return mountFull(backingFolder(folder), stored) && QDir().mkpath(folder)
        && imageFile.open(QIODevice::WriteOnly) && imageFile.resize(bytes)
        && run(u"mkfs.ext2"_qs, {u"-q"_qs, u"-F"_qs, u"-N"_qs, u"32"_qs, u"-m"_qs, u"0"_qs, image})
        // The loop device goes away by itself once it is unmounted, also when the namespace ends.
        && run(u"mount"_qs, {u"-o"_qs, u"loop"_qs, image, folder});
}

void unmount(const QString &folder)
{
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    ::umount2(QFile::encodeName(backingFolder(folder)).constData(), MNT_DETACH);
}

} // namespace SmallDisk
