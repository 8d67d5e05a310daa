#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

class CcrpProgressBar;
class Inet;
class PartFile;
class XpComboBox;
class XpLabel;

// The controls of the main window that downloading reads and drives.
struct DownloadControls
{
    XpComboBox *Combo1 = nullptr;
    XpLabel *xpLabel1 = nullptr;
    XpLabel *Label1 = nullptr;
    CcrpProgressBar *ProgressBar1 = nullptr;
    Inet *Inet1 = nullptr;
};

// How one transfer ended.
struct TransferResult
{
    enum class Outcome {
        Complete,
        Cancelled,
        ServerRefused, // an answer outside 2xx
        NotTheArchive, // a 2xx answer that is not the whole archive: empty, a web page, a part, encoded
        NetworkFailed, // no answer at all
        Incomplete, // the body stopped short
        CannotWrite,
    };
    Outcome outcome = Outcome::Complete;
    qint64 received = 0;
    qint64 expected = 0; // 0 when the server did not say
    QString path; // the file concerned
    QString reason; // the server's answer or the system's error text
};

Q_DECLARE_METATYPE(TransferResult)

// The Download and Cancel buttons and the transfer routine they run.
class DownloadCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadCommands)

public:
    static constexpr qint64 chunkSize = 1024;

    DownloadCommands(
        const DownloadControls &controls, const QString &programFolder, QObject *parent = nullptr);

    // Download button: fetches every catalog entry whose name the tool list shows, in catalog order.
    void downloadPressed();
    // Cancel button.
    void cancelPressed();
    // Cancels a running transfer and ends the running download command, e.g. when the window closes.
    void stop();

    bool isRunning() const { return m_running; }
    QString programFolder() const { return m_programFolder; }

    // Copies the body at `url` into `destination`, reporting progress after every chunk. The body
    // goes into "<destination>.part" first and replaces `destination` only once it is complete.
    TransferResult DownloadFile(const QString &url, const QString &destination);
    void DownloadProgress(const QString &percentage);

    // The message the window shows for a transfer that did not complete; empty for success and cancel.
    static QString failureMessage(const QString &toolName, const TransferResult &result);

Q_SIGNALS:
    void progressReported(const QString &percentage);
    void transferFinished(const QString &toolName, const TransferResult &result);

private:
    void setBusyPointer(bool busy);
    // The body into `part`, chunk by chunk, with a progress report and an event pass after each.
    bool copyBody(PartFile &part, qint64 expected, qint64 *received);

    DownloadControls m_controls;
    QString m_programFolder;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_cancelRequested = false;
    bool m_pointerBusy = false;
};
