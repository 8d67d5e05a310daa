#include "downloadcommands.h"

#include "catalog/toolcatalog.h"
#include "controls/ccrpprogressbar.h"
#include "controls/eventpump.h"
#include "controls/inet.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "destinationfolder.h"
#include "transfermath.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString busyCaption = QStringLiteral(" Download in Progress  >>> ");

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

// Moves the finished body over the archive in one step, so the archive is either the old file or the new one.
bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
        std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    if (error)
        *reason = QString::fromLocal8Bit(error.message().c_str());
    return !error;
}

// The body is synced to disk before it replaces the archive. Handing it to the disk as it comes keeps
// that final sync short instead of making the user wait for the whole file at the end.
constexpr qint64 writeBackStep = 8 * 1024 * 1024;

void startWriteBack(QFile &file, qint64 from, qint64 to)
{
    // A write error shows here already, or at the latest at the final flush.
    if (file.flush())
        ::sync_file_range(file.handle(), from, to - from, SYNC_FILE_RANGE_WRITE);
}

} // namespace

DownloadCommands::DownloadCommands(
    const DownloadControls &controls, const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_programFolder(programFolder)
    , m_readout(controls.ProgressBar1)
{ }

void DownloadCommands::setBusyPointer(bool busy)
{
    if (busy == m_pointerBusy)
        return;
    m_pointerBusy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void DownloadCommands::downloadPressed()
{
    // The button stays live during a transfer; a second press must not start a nested one.
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;

    m_controls.xpLabel1->setVisible(false);
    for (int position = 1; position <= ToolCatalog::count() && !m_stopRequested; ++position) {
        // Read afresh for every entry: the user may pick another tool while a transfer runs.
        const QString name = ToolCatalog::displayName(position);
        if (m_controls.Combo1->text() != name)
            continue;

        m_controls.Label1->setVisible(true);
        m_controls.Label1->setCaption(busyCaption);
        m_controls.ProgressBar1->setVisible(true);
        setBusyPointer(true);

        const QString destination
            = ToolCatalog::destinationPath(DestinationFolder::choose(m_programFolder), position);
        m_readout.start();
        const TransferResult result = DownloadFile(ToolCatalog::url(position), destination);
        m_readout.stop();

        setBusyPointer(false);
        m_controls.Label1->setVisible(false);
        m_controls.ProgressBar1->setValue(0);
        m_controls.xpLabel1->setVisible(true);

        Q_EMIT transferFinished(name, result);
    }
    m_running = false;
}

void DownloadCommands::cancelPressed()
{
    // Also covers a transfer that is about to start: its request does not exist yet to be cancelled.
    m_cancelRequested = m_running;
    m_controls.Inet1->cancel();
    m_controls.ProgressBar1->setValue(0);
    setBusyPointer(false);
    m_controls.Label1->setVisible(false);
}

void DownloadCommands::stop()
{
    m_stopRequested = true;
    if (m_running)
        m_controls.Inet1->cancel();
}

TransferResult DownloadCommands::DownloadFile(const QString &url, const QString &destination)
{
    Inet *inet = m_controls.Inet1;
    TransferResult result;
    result.path = destination;

    m_cancelRequested = false;
    EventPump::pumpOnce();
    if (m_cancelRequested || m_stopRequested) {
        result.outcome = TransferResult::Outcome::Cancelled;
        return result;
    }
    inet->setUrl(url);
    const QString headers = QLatin1String("Range: bytes=") + QString::number(0) + QLatin1String("-\r\n");
    inet->execute(QStringLiteral("GET"), headers);
    while (inet->stillExecuting())
        EventPump::waitForMoreEvents();

    // Nothing is written unless the server actually answered with the file.
    if (inet->wasCancelled()) {
        result.outcome = TransferResult::Outcome::Cancelled;
        return result;
    }
    if (inet->statusCode() == 0) {
        result.outcome = TransferResult::Outcome::NetworkFailed;
        result.reason = inet->errorString();
        return result;
    }
    if (!isSuccessStatus(inet->statusCode())) {
        inet->cancel();
        result.outcome = TransferResult::Outcome::ServerRefused;
        result.reason = QString::number(inet->statusCode()) + QLatin1Char(' ') + inet->reasonPhrase();
        return result;
    }

    const qint64 expected = TransferMath::expectedSize(inet->getHeader(QStringLiteral("Content-Length")));
    result.expected = expected;
    EventPump::pumpOnce();
    if (inet->wasCancelled()) {
        result.outcome = TransferResult::Outcome::Cancelled;
        return result;
    }

    QFile part(destination + QLatin1String(".part"));
    result.path = part.fileName();
    // Locked before it is emptied: another copy of the program may be writing the same tool right now.
    const bool opened = part.open(QIODevice::ReadWrite);
    const bool locked = opened && ::flock(part.handle(), LOCK_EX | LOCK_NB) == 0;
    if (!locked || (part.size() > 0 && !part.resize(0))) {
        inet->cancel();
        result.outcome = TransferResult::Outcome::CannotWrite;
        result.reason = opened && !locked ? tr("another download is writing this file") : part.errorString();
        return result;
    }
    if (result.expected == 0)
        m_controls.ProgressBar1->setBusy(true);

    qint64 received = 0;
    QByteArray chunk;
    chunk.reserve(chunkSize);
    // Reported again and again while it does not change: keep the text instead of making it anew.
    int lastPercent = -1;
    qint64 writtenBack = 0;
    QString percentText;
    do {
        inet->getChunk(chunk, chunkSize);
        if (part.write(chunk) != chunk.size()) {
            inet->cancel();
            result.outcome = TransferResult::Outcome::CannotWrite;
            result.reason = part.errorString();
            result.received = received;
            return result;
        }
        received += chunk.size();
        m_readout.update(received, result.expected);
        if (received - writtenBack >= writeBackStep) {
            startWriteBack(part, writtenBack, received);
            writtenBack = received;
        }
        if (result.expected > 0) {
            const int percent = TransferMath::percent(received, result.expected);
            if (percent != lastPercent) {
                lastPercent = percent;
                percentText = QString::number(percent);
            }
            DownloadProgress(percentText);
        }
        EventPump::pumpOnce();
    } while (chunk.size() >= 2);
    result.received = received;

    if (!part.flush()) {
        result.outcome = TransferResult::Outcome::CannotWrite;
        result.reason = part.errorString();
        return result;
    }
    if (inet->wasCancelled()) {
        result.outcome = TransferResult::Outcome::Cancelled;
        return result;
    }
    if (inet->hasFailed() || received < result.expected) {
        result.outcome = TransferResult::Outcome::Incomplete;
        result.reason = inet->hasFailed() ? inet->errorString() : QString();
        return result;
    }
    // On disk before it takes the archive's place, so a crash cannot leave a renamed but empty file.
    if (::fdatasync(part.handle()) != 0) {
        result.outcome = TransferResult::Outcome::CannotWrite;
        result.reason = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    part.close();

    QString reason;
    if (!replaceFile(part.fileName(), destination, &reason)) {
        result.outcome = TransferResult::Outcome::CannotWrite;
        result.path = destination;
        result.reason = reason;
        return result;
    }
    result.path = destination;
    result.outcome = TransferResult::Outcome::Complete;
    return result;
}

void DownloadCommands::DownloadProgress(const QString &percentage)
{
    m_controls.ProgressBar1->setValue(percentage.toInt());
    Q_EMIT progressReported(percentage);
}

QString DownloadCommands::failureMessage(const QString &toolName, const TransferResult &result)
{
    const QLocale locale;
    switch (result.outcome) {
    case TransferResult::Outcome::Complete:
    case TransferResult::Outcome::Cancelled:
        return {};
    case TransferResult::Outcome::ServerRefused:
        return tr("%1 could not be downloaded: the server answered \"%2\".").arg(toolName, result.reason);
    case TransferResult::Outcome::NetworkFailed:
        return tr("%1 could not be downloaded: %2").arg(toolName, result.reason);
    case TransferResult::Outcome::Incomplete: {
        const QString sizes = result.expected > 0
            ? tr("%1 of %2 bytes arrived")
                  .arg(locale.toString(result.received), locale.toString(result.expected))
            : tr("%1 bytes arrived").arg(locale.toString(result.received));
        QString message = tr("The download of %1 is incomplete: %2.").arg(toolName, sizes);
        if (!result.reason.isEmpty())
            message += QLatin1Char(' ') + result.reason;
        return message + QLatin1Char('\n') + tr("The partial data is kept in %1.").arg(result.path);
    }
    case TransferResult::Outcome::CannotWrite:
        return tr("%1 could not be saved to %2: %3").arg(toolName, result.path, result.reason);
    }
    return {};
}
