#include "downloadcommands.h"

#include "answercheck.h"
#include "catalog/toolcatalog.h"
#include "destinationfolder.h"
#include "partfile.h"
#include "transfer/eventpump.h"
#include "transfer/inet.h"
#include "transfermath.h"

#include <algorithm>
#include <utility>

namespace {

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

TransferResult ended(TransferResult result, TransferResult::Outcome outcome, Refusal refusal = {})
{
    result.outcome = outcome;
    result.refusal = std::move(refusal);
    return result;
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
        TransferResult result = folder.refusal.refused()
            ? ended({}, TransferResult::Outcome::CannotWrite, folder.refusal)
            : DownloadFile(ToolCatalog::url(position), ToolCatalog::destinationPath(folder.path, position));
        result.folder = folder.path;
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
    TransferResult result;
    result.archive = destination;
    result.timeoutSeconds = m_inet->requestTimeout();
    AnswerCheck::Verdict verdict;
    PartFile part(destination);
    std::optional<QByteArrayView> start; // the body's first bytes, when they were needed to judge it
    const Step ending = firstEnding({
        [&] { return askServer(url); },
        [&] { return takeAnswer(&verdict, &result); },
        [&] { return judgeStart(verdict, &start); },
        [&] { return openPart(part, verdict, &result); },
        [&] { return copyBody(part, start, &result); },
        [&] { return checkBody(part, verdict, &result); },
        [&] { return commit(part, verdict, &result); },
    });
    if (!ending)
        return ended(result, TransferResult::Outcome::Complete);
    // Given up while its answer still comes: the rest of the body is not fetched.
    if (ending->abandonsRequest)
        m_inet->cancel();
    if (ending->atPartial)
        result.partial = part.path();
    // A .part file with nothing in it holds nothing worth keeping or telling of.
    if (result.received == 0)
        part.discard();
    return ended(result, ending->outcome, ending->refusal);
}

DownloadCommands::Step DownloadCommands::firstEnding(std::initializer_list<std::function<Step()>> steps)
{
    for (const std::function<Step()> &step : steps) {
        if (Step ending = step())
            return ending;
    }
    return std::nullopt;
}

DownloadCommands::Step DownloadCommands::askServer(const QString &url)
{
    // A Cancel or close already queued stops the transfer before it starts.
    EventPump::pumpOnce();
    if (m_cancelled)
        return Ending{Outcome::Cancelled};

    m_inet->setUrl(url);
    const QString headers = QLatin1String("Range: bytes=") + QString::number(0) + QLatin1String("-\r\n");
    m_inet->execute(QStringLiteral("GET"), headers);
    while (m_inet->stillExecuting())
        EventPump::waitForMoreEvents();
    if (m_inet->wasCancelled())
        return Ending{Outcome::Cancelled};
    return std::nullopt;
}

// Nothing is written unless the answer is the archive.
DownloadCommands::Step DownloadCommands::takeAnswer(AnswerCheck::Verdict *verdict, TransferResult *result)
{
    result->failure = m_inet->failure();
    result->status = m_inet->statusCode();
    if (result->status == 0)
        return Ending{Outcome::NetworkFailed};
    if (!isSuccessStatus(result->status) && !AnswerCheck::saysEmpty(m_inet->head())) {
        // The server's own words are no part of the answer, and may say anything ("500 Partial Content").
        qCInfo(lcTransfer) << "the server answered" << result->status << m_inet->reasonPhrase();
        return Ending{Outcome::ServerRefused, {}, true};
    }
    *verdict = AnswerCheck::checkHead(m_inet->head());
    if (!verdict->isArchive)
        return Ending{Outcome::NotTheArchive, verdict->refusal, true};
    result->expected = verdict->expected;
    EventPump::pumpOnce();
    if (m_inet->wasCancelled())
        return Ending{Outcome::Cancelled};
    return std::nullopt;
}

// A body labelled a web page is judged by its first bytes, before anything is written; they are then the
// first chunk copied.
DownloadCommands::Step DownloadCommands::judgeStart(
    const AnswerCheck::Verdict &verdict, std::optional<QByteArrayView> *start)
{
    if (!verdict.labelledPage)
        return std::nullopt;
    *start = m_inet->readChunk(AnswerCheck::pageStartSize);
    if (m_inet->wasCancelled())
        return Ending{Outcome::Cancelled};
    if (Refusal refusal = AnswerCheck::checkStart(verdict, **start); refusal.refused())
        return Ending{Outcome::NotTheArchive, std::move(refusal), true};
    return std::nullopt;
}

DownloadCommands::Step DownloadCommands::openPart(
    PartFile &part, const AnswerCheck::Verdict &verdict, TransferResult *result)
{
    if (!part.open())
        return Ending{Outcome::CannotWrite, part.refusal(), true, true};
    // Told before the body fills the disk; nothing of it is left behind.
    if (result->expected > 0 && !part.reserve(result->expected)) {
        part.discard();
        return Ending{Outcome::CannotWrite, part.refusal(), true};
    }
    part.setOrigin(m_inet->answerUrl());
    if (!verdict.sha256.isEmpty())
        part.hashWithSha256();
    m_readout.setExpected(result->expected);
    Q_EMIT sizeKnown(result->expected);
    return std::nullopt;
}

DownloadCommands::Step DownloadCommands::copyBody(
    PartFile &part, std::optional<QByteArrayView> start, TransferResult *result)
{
    const bool copied = copyChunks(part, start, result->expected, &result->received);
    // Nothing is kept of a cancelled download: no later one resumes it.
    if (m_inet->wasCancelled()) {
        part.discard();
        return Ending{Outcome::Cancelled};
    }
    // Whatever else happened, what arrived is in the .part file for whoever looks, until the next attempt;
    // it is checked as it lies on the disk, not as it arrived.
    // Cancel pressed while the body goes to the disk, or while it is hashed, still saves nothing.
    const bool finished = copied && part.finish(pass());
    if (m_cancelled) {
        part.discard();
        return Ending{Outcome::Cancelled};
    }
    if (!finished)
        return Ending{Outcome::CannotWrite, part.refusal(), true, true};
    result->failure = m_inet->failure();
    // More than the announced size is no archive, however the transfer ended.
    const bool beyondSize = result->expected > 0 && result->received > result->expected;
    if (!beyondSize && (m_inet->hasFailed() || result->received < result->expected))
        return Ending{.outcome = Outcome::Incomplete, .atPartial = true};
    return std::nullopt;
}

DownloadCommands::Step DownloadCommands::checkBody(
    const PartFile &part, const AnswerCheck::Verdict &verdict, const TransferResult *result)
{
    if (Refusal refusal = AnswerCheck::checkBody(verdict, result->received, part.hash()); refusal.refused())
        return Ending{Outcome::NotTheArchive, std::move(refusal), true};
    return std::nullopt;
}

DownloadCommands::Step DownloadCommands::commit(
    PartFile &part, const AnswerCheck::Verdict &verdict, TransferResult *result)
{
    result->verified = !verdict.sha256.isEmpty();
    // Once the archive is in its place, Cancel comes too late: it is saved.
    if (!part.commit(pass()))
        return Ending{Outcome::CannotWrite, part.refusal()};
    return std::nullopt;
}

PartFile::Pass DownloadCommands::pass()
{
    return {.step =
                [this] {
                    EventPump::pumpOnce();
                    return !m_cancelled;
                },
        .beside = EventPump::runBeside};
}

bool DownloadCommands::copyChunks(
    PartFile &part, std::optional<QByteArrayView> start, qint64 expected, qint64 *received)
{
    // The percentage is worked out afresh only once the count could have changed it, and its text
    // only once it has changed; in between, every report repeats the same text.
    int lastPercent = -1;
    qint64 nextPercentCheck = 0;
    QString percentText;
    QByteArrayView chunk;
    do {
        chunk = start ? *std::exchange(start, std::nullopt) : m_inet->readChunk(chunkSize);
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
