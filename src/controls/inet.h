#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcTransfer)

// The Internet transfer control: one HTTP request at a time, whose body the caller pulls in chunks
// while it keeps the window's events running. Waiting happens on the window thread and never spins.
class Inet final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Inet)

public:
    // The reply buffers at most this much; the body is pulled from it in small chunks.
    static constexpr qint64 readBufferSize = 64 * 1024;

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

    // The named response header as text; empty when the response has none.
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
    QString reasonPhrase() const { return m_reasonPhrase; }

Q_SIGNALS:
    // Every change of the request's state, for callers that wait on it.
    void stateChanged();

private:
    void onMetaDataChanged();
    void onFinished();
    void onErrorOccurred(QNetworkReply::NetworkError error);
    bool takeFinalStatus();
    void onIdleTimeout();
    void notify();
    void release();

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    QTimer m_idleTimer;
    // Body bytes taken out of the reply but not handed over yet: the start of a chunk still being
    // waited for, or what was buffered when the request timed out.
    QByteArray m_held;
    QString m_url;
    int m_requestTimeout = 60;
    bool m_busy = false;
    bool m_cancelled = false;
    bool m_timedOut = false;
    QNetworkReply::NetworkError m_error = QNetworkReply::NoError;
    QString m_errorString;
    int m_statusCode = 0;
    QString m_reasonPhrase;
};
