#include "downloadcommands.h"

#include "answercheck.h"
#include "catalog/toolcatalog.h"
#include "common/plaintext.h"
#include "controls/ccrpprogressbar.h"
#include "transfer/eventpump.h"
#include "transfer/inet.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "destinationfolder.h"
#include "partfile.h"
#include "transfermath.h"

#include <QGuiApplication>
#include <QLocale>

namespace {

const QString busyCaption = QStringLiteral(" Download in Progress  >>> ");

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

TransferResult ended(TransferResult result, TransferResult::Outcome outcome, const QString &reason = {})
{
    result.outcome = outcome;
    result.reason = reason;
    return result;
}

AnswerHead answerHead(const Inet &inet)
{
    AnswerHead head;
    head.status = inet.statusCode();
    head.contentLength = inet.getHeader(QStringLiteral("Content-Length"));
    head.contentRange = inet.getHeader(QStringLiteral("Content-Range"));
    head.contentType = inet.getHeader(QStringLiteral("Content-Type"));
    head.contentDisposition = inet.getHeader(QStringLiteral("Content-Disposition"));
    head.contentEncoding = inet.getHeader(QStringLiteral("Content-Encoding"));
    return head;
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
    using Outcome = TransferResult::Outcome;
    Inet *inet = m_controls.Inet1;
    TransferResult result;
    result.path = destination;

    // A Cancel or close already queued stops the transfer before it starts.
    m_cancelRequested = false;
    EventPump::pumpOnce();
    if (m_cancelRequested || m_stopRequested)
        return ended(result, Outcome::Cancelled);
    if (!PartFile::hasKnownFolder(destination))
        return ended(result, Outcome::CannotWrite, PartFile::unknownFolderReason());

    inet->setUrl(url);
    const QString headers = QLatin1String("Range: bytes=") + QString::number(0) + QLatin1String("-\r\n");
    inet->execute(QStringLiteral("GET"), headers);
    while (inet->stillExecuting())
        EventPump::waitForMoreEvents();

    // Nothing is written unless the answer is the archive.
    if (inet->wasCancelled())
        return ended(result, Outcome::Cancelled);
    if (inet->statusCode() == 0)
        return ended(result, Outcome::NetworkFailed, inet->errorString());
    if (!isSuccessStatus(inet->statusCode())) {
        inet->cancel();
        return ended(result, Outcome::ServerRefused,
            QString::number(inet->statusCode()) + QLatin1Char(' ') + inet->reasonPhrase());
    }
    const AnswerCheck::Verdict verdict = AnswerCheck::checkHead(answerHead(*inet));
    if (!verdict.isArchive) {
        inet->cancel();
        return ended(result, Outcome::NotTheArchive, verdict.reason);
    }
    result.expected = verdict.expected;
    EventPump::pumpOnce();
    if (inet->wasCancelled())
        return ended(result, Outcome::Cancelled);

    PartFile part(destination);
    result.path = part.path();
    if (!part.open()) {
        inet->cancel();
        return ended(result, Outcome::CannotWrite, part.errorString());
    }
    if (result.expected == 0)
        m_controls.ProgressBar1->setBusy(true);
    const bool copied = copyBody(part, result.expected, &result.received);
    // Whatever happened, what arrived is in the .part file for whoever looks.
    if (!copied || !part.flush()) {
        inet->cancel();
        return ended(result, Outcome::CannotWrite, part.errorString());
    }
    if (inet->wasCancelled())
        return ended(result, Outcome::Cancelled);
    if (inet->hasFailed() || result.received < result.expected)
        return ended(result, Outcome::Incomplete, inet->hasFailed() ? inet->errorString() : QString());
    if (const QString reason = AnswerCheck::checkBody(result.received); !reason.isEmpty())
        return ended(result, Outcome::NotTheArchive, reason);

    result.path = destination;
    if (!part.commit())
        return ended(result, Outcome::CannotWrite, part.errorString());
    return ended(result, Outcome::Complete);
}

bool DownloadCommands::copyBody(PartFile &part, qint64 expected, qint64 *received)
{
    Inet *inet = m_controls.Inet1;
    QByteArray chunk;
    chunk.reserve(chunkSize);
    // Reported again and again while it does not change: keep the text instead of making it anew.
    int lastPercent = -1;
    QString percentText;
    do {
        inet->getChunk(chunk, chunkSize);
        if (!part.write(chunk))
            return false;
        *received += chunk.size();
        m_readout.update(*received, expected);
        if (expected > 0) {
            const int percent = TransferMath::percent(*received, expected);
            if (percent != lastPercent) {
                lastPercent = percent;
                percentText = QString::number(percent);
            }
            DownloadProgress(percentText);
        }
        EventPump::pumpOnce();
    } while (chunk.size() >= 2);
    return true;
}

void DownloadCommands::DownloadProgress(const QString &percentage)
{
    m_controls.ProgressBar1->setValue(percentage.toInt());
    Q_EMIT progressReported(percentage);
}

QString DownloadCommands::failureMessage(const QString &toolName, const TransferResult &result)
{
    const QLocale locale;
    // The reason may come from the server: only ever plain text, and not a page long.
    const QString reason = PlainText::fromServer(result.reason);
    const QString path = PlainText::clean(result.path);
    switch (result.outcome) {
    case TransferResult::Outcome::Complete:
    case TransferResult::Outcome::Cancelled:
        return {};
    case TransferResult::Outcome::ServerRefused:
        return tr("%1 could not be downloaded: the server answered \"%2\".").arg(toolName, reason);
    case TransferResult::Outcome::NetworkFailed:
        return tr("%1 could not be downloaded: %2").arg(toolName, reason);
    case TransferResult::Outcome::NotTheArchive:
        return tr("%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.")
            .arg(toolName, reason);
    case TransferResult::Outcome::Incomplete: {
        const QString sizes = result.expected > 0
            ? tr("%1 of %2 bytes arrived")
                  .arg(locale.toString(result.received), locale.toString(result.expected))
            : tr("%1 bytes arrived").arg(locale.toString(result.received));
        QString message = tr("The download of %1 is incomplete: %2.").arg(toolName, sizes);
        if (!reason.isEmpty())
            message += QLatin1Char(' ') + reason;
        return message + QLatin1Char('\n') + tr("The partial data is kept in %1.").arg(path);
    }
    case TransferResult::Outcome::CannotWrite:
        return tr("%1 could not be saved to %2: %3").arg(toolName, path, reason);
    }
    return {};
}
