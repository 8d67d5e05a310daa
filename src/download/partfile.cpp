#include "partfile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Handing the body to the disk as it comes keeps the sync before the rename short, instead of making
// the user wait for the whole file at the end.
constexpr qint64 writeBackStep = 8 * 1024 * 1024;

} // namespace

PartFile::PartFile(const QString &destination)
    : m_destination(destination)
    , m_path(destination + QLatin1String(".part"))
{ }

PartFile::~PartFile()
{
    flush();
    close();
}

bool PartFile::fail(int error)
{
    return fail(QString::fromLocal8Bit(std::strerror(error)));
}

bool PartFile::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

void PartFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool PartFile::open()
{
    // A destination that is not absolute comes from a folder nobody could name; it would land wherever
    // the program happens to run.
    if (!m_destination.startsWith(QLatin1Char('/')) || m_destination.endsWith(QLatin1Char('/')))
        return fail(tr("the folder to save in is unknown"));
    const QByteArray name = QFile::encodeName(m_path);
    // Made afresh, never opened: a file that stood at the name may have other names (a hard link to
    // someone's file) or another owner (planted in a shared folder), and writing into it would write
    // into theirs, or make theirs the archive. O_EXCL follows no link and opens no FIFO; not blocking
    // all the same, so that nothing at this name can ever hang the window.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    m_fd = ::open(name.constData(), flags, 0666);
    if (m_fd < 0 && errno == EEXIST) {
        if (!moveAside(name))
            return false;
        m_fd = ::open(name.constData(), flags, 0666);
    }
    if (m_fd < 0)
        return fail(errno);
    // Locked at once: another copy of the program that finds the file knows it is being written.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close();
        return error == EWOULDBLOCK ? fail(tr("another download is writing this file")) : fail(error);
    }
    // Nobody may have given it a second name in the moment since it was made.
    struct stat status;
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1
        || status.st_uid != ::geteuid()) {
        close();
        return fail(tr("the file was tampered with as soon as it was made"));
    }
    m_buffer.reserve(bufferSize);
    m_written = 0;
    m_writtenBack = 0;
    return true;
}

bool PartFile::moveAside(const QByteArray &name)
{
    struct stat there;
    if (::lstat(name.constData(), &there) != 0)
        return errno == ENOENT || fail(errno);
    // Whatever is not a .part file of ours stays as it is, and the message names it.
    if (S_ISLNK(there.st_mode))
        return fail(tr("it is a link, and a download never writes through a link"));
    if (S_ISDIR(there.st_mode))
        return fail(EISDIR);
    if (!S_ISREG(there.st_mode))
        return fail(tr("it is not a regular file"));
    if (there.st_uid != ::geteuid())
        return fail(tr("it belongs to another user, and a download only writes files of its own"));
    if (there.st_nlink != 1)
        return fail(
            tr("it has other names as well (hard links), and a download never writes into such a file"));
    // Opened only to see whether another copy of the program is writing it right now; not blocking, in
    // case it has become a FIFO since.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (busy)
        return fail(tr("another download is writing this file"));
    // What an earlier download left is kept beside it: nothing is ever deleted.
    for (int number = 1; number <= 999; ++number) {
        const QByteArray aside = name + '.' + QByteArray::number(number);
        if (::renameat2(AT_FDCWD, name.constData(), AT_FDCWD, aside.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool PartFile::write(const char *data, qsizetype size)
{
    if (m_fd < 0)
        return fail(EBADF);
    if (m_buffer.size() + size > bufferSize && !flush())
        return false;
    if (size >= bufferSize) {
        m_buffer.append(data, size);
        return flush();
    }
    m_buffer.append(data, size);
    return true;
}

bool PartFile::flush()
{
    if (m_buffer.isEmpty())
        return true;
    if (m_fd < 0)
        return fail(EBADF);
    if (m_hash)
        m_hash->addData(m_buffer);
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            const int error = errno;
            m_buffer.remove(0, m_buffer.size() - left);
            return fail(error);
        }
        data += written;
        left -= written;
        m_written += written;
    }
    m_buffer.resize(0); // keeps the allocation: freeing it every flush costs a fresh, zeroed one each time
    if (m_written - m_writtenBack >= writeBackStep) {
        ::sync_file_range(m_fd, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_written;
    }
    return true;
}

void PartFile::hashWith(QCryptographicHash::Algorithm algorithm)
{
    m_hash.emplace(algorithm);
}

QByteArray PartFile::hash() const
{
    return m_hash ? m_hash->result() : QByteArray();
}

bool PartFile::commit()
{
    if (!flush())
        return false;
    // On disk before it takes the archive's place, so a crash cannot leave a renamed but empty file.
    if (::fdatasync(m_fd) != 0)
        return fail(errno);
    // Only the file written here may take the archive's place, not whatever was put at its name since.
    const QByteArray name = QFile::encodeName(m_path);
    struct stat opened;
    struct stat named;
    if (::fstat(m_fd, &opened) != 0 || ::lstat(name.constData(), &named) != 0)
        return fail(errno);
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return fail(tr("the file was replaced while it was being written"));
    // A second name made meanwhile would be someone's way into the archive.
    if (opened.st_nlink != 1)
        return fail(tr("the file was given another name while it was being written"));
    if (::rename(name.constData(), QFile::encodeName(m_destination).constData()) != 0)
        return fail(errno);
    close();
    return true;
}
