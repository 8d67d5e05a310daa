#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QString>

#include <optional>

// The ".part" file a download is written into before it takes the archive's place. The folder it
// lives in may hold anything someone planted there: a link is never followed, and only a regular file
// this download made itself is ever written. Every step reports the system's own reason when it fails.
class PartFile final
{
    Q_DISABLE_COPY_MOVE(PartFile)
    Q_DECLARE_TR_FUNCTIONS(PartFile)

public:
    // Bytes gathered before they go to the disk in one write.
    static constexpr qsizetype bufferSize = 256 * 1024;

    // `destination` is the archive the body is meant for.
    explicit PartFile(const QString &destination);
    // Whatever arrived stays in the .part file.
    ~PartFile();

    QString path() const { return m_path; }
    QString destination() const { return m_destination; }
    // Why the last step failed, in the system's words.
    QString errorString() const { return m_error; }

    // Makes the file afresh for this download alone, locked against a second copy of the program. An
    // earlier download's .part file is moved aside to "<name>.part.<n>"; anything else in the way stays
    // and the reason says what it is.
    bool open();
    // From here on, everything written is hashed as it goes to the disk.
    void hashWith(QCryptographicHash::Algorithm algorithm);
    // The hash of everything handed to the system so far; empty when nothing is hashed.
    QByteArray hash() const;
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    // Hands the buffered bytes to the system.
    bool flush();
    // Puts the complete body on disk, then in the archive's place in one rename.
    bool commit();

private:
    bool fail(int error);
    bool fail(const QString &reason);
    void close();
    bool moveAside(const QByteArray &name);

    QString m_destination;
    QString m_path;
    QString m_error;
    QByteArray m_buffer;
    std::optional<QCryptographicHash> m_hash;
    int m_fd = -1;
    qint64 m_written = 0; // handed to the system so far
    qint64 m_writtenBack = 0; // of which already on its way to the disk
};
