#pragma once

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <unordered_map>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <curl/curl.h>

Q_DECLARE_LOGGING_CATEGORY(lcTransfer)

// The Internet transfer control: one HTTP request at a time, whose body the caller pulls in chunks
// while it keeps the window's events running. The transfer runs on the window thread (libcurl's multi
// interface driven by this thread's event loop); waiting never spins.
class Inet final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Inet)

public:
    // What stopped a request, told the way a user can understand it; errorString() has the details.
    enum class Failure {
        None,
        NameNotFound, // the server's or the proxy's name is unknown
        CouldNotConnect, // nothing answers at the server's or proxy's address, or the proxy setting is bad
        TimedOut, // no data for requestTimeout() seconds, or no answer's head within them
        ConnectionClosed, // the connection closed or broke before the end of the answer
        Tls, // the secure connection could not be set up or trusted
        TooManyRedirects,
        InsecureRedirect, // a redirect from a secure address to an insecure one
        Protocol, // an answer that libcurl or our rules reject
        Other,
    };

    // How often libcurl's timer and the socket notifiers woke the transfer. Only tests read it: it is
    // the one way to see a notifier that fires for nothing, or one that stays off when it is needed.
    struct WakeUps
    {
        int timer = 0;
        int socket = 0;
    };

    // The body waits in a buffer of this size; the network is paused while it is full.
    static constexpr qint64 readBufferSize = 256 * 1024;

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

    // The named response header of the final answer as text; empty when it has none. Names are
    // compared without regard to case; repeated headers come joined by ", ".
    QString getHeader(const QString &name) const;
    // libcurl's reading of the final answer's Content-Length: the length of its body, -1 when that is
    // unknown (chunked, ended by the server closing, or no answer).
    qint64 contentLength() const { return m_request.contentLength; }

    // The next bytes of the body: waits until `size` bytes are buffered or the body has ended, so a
    // short chunk only comes at the end. Empty once the body is exhausted, after a failure or after cancel.
    QByteArray getChunk(qint64 size);
    // The same into `chunk`, whose storage is reused from call to call.
    void getChunk(QByteArray &chunk, qint64 size);
    // The same where the bytes lie, without copying them. They stay valid, and out of the network's way,
    // until the next read, cancel() or request.
    QByteArrayView readChunk(qint64 size);

    // Stops the running request; later reads are empty.
    void cancel();

    // What became of the last request.
    bool wasCancelled() const { return m_phase == Phase::Cancelled; }
    bool hasFailed() const { return failure() != Failure::None; }
    Failure failure() const { return wasCancelled() ? Failure::None : m_request.failure; }
    QString errorString() const { return m_request.errorString; }
    int statusCode() const { return m_request.statusCode; }
    QString reasonPhrase() const { return m_request.reasonPhrase; }

    WakeUps wakeUps() const { return m_wakeUps; }

    // The redirect rule: anywhere libcurl may go, but never from a secure address to an insecure one.
    static bool allowsRedirect(const QUrl &from, const QUrl &to);

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

    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // Everything one request learns; the next request starts from a fresh one.
    struct Request
    {
        QUrl url; // where the current hop goes, for the redirect rule

        // The header block being received (each hop and each interim answer has its own).
        int blockStatus = 0;
        QByteArray blockReason;
        QByteArray blockLocation;
        // The block that ended is the final answer's; drive() adopts it once libcurl has returned.
        bool headIn = false;

        // The adopted answer.
        int statusCode = 0;
        QString reasonPhrase;
        Headers headers;
        qint64 contentLength = -1;

        Failure failure = Failure::None;
        QString errorString;
        // The server ended its TLS connection in good order, set by OpenSSL's report of the alert.
        bool closeNotified = false;

        // The body between the network and the reader: a ring in m_buffer.
        qint64 bufferStart = 0;
        qint64 bufferUsed = 0;
        // Of which the reader still holds this many, from bufferStart on (readChunk).
        qint64 handedOut = 0;
        // The buffer was full: libcurl holds the body back until the reader has made room.
        bool paused = false;
        std::chrono::steady_clock::time_point started;
        std::chrono::steady_clock::time_point lastData;
    };

    // The read and write notifiers of one socket. They live as long as the Inet: libcurl drops and
    // re-adds a socket on every pause, and a deferred delete may never run inside a nested event pass.
    struct SocketWatch
    {
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };

    // libcurl's callbacks only record what happened; nothing in them calls back into libcurl.
    static int onSocket(CURL *easy, curl_socket_t socket, int what, void *self, void *socketData);
    static int onTimer(CURLM *multi, long timeoutMs, void *self);
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);

    void watchSocket(curl_socket_t socket, int what);
    bool takeHeaderLine(QByteArrayView line);
    bool followRedirect();
    size_t takeBody(const char *data, size_t size);

    // The steps of execute().
    void setTransferOptions(const QByteArray &method);
    bool setProxyOptions();
    void start();

    // Lets libcurl work on a socket that is ready, or on its time-outs, then reports what changed.
    void drive(curl_socket_t socket, int events);
    std::optional<CURLcode> takeResult();
    void adopt();
    void endWith(CURLcode code);
    void end(Phase phase, Failure failure, const QString &reason);
    void release();
    void resumeIfRoomy();
    void onIdleTimeout();
    void reportChanges();

    bool isRunning() const { return m_phase == Phase::AwaitingHead || m_phase == Phase::Body; }
    void dropBody();
    void readBuffered(char *to, qint64 size);
    void consume(qint64 size);
    void releaseHandedOut();

    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
    curl_slist *m_requestHeaders = nullptr;
    std::unordered_map<curl_socket_t, SocketWatch> m_sockets;
    QTimer m_curlTimer;
    QTimer m_idleTimer;
    char m_curlError[CURL_ERROR_SIZE] = {};
    // The storage of the body's ring; it only grows, for a reader that wants more than it holds.
    std::vector<char> m_buffer;
    // A chunk that wraps around the end of the ring, made whole for readChunk.
    QByteArray m_wrapped;

    QString m_url;
    int m_requestTimeout = 60;
    Phase m_phase = Phase::Idle;
    Request m_request;
    // Something changed inside libcurl's callbacks; told once libcurl has returned.
    bool m_changed = false;
    WakeUps m_wakeUps;
};
