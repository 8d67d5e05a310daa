#pragma once

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <unordered_map>

#include <chrono>
#include <memory>
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
    // The body waits in a buffer of this size; the network is paused while it is full.
    static constexpr qint64 readBufferSize = 256 * 1024;

    explicit Inet(QObject *parent = nullptr);
    ~Inet() override;

    // Seconds without any data before the request fails.
    int requestTimeout() const { return m_requestTimeout; }
    void setRequestTimeout(int seconds) { m_requestTimeout = seconds; }

    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }

    // Starts the request on the target URL and returns at once. Request headers are "Name: value"
    // lines, each ended by CR LF.
    void execute(const QString &operation, const QString &requestHeaders);

    // True from the start of a request until its response headers are in, or it failed or was cancelled.
    bool stillExecuting() const { return m_busy; }

    // The named response header of the final answer as text; empty when it has none. Repeated
    // headers come joined by ", ".
    QString getHeader(const QString &name) const;

    // The next bytes of the body: waits until `size` bytes are buffered or the body has ended, so a
    // short chunk only comes at the end. Empty once the body is exhausted, after a failure or after cancel.
    QByteArray getChunk(qint64 size);
    // The same into `chunk`, whose storage is reused from call to call.
    void getChunk(QByteArray &chunk, qint64 size);

    // Stops the running request; later reads are empty.
    void cancel();

    // What became of the last request.
    bool wasCancelled() const { return m_cancelled; }
    bool hasFailed() const { return m_error != QNetworkReply::NoError && !m_cancelled; }
    QNetworkReply::NetworkError networkError() const { return m_error; }
    QString errorString() const { return m_errorString; }
    int statusCode() const { return m_statusCode; }
    // libcurl's reading of the answer's Content-Length, which frames the body; -1 when it has none.
    qint64 contentLength() const { return m_contentLength; }
    QString reasonPhrase() const { return m_reasonPhrase; }

Q_SIGNALS:
    // Every change of the request's state, for callers that wait on it.
    void stateChanged();

private:
    using Headers = QList<std::pair<QByteArray, QByteArray>>;
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
    bool acceptRedirect(const QByteArray &location);
    bool refuse(QNetworkReply::NetworkError error, const QString &reason);
    size_t takeBody(const char *data, size_t size);

    // Lets libcurl work on a socket that is ready, or on its time-outs, then reports what changed.
    void drive(curl_socket_t socket, int events);
    void collectFinished();
    void finish(CURLcode code);
    void resumeIfRoomy();
    void onIdleTimeout();
    void notify();
    void release();

    qint64 buffered() const { return m_bufferUsed; }
    void readBuffered(char *to, qint64 size);

    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
    curl_slist *m_requestHeaders = nullptr;
    std::unordered_map<curl_socket_t, SocketWatch> m_sockets;
    QTimer m_curlTimer;
    QTimer m_idleTimer;
    std::chrono::steady_clock::time_point m_lastData;
    char m_curlError[CURL_ERROR_SIZE] = {};

    // The body between the network and the reader: a ring of readBufferSize bytes, or more while a
    // reader waits for a larger chunk.
    std::vector<char> m_buffer;
    qint64 m_bufferStart = 0;
    qint64 m_bufferUsed = 0;
    bool m_paused = false;

    // The header block being received, and where it came from (for the redirect rule).
    Headers m_blockHeaders;
    int m_blockStatus = 0;
    QByteArray m_blockReason;
    QByteArray m_blockUrl;
    Headers m_headers;

    QString m_url;
    int m_requestTimeout = 60;
    bool m_requested = false;
    bool m_viaProxy = false;
    bool m_busy = false;
    bool m_done = true;
    bool m_changed = false;
    bool m_cancelled = false;
    bool m_timedOut = false;
    // Set when our own rules stop an answer libcurl would take.
    QNetworkReply::NetworkError m_refusal = QNetworkReply::NoError;
    QNetworkReply::NetworkError m_error = QNetworkReply::NoError;
    QString m_errorString;
    int m_statusCode = 0;
    qint64 m_contentLength = -1;
    QString m_reasonPhrase;
};
