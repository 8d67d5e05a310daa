#include "downloadcommands.h"

#include "answercheck.h"
#include "catalog/toolcatalog.h"
#include "destinationfolder.h"
#include "partfile.h"
#include "transfer/eventpump.h"
#include "transfer/inet.h"
#include "transfermath.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

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
    return AnswerHead::read(inet.statusCode(), inet.contentLength(),
        [&inet](const QString &name) { return inet.getHeader(name); });
}

} // namespace

DownloadCommands::DownloadCommands(
    Inet *inet, ToolChoice choice, const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_inet(inet)
    , m_choice(std::move(choice))
    , m_programFolder(programFolder)
{ }

void DownloadCommands::downloadPressed()
{
    // The button stays live during a transfer; a second press must not start a nested one.
    if (m_running)
        return;
    m_running = true;
    m_cancelled = false;

    Q_EMIT commandStarted();
    for (int position = 1; position <= ToolCatalog::count() && !m_cancelled; ++position) {
        // Read afresh for every entry: the user may pick another tool while a transfer runs.
        const QString name = ToolCatalog::displayName(position);
        if (m_choice() != name)
            continue;

        Q_EMIT transferStarted(name);
        const DestinationFolder::Choice folder = DestinationFolder::choose(m_programFolder);
        m_readout.start();
        // Nothing is asked of the server when there is nowhere to save it.
        TransferResult result;
        result.path = folder.path;
        result = folder.error.isEmpty()
            ? DownloadFile(ToolCatalog::url(position), ToolCatalog::destinationPath(folder.path, position))
            : ended(result, TransferResult::Outcome::CannotWrite, folder.error);
        Q_EMIT transferFinished(name, result);
    }
    m_running = false;
}

void DownloadCommands::cancel()
{
    // Also covers a transfer that is about to start: its request does not exist yet to be cancelled.
    m_cancelled = m_running;
    m_inet->cancel();
}

TransferResult DownloadCommands::DownloadFile(const QString &url, const QString &destination)
{
    using Outcome = TransferResult::Outcome;
    Inet *inet = m_inet;
    TransferResult result;
    result.path = destination;
    result.timeoutSeconds = inet->requestTimeout();

    // A Cancel or close already queued stops the transfer before it starts.
    EventPump::pumpOnce();
    if (m_cancelled)
        return ended(result, Outcome::Cancelled);

    inet->setUrl(url);
    const QString headers = QLatin1String("Range: bytes=") + QString::number(0) + QLatin1String("-\r\n");
    inet->execute(QStringLiteral("GET"), headers);
    while (inet->stillExecuting())
        EventPump::waitForMoreEvents();

    // Nothing is written unless the answer is the archive.
    if (inet->wasCancelled())
        return ended(result, Outcome::Cancelled);
    result.failure = inet->failure();
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
    if (!verdict.sha256.isEmpty())
        part.hashWith(QCryptographicHash::Sha256);
    m_readout.setExpected(result.expected);
    Q_EMIT sizeKnown(result.expected);
    const bool copied = copyBody(part, result.expected, &result.received);
    // Nothing is kept of a cancelled download: no later one resumes it.
    if (inet->wasCancelled()) {
        part.discard();
        return ended(result, Outcome::Cancelled);
    }
    // Whatever else happened, what arrived is in the .part file for whoever looks, until the next attempt;
    // it is checked as it lies on the disk, not as it arrived.
    if (!copied || !part.finish()) {
        inet->cancel();
        return ended(result, Outcome::CannotWrite, part.errorString());
    }
    result.failure = inet->failure();
    // More than the announced size is no archive, however the transfer ended.
    const bool beyondSize = result.expected > 0 && result.received > result.expected;
    if (!beyondSize && (inet->hasFailed() || result.received < result.expected))
        return ended(result, Outcome::Incomplete, inet->hasFailed() ? inet->errorString() : QString());
    if (const QString reason = AnswerCheck::checkBody(verdict, result.received, part.hash());
        !reason.isEmpty()) {
        inet->cancel();
        return ended(result, Outcome::NotTheArchive, reason);
    }

    result.verified = !verdict.sha256.isEmpty();
    result.path = destination;
    if (!part.commit())
        return ended(result, Outcome::CannotWrite, part.errorString());
    return ended(result, Outcome::Complete);
}

bool DownloadCommands::copyBody(PartFile &part, qint64 expected, qint64 *received)
{
    // The percentage is worked out afresh only once the count could have changed it, and its text
    // only once it has changed; in between, every report repeats the same text.
    int lastPercent = -1;
    qint64 nextPercentCheck = 0;
    QString percentText;
    QByteArrayView chunk;
    do {
        chunk = m_inet->readChunk(chunkSize);
        if (!part.write(chunk.data(), chunk.size()))
            return false;
        *received += chunk.size();
        const EventPump::Clock::time_point now = EventPump::Clock::now();
        m_readout.update(*received, now);
        if (expected > 0) {
            if (*received >= nextPercentCheck) {
                const int percent = TransferMath::percent(*received, expected);
                if (percent != lastPercent) {
                    lastPercent = percent;
                    percentText = QString::number(percent);
                }
                nextPercentCheck
                    = std::max(*received + 1, TransferMath::nextPercentChange(percent, expected));
            }
            Q_EMIT progressReported(percentText);
        }
        EventPump::pumpOnce(now);
    } while (chunk.size() >= 2 && (expected == 0 || *received <= expected));
    return true;
}
