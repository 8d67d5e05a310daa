#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>
#include <utility>

class ScriptedConnection;

struct ScriptedRequest
{
    QByteArray method;
    QByteArray target; // as on the request line, e.g. an absolute URL when we act as proxy
    QByteArray version;
    QList<std::pair<QByteArray, QByteArray>> headers{}; // in order, as received
    QByteArray rawHead; // request line and headers up to and including the blank line
    int connection = -1; // 0-based index of the connection it arrived on
    int indexOnConnection = -1; // 0 for the first request on that connection

    // Case-insensitive, first match, empty if there is none.
    QByteArray header(QByteArrayView name) const;
    // Value of a query item in the target, not percent-decoded; empty if absent.
    QByteArray queryItem(QByteArrayView name) const;
};

struct ScriptedResponse
{
    enum class Length {
        Exact, // Content-Length: size of the body (left out when chunked)
        Omit, // no Content-Length; without chunked the body ends at close
        Custom, // contentLengthValue sent verbatim, whatever the body is
    };

    int status = 200;
    QByteArray reason = QByteArrayLiteral("OK");
    QList<std::pair<QByteArray, QByteArray>> headers{}; // extra headers, sent as given
    Length length = Length::Exact;
    QByteArray contentLengthValue{};
    bool chunked = false;

    QByteArray body{};
    qint64 generatedSize = -1; // >= 0: body is patternBytes(generatedOffset, generatedSize)
    qint64 generatedOffset = 0; // e.g. the start of a Range request

    QList<qint64> splits{}; // first pieces of the body, each written and flushed on its own
    int splitIntervalMs = 0; // pause between the split pieces
    qint64 closeAfterBodyBytes = -1; // close after this many body bytes
    qint64 stallAfterBodyBytes = -1; // stop sending after this many body bytes, keep the connection
    int trickleIntervalMs = 0; // with trickleBytes > 0: send trickleBytes every trickleIntervalMs
    qint64 trickleBytes = 0;
    QByteArray interim{}; // sent as it is before the answer, e.g. whole 1xx blocks
    QByteArray headTrickle{}; // sent after interim every trickleIntervalMs, for ever, instead of the answer
    bool closeWithoutResponse = false; // read the request, then close
    bool neverRespond = false; // read the request, send nothing, keep the connection
    bool resetOnClose = false; // close with RST instead of FIN, once the body bytes sent have arrived
    // To a CONNECT's target: "200 Connection established", then the bytes of either end passed on.
    bool tunnel = false;

    static ScriptedResponse notFound();
    static ScriptedResponse redirect(const QByteArray &location, int status = 302);
    static ScriptedResponse generated(qint64 size);
};

class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    using Responder = std::function<ScriptedResponse(const ScriptedRequest &)>;

    explicit ScriptedHttpServer(QObject *parent = nullptr);

    // The body pattern is periodic with a prime period, so a dropped or
    // repeated block of any power-of-two size shows up as a mismatch, and
    // neighbouring bytes always differ.
    static constexpr qint64 patternPeriod = 1048573;
    static QByteArray patternBytes(qint64 offset, qint64 count);
    // Points at patternBytes(offset, n) for any n <= patternBlockSize.
    static const char *patternData(qint64 offset);
    static constexpr qint64 patternBlockSize = 256 * 1024;
    // SHA-256 of patternBytes(offset, size), computed in blocks.
    static QByteArray patternSha256(qint64 size, qint64 offset = 0);
    // Whether the file holds exactly patternBytes(offset, size); on failure
    // *error tells the first difference.
    static bool fileMatchesPattern(
        const QString &path, qint64 size, qint64 offset = 0, QString *error = nullptr);

    bool listen() { return m_server->listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server->serverPort(); }
    QNetworkProxy proxy() const { return {QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port()}; }
    QByteArray baseUrl() const { return "http://127.0.0.1:" + QByteArray::number(port()); }

    // Default: 404 with a short body.
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    QList<ScriptedRequest> requests() const { return m_requests; }
    int requestCount() const { return int(m_requests.size()); }
    int connectionCount() const { return m_connectionCount; } // accepted so far
    int openConnectionCount() const { return int(m_connections.size()); }
    // Body bytes handed to the sockets, all responses.
    qint64 bodyBytesSent() const { return m_bodyBytesSent; }
    // The most ever waiting in one socket's buffer.
    qint64 peakBufferedBytes() const { return m_peakBufferedBytes; }

    // Stop accepting and drop every connection.
    void close();

private:
    friend class ScriptedConnection;

    void acceptConnections();
    void noteBodyBytes(qint64 count, qint64 buffered);

    QTcpServer *m_server = nullptr;
    Responder m_responder = [](const ScriptedRequest &) { return ScriptedResponse::notFound(); };
    QList<ScriptedRequest> m_requests;
    QList<ScriptedConnection *> m_connections; // open ones
    int m_connectionCount = 0;
    qint64 m_bodyBytesSent = 0;
    qint64 m_peakBufferedBytes = 0;
};
