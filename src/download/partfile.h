#pragma once

#include "refusal.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

struct stat;

// The ".part" file a download is written into before it takes the archive's place: the program's own
// scratch space, since a download never resumes. The folder it lives in may hold anything someone
// planted there: a link is never followed, and only a regular file of our own is ever written or
// removed. Every step reports why it failed, with the system's own reason where the system refused.
class PartFile final
{
    Q_DISABLE_COPY_MOVE(PartFile)

public:
    // Bytes gathered before they go to the disk in one write. Larger writes make the system put the file
    // in larger blocks of memory, which cost it several times as much to fill here (256 KiB took three
    // times the system time of 64 KiB per GiB); smaller ones cost a system call per block.
    static constexpr qsizetype bufferSize = 64 * 1024;

    // `destination` is the archive the body is meant for.
    explicit PartFile(const QString &destination);
    // Whatever arrived stays in the .part file, for the message to name, until the next attempt.
    ~PartFile();

    QString path() const { return m_path; }
    QString destination() const { return m_destination; }
    // Why the last step failed.
    Refusal refusal() const { return m_refusal; }

    // Makes the file for this download alone, locked against a second copy of the program. The .part
    // file an earlier attempt left is emptied and used again once it proves to be ours; anything else
    // in the way stays and the reason says what it is.
    bool open();
    // The file is hashed with SHA-256 as it lies on the disk once it is finished.
    void hashWithSha256() { m_hashed = true; }
    // The SHA-256 of the finished file; empty when nothing is hashed or before finish().
    QByteArray hash() const { return m_hashResult; }
    // Sets aside room for a body of `size` bytes before any of it is written, so that an archive the
    // disk cannot hold is refused before it fills the disk; the reason then says how much is needed and
    // how much is free. Whatever is not written by the end is given back.
    bool reserve(qint64 size);
    // Records where the archive came from (`user.xdg.origin.url`, for file managers and getfattr),
    // never with a user name or password. A file system without user attributes is no failure.
    void setOrigin(const QUrl &url);
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    // Hands the buffered bytes to the system.
    bool flush();
    // What the window does while a long job goes on; without it, the job runs alone.
    struct Pass
    {
        // Runs the window's events between two steps of a job; false when the download was given up.
        std::function<bool()> step;
        // Runs `wait`, a call that waits on the system, on a thread of its own while the window's
        // events run; returns once it has returned.
        std::function<void(const std::function<void()> &wait)> beside;
    };
    // Puts the complete body on disk and checks that the file holds exactly what was written, running
    // `pass.step` between the steps of its hash. A step that gives up fails it, with no refusal.
    bool finish(const Pass &pass = {});
    // Finishes, puts the file in the archive's place in one rename, and puts the rename on disk too.
    bool commit(const Pass &pass = {});
    // The download was cancelled: the file is removed, if it is still the one written here.
    void discard();

private:
    bool fail(int error);
    bool fail(Refusal refusal);
    void close();
    // Why what `status` describes is not a partial file of ours to reuse or remove; None when it is.
    static Refusal::Kind foreignKind(const struct stat &status);
    // Locks the open file and checks that it is a regular file of ours with one name, the one `named`
    // showed when given; none when it is, else why not.
    static Refusal claim(int fd, const struct stat *named);
    // Opens the file at `name` in the folder, checked to be ours and locked; -1 with the reason set when
    // it is not.
    int openOwn(const QByteArray &name, int flags);
    bool hashFile(const Pass &pass);
    // The result of `call`, run beside the window's events when `pass` says how.
    static int waitBeside(const Pass &pass, const std::function<int()> &call);
    void releaseReservation();

    QString m_destination;
    QString m_path;
    QByteArray m_name; // of the .part file in its folder
    Refusal m_refusal;
    QByteArray m_buffer;
    bool m_hashed = false;
    QByteArray m_hashResult;
    int m_folderFd = -1;
    int m_fd = -1;
    bool m_finished = false;
    qint64 m_written = 0; // handed to the system so far
    qint64 m_writtenBack = 0; // of which already on its way to the disk
    qint64 m_sentBefore = 0; // of which sent a step before the last
    qint64 m_reserved = 0; // set aside on the disk beyond what was written
};
