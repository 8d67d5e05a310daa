#include "partfile.h"

#include <QFile>

#include <cerrno>
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
    // Not blocking, so that a FIFO planted here cannot hang the window in open() or write().
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        // Say what stands there rather than the error it caused (ELOOP for a link, ENXIO for a FIFO).
        const int error = errno;
        struct stat there;
        if (::lstat(name.constData(), &there) != 0 || S_ISREG(there.st_mode) || S_ISDIR(there.st_mode))
            return fail(error);
        return S_ISLNK(there.st_mode) ? fail(tr("it is a link, and a download never writes through a link"))
                                      : fail(tr("it is not a regular file"));
    }
    struct stat status;
    if (::fstat(m_fd, &status) != 0) {
        const int error = errno;
        close();
        return fail(error);
    }
    if (!S_ISREG(status.st_mode)) {
        close();
        return fail(tr("it is not a regular file"));
    }
    // Locked before it is emptied: another copy of the program may be writing the same tool right now.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close();
        return error == EWOULDBLOCK ? fail(tr("another download is writing this file")) : fail(error);
    }
    if (::ftruncate(m_fd, 0) != 0) {
        const int error = errno;
        close();
        return fail(error);
    }
    m_buffer.reserve(bufferSize);
    m_written = 0;
    m_writtenBack = 0;
    return true;
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
    if (::rename(name.constData(), QFile::encodeName(m_destination).constData()) != 0)
        return fail(errno);
    close();
    return true;
}
