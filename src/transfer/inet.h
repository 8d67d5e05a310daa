#pragma once

#include "answerhead.h"
#include "transferfailure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcTransfer)

// The Internet transfer control: one HTTP request at a time, whose body the caller pulls in chunks
// while it keeps the window's events running. The transfer runs on the window thread (libcurl's multi
// interface driven by this thread's event loop); waiting never spins.
class Inet final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Inet)

public:
    // How often libcurl's timer and the socket notifiers woke the transfer. Only tests read it: a notifier
    // that fires for nothing, or one that stays off where the timer covers for it, changes no result, only
    // how often the program wakes, and nothing else shows that.
    struct WakeUps
    {
        int timer = 0;
        int socket = 0;
    };

    // The body waits in a buffer of this size; the network is paused while it is full, and resumed
    // once half of it is free again.
    static constexpr qint64 readBufferSize = 512 * 1024;

    explicit Inet(QObject *parent = nullptr);
    ~Inet() override;

    // Seconds without any data before the request fails; also the most the answer's head may take.
    int requestTimeout() const { return m_requestTimeout; }
    void setRequestTimeout(int seconds) { m_requestTimeout = seconds; }

    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }

    // Starts the request on the target URL and returns at once. Request headers are "Name: value"
    // lines, each ended by CR LF.
    void execute(const QString &operation, const QString &requestHeaders);

    // True from the start of a request until its response headers are in, or it failed or was cancelled.
    bool stillExecuting() const { return m_phase == Phase::AwaitingHead; }

    // The final answer's head; its status is 0 while there is none.
    const AnswerHead &head() const { return m_answer.head; }
    // The length of its body as the transfer frames it, -1 when that is unknown (chunked, ended by the
    // server closing, or no answer).
    qint64 contentLength() const { return m_answer.head.length; }

    // The next bytes of the body where they lie, without copying them: waits until `size` bytes are
    // buffered or the body has ended, so a short chunk only comes at the end. Empty once the body is
    // exhausted, after a failure or after cancel. They stay valid, and out of the network's way, until
    // the next read, cancel() or request.
    QByteArrayView readChunk(qint64 size);

    // Stops the running request; later reads are empty.
    void cancel();

    // What became of the last request.
    bool wasCancelled() const { return m_phase == Phase::Cancelled; }
    bool hasFailed() const { return failure().failed(); }
    TransferFailure failure() const { return wasCancelled() ? TransferFailure() : m_answer.failure; }
    int statusCode() const { return m_answer.head.status; }
    QString reasonPhrase() const { return m_answer.head.reason; }
    // Where the final answer came from, after the redirects.
    QUrl answerUrl() const { return m_answer.url; }

    WakeUps wakeUps() const { return m_wakeUps; }

Q_SIGNALS:
    // Every change of the request's state, for callers that wait on it.
    void stateChanged();

private:
    enum class Phase {
        Idle, // no request yet
        AwaitingHead, // sent; the final answer's head is not in yet
        Body, // the answer is adopted and its body is coming
        Finished, // over: whole, failed or timed out; what is buffered can still be read
        Cancelled, // stopped by the caller; nothing more is handed over
    };

    // What the last request came to; the next request starts from a fresh one.
    struct Answer
    {
        AnswerHead head;
        QUrl url;
        TransferFailure failure;
    };

    // libcurl's handles, callbacks and sockets, and the request's own state.
    struct Private;
    std::unique_ptr<Private> d;
    QString m_url;
    int m_requestTimeout = 60;
    Phase m_phase = Phase::Idle;
    Answer m_answer;
    WakeUps m_wakeUps;
};
