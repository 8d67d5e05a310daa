#pragma once

#include "answercheck.h"
#include "partfile.h"
#include "progressreadout.h"
#include "refusal.h"
#include "transfer/transferfailure.h"

#include <QByteArrayView>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>

class Inet;

// How one transfer ended: the outcome and its facts, which the window words.
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
    QString folder; // the folder archives go to; empty when there is none
    QString archive; // where the archive goes, in `folder`
    // The .part file, where the download ended at it: it could not be written, or it keeps what arrived.
    QString partial;
    int status = 0; // the server's answer, once it came
    // Why the answer is not the archive (NotTheArchive), or cannot be written (CannotWrite).
    Refusal refusal;
    // What stopped the transfer for NetworkFailed and Incomplete, and the silence that counts as a stall;
    // for every answer, the proxy it came through.
    TransferFailure failure;
    int timeoutSeconds = 0;
    bool verified = false; // the archive matched the digest the server gave for it
};

Q_DECLARE_METATYPE(TransferResult)

// What the Download and Cancel buttons do, and the transfer routine they run. It knows no window: it reads
// the chosen tool through `ToolChoice` and tells the window what happens through its signals, which come in
// this order for each tool fetched: transferStarted, sizeKnown (once the answer is taken), progressReported
// after every read, transferFinished.
class DownloadCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadCommands)

public:
    static constexpr qint64 chunkSize = 1024;
    // The text of the tool list, read afresh for every catalog entry.
    using ToolChoice = std::function<QString()>;

    DownloadCommands(Inet *inet, ToolChoice choice, const QString &programFolder, QObject *parent = nullptr);

    // Download button: fetches every catalog entry whose name the tool list shows, in catalog order.
    void downloadPressed();
    // Cancel button, and the window closing: stops the running transfer and ends the download command,
    // so no later entry is fetched after it.
    void cancel();

    bool isRunning() const { return m_running; }
    // How far the running transfer has got, for a readout.
    const ProgressReadout &readout() const { return m_readout; }

    // Copies the body at `url` into `destination`, reporting progress after every chunk. The body
    // goes into "<destination>.part" first and replaces `destination` only once it is complete.
    TransferResult DownloadFile(const QString &url, const QString &destination);

Q_SIGNALS:
    // Download was pressed: the idle caption goes, whether or not the text names a tool.
    void commandStarted();
    void transferStarted(const QString &toolName);
    // The answer is the archive and its body follows; `expected` is 0 when the server did not say.
    void sizeKnown(qint64 expected);
    // After every read, as whole-percent text; only while the size is known.
    void progressReported(const QString &percentage);
    void transferFinished(const QString &toolName, const TransferResult &result);

private:
    using Outcome = TransferResult::Outcome;
    // How a download ends before its archive is in place.
    struct Ending
    {
        Outcome outcome;
        Refusal refusal = {};
        bool abandonsRequest = false; // the answer is still coming and is not wanted
        bool atPartial = false; // the .part file could not be written, or keeps what arrived
    };
    // One step of `DownloadFile`: nothing when the download goes on to the next.
    using Step = std::optional<Ending>;
    static Step firstEnding(std::initializer_list<std::function<Step()>> steps);

    Step askServer(const QString &url);
    Step takeAnswer(AnswerCheck::Verdict *verdict, TransferResult *result);
    Step judgeStart(const AnswerCheck::Verdict &verdict, std::optional<QByteArrayView> *start);
    Step openPart(PartFile &part, const AnswerCheck::Verdict &verdict, TransferResult *result);
    Step copyBody(PartFile &part, std::optional<QByteArrayView> start, TransferResult *result);
    Step checkBody(const PartFile &part, const AnswerCheck::Verdict &verdict, const TransferResult *result);
    Step commit(PartFile &part, const AnswerCheck::Verdict &verdict, TransferResult *result);
    // The window's events while the part file finishes, and whether the download goes on meanwhile.
    PartFile::Pass pass();
    // The body into `part`, chunk by chunk, with a progress report and an event pass after each; `start`
    // is its first chunk when that has been read already.
    bool copyChunks(PartFile &part, std::optional<QByteArrayView> start, qint64 expected, qint64 *received);

    Inet *m_inet = nullptr;
    ToolChoice m_choice;
    QString m_programFolder;
    ProgressReadout m_readout;
    bool m_running = false;
    bool m_cancelled = false;
};
