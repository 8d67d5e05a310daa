#include "partfile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QScopeGuard>

#include <cerrno>
#include <limits>
#include <memory>

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPartFile, "vorn.partfile", QtInfoMsg)

namespace {

// Handing the body to the disk as it comes keeps the sync before the rename short, instead of making
// the user wait for the whole file at the end. What is on the disk is then let go from memory, so a
// large archive does not push everything else out of the system's cache. On a desktop whose memory is
// full of cache, as it is after a while, making room for the whole archive cost more than its transfer.
constexpr qint64 writeBackStep = 8 * 1024 * 1024;

// Every write lands at the file's end, wherever that is now: a file cut short by someone else ends up
// shorter than what was written, which the size check sees, never with a hole of zeros at its start.
// Readable too, for the hash of what is on the disk. Not blocking, so that nothing at the name can ever
// hang the window.
constexpr int writeFlags = O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// `count` blocks of `size` bytes; a count no file could reach is as many as any file can be.
qint64 bytes(quint64 count, quint64 size)
{
    const quint64 most = quint64(std::numeric_limits<qint64>::max());
    return size != 0 && count > most / size ? qint64(most) : qint64(count * size);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

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
    return fail(Refusal::system(error));
}

bool PartFile::fail(Refusal refusal)
{
    m_refusal = std::move(refusal);
    return false;
}

void PartFile::close()
{
    releaseReservation();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_fd = -1;
    m_folderFd = -1;
}

Refusal::Kind PartFile::foreignKind(const struct stat &status)
{
    using Kind = Refusal::Kind;
    if (S_ISLNK(status.st_mode))
        return Kind::Link;
    if (S_ISDIR(status.st_mode))
        return Kind::System;
    if (!S_ISREG(status.st_mode))
        return Kind::NotRegularFile;
    // Written into, it would change someone else's file; renamed, it would make theirs the archive.
    if (status.st_uid != ::geteuid())
        return Kind::OtherUsersFile;
    if (status.st_nlink != 1)
        return Kind::HardLinked;
    return Kind::None;
}

Refusal PartFile::claim(int fd, const struct stat *named)
{
    // Locked before anything is done to it: another copy of the program may be writing it right now,
    // and one that finds it later knows it is being written.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? Refusal{Refusal::Kind::BeingWritten} : Refusal::system(errno);
    struct stat opened;
    if (::fstat(fd, &opened) != 0)
        return Refusal::system(errno);
    if ((named && !sameFile(opened, *named)) || foreignKind(opened) != Refusal::Kind::None)
        return {Refusal::Kind::ChangedAtOpen};
    return {};
}

int PartFile::openOwn(const QByteArray &name, int flags)
{
    // Looked at before it is opened: what is not ours (a device, a FIFO) is never opened at all.
    struct stat named;
    if (::fstatat(m_folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno), -1;
    if (const Refusal::Kind kind = foreignKind(named); kind == Refusal::Kind::System)
        return fail(EISDIR), -1;
    else if (kind != Refusal::Kind::None)
        return fail({kind}), -1;
    const int fd = ::openat(m_folderFd, name.constData(), flags);
    if (fd < 0)
        return fail(errno), -1;
    if (Refusal refusal = claim(fd, &named); refusal.refused()) {
        ::close(fd);
        return fail(std::move(refusal)), -1;
    }
    return fd;
}

bool PartFile::open()
{
    // A destination that is not absolute comes from a folder nobody could name; it would land wherever
    // the program happens to run.
    if (!m_destination.startsWith(QLatin1Char('/')) || m_destination.endsWith(QLatin1Char('/')))
        return fail({Refusal::Kind::FolderUnknown});
    const QByteArray path = QFile::encodeName(m_path);
    const qsizetype slash = path.lastIndexOf('/');
    m_name = path.mid(slash + 1);
    auto closeOnFailure = qScopeGuard([this] { close(); });
    // Every later step works in the folder as opened here, and its sync is what makes the rename last.
    m_folderFd = ::open(slash == 0 ? "/" : path.left(slash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        return fail(errno);
    // Made afresh where nothing stands: O_EXCL follows no link and opens no FIFO.
    m_fd = ::openat(m_folderFd, m_name.constData(), writeFlags | O_CREAT | O_EXCL, 0666);
    if (m_fd >= 0) {
        // Nobody may have given it a second name in the moment since it was made.
        if (Refusal refusal = claim(m_fd, nullptr); refusal.refused())
            return fail(std::move(refusal));
    } else if (errno != EEXIST) {
        return fail(errno);
    } else {
        // What an earlier attempt left is worth nothing, as no download resumes: it is emptied and used
        // again once it proves to be a file of ours that nobody is writing.
        m_fd = openOwn(m_name, writeFlags);
        if (m_fd < 0)
            return false;
        if (::ftruncate(m_fd, 0) != 0)
            return fail(errno);
    }
    closeOnFailure.dismiss();
    m_buffer.reserve(bufferSize);
    m_written = 0;
    m_writtenBack = 0;
    m_sentBefore = 0;
    m_reserved = 0;
    m_finished = false;
    return true;
}

bool PartFile::reserve(qint64 size)
{
    // Measured before anything is asked of the disk: a reservation that fails may have taken every free
    // block on its way, and what it leaves is no measure of what was free.
    struct statvfs disk;
    if (::fstatvfs(m_fd, &disk) != 0)
        return fail(errno);
    const qint64 free = bytes(disk.f_bavail, disk.f_frsize);
    // A file system that counts no blocks (ramfs, some FUSE ones) does not say; it is taken at its word
    // when it refuses.
    const bool counted = disk.f_blocks > 0;
    const QString folder = m_path.left(m_path.lastIndexOf(QLatin1Char('/')));
    const Refusal tooLarge{.kind = Refusal::Kind::TooLarge, .size = size, .path = folder};
    if (counted && size > bytes(disk.f_blocks, disk.f_frsize))
        return fail(tooLarge);
    // What cannot fit is refused untouched: asked for anyway, the disk would be full for everyone until
    // the refusal comes.
    const Refusal noRoom{.kind = Refusal::Kind::NoRoom, .size = size, .otherSize = free, .path = folder};
    if (counted && size > free)
        return fail(noRoom);
    // Kept at its size, so that the file still holds exactly what was written and the checks of it stay true.
    int result = 0;
    do
        result = ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, size);
    while (result != 0 && errno == EINTR);
    m_reserved = size;
    if (result == 0)
        return true;
    const int error = errno;
    // Whatever a failed reservation took on its way goes back before anything else is done.
    releaseReservation();
    // A file system that cannot set room aside has shown above that the room is there.
    if (error == EOPNOTSUPP || error == ENOSYS)
        return true;
    if (error == EFBIG)
        return fail(tooLarge);
    return error == ENOSPC && counted ? fail(noRoom) : fail(error);
}

void PartFile::releaseReservation()
{
    if (m_fd < 0 || m_reserved <= m_written)
        return;
    // A .part file kept after a failure holds what arrived, not the room set aside for the rest. Blocks
    // beyond the file's end are not reached by every file system's hole (ext4 stops at the end); cutting
    // the file to its own size gives them back.
    ::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, m_written, m_reserved - m_written);
    m_reserved = 0;
    struct stat status;
    if (::fstat(m_fd, &status) == 0)
        ::ftruncate(m_fd, status.st_size);
}

void PartFile::setOrigin(const QUrl &url)
{
    const QByteArray origin = url.adjusted(QUrl::RemoveUserInfo).toEncoded();
    if (::fsetxattr(m_fd, "user.xdg.origin.url", origin.constData(), size_t(origin.size()), 0) != 0)
        qCInfo(lcPartFile) << "where the archive came from is not recorded:"
                           << Refusal::system(errno).systemReason;
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
        // What was sent a step before the last has had a whole step to reach the disk and is let go. Pages
        // still on their way are skipped, and asking for them would make the system search every
        // processor for them first. A file hashed at the end keeps its pages, so reading it back stays in
        // memory. A length of 0 would mean the whole file, so nothing is asked before a step has passed.
        if (!m_hashed && m_sentBefore > 0)
            ::posix_fadvise(m_fd, 0, m_sentBefore, POSIX_FADV_DONTNEED);
        ::sync_file_range(m_fd, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_sentBefore = m_writtenBack;
        m_writtenBack = m_written;
    }
    return true;
}

bool PartFile::hashFile(const Pass &pass)
{
    // OpenSSL's SHA-256 runs at the speed of the processor's own instructions for it, many times Qt's.
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> hash(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!hash || EVP_DigestInit_ex(hash.get(), EVP_sha256(), nullptr) != 1)
        return fail(ENOMEM);
    // Read back through the descriptor that wrote it: what the rename makes the archive, not the bytes
    // that were handed to the system.
    m_buffer.resize(bufferSize);
    const auto cleared = qScopeGuard([this] { m_buffer.resize(0); });
    for (qint64 offset = 0; offset < m_written;) {
        const ssize_t got = ::pread(m_fd, m_buffer.data(), size_t(m_buffer.size()), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? fail(errno) : fail({Refusal::Kind::ChangedWhileWritten});
        EVP_DigestUpdate(hash.get(), m_buffer.constData(), size_t(got));
        offset += got;
        // A large archive takes seconds: the window lives on meanwhile, and Cancel ends it.
        if (pass.step && !pass.step())
            return fail(Refusal{});
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(hash.get(), digest, &length);
    m_hashResult = QByteArray(reinterpret_cast<const char *>(digest), int(length));
    return true;
}

bool PartFile::finish(const Pass &pass)
{
    if (m_finished)
        return true;
    if (!flush())
        return false;
    // On disk before it takes the archive's place, so a crash cannot leave a renamed but empty file.
    if (const int error = waitBeside(pass, [this] { return ::fdatasync(m_fd) == 0 ? 0 : errno; }))
        return fail(error);
    // Cut short, written into at its end or given a second name by someone else, it is not the body
    // that arrived.
    struct stat status;
    if (::fstat(m_fd, &status) != 0)
        return fail(errno);
    if (status.st_size != m_written)
        return fail({.kind = Refusal::Kind::ChangedSize, .size = status.st_size, .otherSize = m_written});
    if (m_hashed && !hashFile(pass))
        return false;
    m_finished = true;
    return true;
}

int PartFile::waitBeside(const Pass &pass, const std::function<int()> &call)
{
    // A slow or stuck disk makes the call wait for as long as it takes, and nothing can end it early.
    int result = 0;
    if (pass.beside)
        pass.beside([&] { result = call(); });
    else
        result = call();
    return result;
}

bool PartFile::commit(const Pass &pass)
{
    if (!finish(pass))
        return false;
    // Only the file written here may take the archive's place, not whatever was put at its name since.
    struct stat opened;
    struct stat named;
    if (::fstat(m_fd, &opened) != 0
        || ::fstatat(m_folderFd, m_name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    if (!sameFile(opened, named))
        return fail({Refusal::Kind::Replaced});
    // A second name made meanwhile would be someone's way into the archive.
    if (opened.st_nlink != 1)
        return fail({Refusal::Kind::GivenAnotherName});
    const QByteArray destination = m_name.chopped(int(sizeof(".part") - 1));
    if (::renameat(m_folderFd, m_name.constData(), m_folderFd, destination.constData()) != 0)
        return fail(errno);
    // The rename lasts only once the folder is on disk too; until then a power cut brings back the
    // earlier archive. Only then is it saved.
    if (const int error = waitBeside(pass, [this] { return ::fsync(m_folderFd) == 0 ? 0 : errno; })) {
        close();
        Refusal refusal = Refusal::system(error);
        refusal.kind = Refusal::Kind::NotConfirmed;
        return fail(std::move(refusal));
    }
    close();
    return true;
}

void PartFile::discard()
{
    m_buffer.resize(0);
    m_reserved = 0; // goes with the file
    // Removed only while its name still leads to the file written here; whatever took the name since
    // is not ours to remove.
    struct stat opened;
    struct stat named;
    if (m_fd >= 0 && ::fstat(m_fd, &opened) == 0
        && ::fstatat(m_folderFd, m_name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && sameFile(opened, named))
        ::unlinkat(m_folderFd, m_name.constData(), 0);
    close();
}
