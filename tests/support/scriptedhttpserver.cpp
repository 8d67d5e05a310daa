#include "scriptedhttpserver.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Enough to keep loopback busy without ever holding more than a few
// blocks of a multi-GiB body in memory.
constexpr qint64 writeBlockSize = ScriptedHttpServer::patternBlockSize;
constexpr qint64 highWaterMark = 1024 * 1024;
constexpr qsizetype maxHeadSize = 64 * 1024;

const std::vector<char> &patternTable()
{
    // One period plus a copy of its first block, so that any block-sized
    // read starting anywhere in the period is contiguous.
    static const std::vector<char> table = [] {
        constexpr qint64 period = ScriptedHttpServer::patternPeriod;
        std::vector<char> bytes(size_t(period + ScriptedHttpServer::patternBlockSize));
        for (qint64 i = 0; i < period; ++i) {
            quint64 x = quint64(i) + 0x9e3779b97f4a7c15ULL;
            x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
            x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
            x ^= x >> 31;
            auto byte = char(x >> 56);
            if (i > 0 && byte == bytes[size_t(i - 1)])
                byte = char(byte ^ 0x5a);
            bytes[size_t(i)] = byte;
        }
        // The wrap-around is a neighbourhood too.
        const char first = bytes[0];
        const char beforeLast = bytes[size_t(period - 2)];
        char &last = bytes[size_t(period - 1)];
        while (last == first || last == beforeLast)
            last = char(last + 1);
        std::memcpy(bytes.data() + period, bytes.data(), size_t(ScriptedHttpServer::patternBlockSize));
        return bytes;
    }();
    return table;
}

bool tokenListContains(const QByteArray &value, QByteArrayView token)
{
    const QList<QByteArray> parts = value.split(',');
    return std::any_of(parts.cbegin(), parts.cend(),
        [token](const QByteArray &part) { return part.trimmed().compare(token, Qt::CaseInsensitive) == 0; });
}

// Case-insensitive, first match; null if there is none.
const std::pair<QByteArray, QByteArray> *findHeader(
    const QList<std::pair<QByteArray, QByteArray>> &headers, QByteArrayView name)
{
    const auto it = std::find_if(headers.cbegin(), headers.cend(),
        [name](const auto &header) { return header.first.compare(name, Qt::CaseInsensitive) == 0; });
    return it == headers.cend() ? nullptr : &*it;
}

// Calls `use` with patternData for each block of patternBytes(offset, size).
template <typename Use> void forEachPatternBlock(qint64 offset, qint64 size, Use use)
{
    for (qint64 done = 0; done < size;) {
        const qint64 n = std::min(size - done, ScriptedHttpServer::patternBlockSize);
        use(ScriptedHttpServer::patternData(offset + done), qsizetype(n));
        done += n;
    }
}

} // namespace

QByteArray ScriptedRequest::header(QByteArrayView name) const
{
    const auto *found = findHeader(headers, name);
    return found ? found->second : QByteArray();
}

QByteArray ScriptedRequest::queryItem(QByteArrayView name) const
{
    qsizetype start = target.indexOf('?');
    if (start < 0)
        return {};
    qsizetype end = target.indexOf('#', start);
    if (end < 0)
        end = target.size();
    const QList<QByteArray> items = target.mid(start + 1, end - start - 1).split('&');
    for (const QByteArray &item : items) {
        const qsizetype equals = item.indexOf('=');
        const QByteArray key = equals < 0 ? item : item.left(equals);
        if (key == name)
            return equals < 0 ? QByteArray() : item.mid(equals + 1);
    }
    return {};
}

ScriptedResponse ScriptedResponse::notFound()
{
    return {.status = 404,
        .reason = "Not Found",
        .headers = {{"Content-Type", "text/plain"}},
        .body = "not found\n"};
}

ScriptedResponse ScriptedResponse::redirect(const QByteArray &location, int status)
{
    return {.status = status,
        .reason = status == 301 ? "Moved Permanently" : "Found",
        .headers = {{"Location", location}}};
}

ScriptedResponse ScriptedResponse::generated(qint64 size)
{
    return {.headers = {{"Content-Type", "application/octet-stream"}}, .generatedSize = size};
}

// One accepted socket: reads requests in order and writes one response at a
// time, so pipelined requests wait in m_input until the previous one is done.
class ScriptedConnection : public QObject
{
public:
    ScriptedConnection(ScriptedHttpServer *server, QTcpSocket *socket, int index);

    void drop();

private:
    void readInput();
    void processInput();
    ScriptedRequest parseHead(const QByteArray &head, bool *ok) const;
    void startResponse(const ScriptedRequest &request, const ScriptedResponse &response);
    void openTunnel(const QByteArray &target);
    void pump();
    void writePiece(qint64 size);
    void bodyDone();
    void closeConnection(bool reset);
    void resetNow();
    void onDisconnected();

    ScriptedHttpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_trickleTimer = nullptr;
    QTcpSocket *m_tunnel = nullptr; // to a CONNECT's target
    int m_index = -1;
    int m_requestsSeen = 0;

    QByteArray m_input;
    qint64 m_discard = 0;
    bool m_inProcessInput = false;
    bool m_responding = false;
    bool m_closing = false;
    bool m_resetWhenFlushed = false;
    int m_resetPolls = 0;
    bool m_gone = false;

    ScriptedResponse m_response;
    qint64 m_bodySize = 0; // bytes we mean to send in this response
    qint64 m_sent = 0;
    qint64 m_stopAt = 0;
    bool m_stall = false;
    bool m_closeAtEnd = false;
    qsizetype m_nextSplit = 0;
    bool m_splitPending = false; // a split piece (or the head) is waiting to be flushed
    bool m_splitTimerRunning = false;
    bool m_inPump = false;
    bool m_pumpAgain = false;
};

ScriptedConnection::ScriptedConnection(ScriptedHttpServer *server, QTcpSocket *socket, int index)
    : QObject(server)
    , m_server(server)
    , m_socket(socket)
    , m_trickleTimer(new QTimer(this))
    , m_index(index)
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &ScriptedConnection::readInput);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_resetWhenFlushed && m_socket->bytesToWrite() == 0) {
            resetNow();
            return;
        }
        pump();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &ScriptedConnection::onDisconnected);
    connect(m_trickleTimer, &QTimer::timeout, this, [this] {
        if (!m_closing && !m_response.headTrickle.isEmpty())
            m_socket->write(m_response.headTrickle);
        if (m_closing || !m_response.headTrickle.isEmpty() || !m_responding || m_sent >= m_stopAt)
            return;
        if (m_socket->bytesToWrite() < highWaterMark)
            writePiece(std::min(m_response.trickleBytes, m_stopAt - m_sent));
        if (m_sent >= m_stopAt) {
            m_trickleTimer->stop();
            bodyDone();
        }
    });
    // Whatever arrived together with the connection.
    QTimer::singleShot(0, this, &ScriptedConnection::readInput);
}

void ScriptedConnection::drop()
{
    m_closing = true;
    m_socket->abort();
    onDisconnected();
}

void ScriptedConnection::readInput()
{
    if (m_gone)
        return;
    if (m_tunnel)
        m_tunnel->write(m_socket->readAll());
    else
        m_input.append(m_socket->readAll());
    processInput();
}

void ScriptedConnection::processInput()
{
    if (m_inProcessInput)
        return;
    m_inProcessInput = true;
    while (!m_responding && !m_closing && !m_gone) {
        if (m_discard > 0) {
            const qsizetype n = qsizetype(std::min<qint64>(m_discard, m_input.size()));
            m_input.remove(0, n);
            m_discard -= n;
            if (m_discard > 0)
                break;
        }
        while (m_input.startsWith("\r\n"))
            m_input.remove(0, 2);
        const qsizetype end = m_input.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_input.size() > maxHeadSize)
                closeConnection(false);
            break;
        }
        const QByteArray head = m_input.left(end + 4);
        m_input.remove(0, end + 4);

        bool ok = false;
        ScriptedRequest request = parseHead(head, &ok);
        m_discard = request.header("Content-Length").toLongLong();

        m_server->m_requests.append(request); // a bad one is recorded all the same
        ScriptedResponse response = m_server->m_responder(request);
        if (!ok)
            response = {.status = 400, .reason = "Bad Request"};
        // We don't read chunked request bodies; make sure nothing is
        // misread as the next request.
        if (!ok || tokenListContains(request.header("Transfer-Encoding"), "chunked"))
            response.headers.emplaceBack("Connection", "close");
        startResponse(request, response);
    }
    m_inProcessInput = false;
}

ScriptedRequest ScriptedConnection::parseHead(const QByteArray &head, bool *ok) const
{
    ScriptedRequest request;
    request.rawHead = head;
    request.connection = m_index;
    request.indexOnConnection = m_requestsSeen;

    const QList<QByteArray> lines = head.trimmed().split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    *ok = requestLine.size() == 3 && !requestLine.at(0).isEmpty() && !requestLine.at(1).isEmpty()
        && requestLine.at(2).startsWith("HTTP/");
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    request.version = requestLine.value(2);

    for (const QByteArray &line : lines.sliced(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            *ok = false;
        else
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return request;
}

void ScriptedConnection::startResponse(const ScriptedRequest &request, const ScriptedResponse &response)
{
    ++m_requestsSeen;
    m_response = response;
    if (response.closeWithoutResponse) {
        closeConnection(response.resetOnClose);
        return;
    }
    m_responding = true;
    if (response.tunnel)
        return openTunnel(request.target);
    if (response.neverRespond) {
        m_stall = true;
        return;
    }
    if (!response.headTrickle.isEmpty()) {
        m_socket->write(response.interim);
        m_trickleTimer->start(response.trickleIntervalMs);
        return;
    }
    m_sent = 0;
    m_nextSplit = 0;

    const qint64 declaredSize = response.generatedSize >= 0 ? response.generatedSize : response.body.size();
    const bool noBody = request.method == "HEAD" || response.status == 204 || response.status == 304
        || (response.status >= 100 && response.status < 200);
    m_bodySize = noBody ? 0 : declaredSize;

    m_stall = response.stallAfterBodyBytes >= 0 && response.stallAfterBodyBytes <= m_bodySize
        && (response.closeAfterBodyBytes < 0 || response.stallAfterBodyBytes <= response.closeAfterBodyBytes);
    m_stopAt = m_stall                      ? response.stallAfterBodyBytes
        : response.closeAfterBodyBytes >= 0 ? std::min(m_bodySize, response.closeAfterBodyBytes)
                                            : m_bodySize;

    const QByteArray requestConnection = request.header("Connection");
    const bool clientWantsClose = tokenListContains(requestConnection, "close")
        || (request.version == "HTTP/1.0" && !tokenListContains(requestConnection, "keep-alive"));
    const bool closeDelimited
        = !noBody && !response.chunked && response.length == ScriptedResponse::Length::Omit;
    const auto *userConnection = findHeader(response.headers, "Connection");
    const bool userSaysClose = userConnection && tokenListContains(userConnection->second, "close");
    m_closeAtEnd = clientWantsClose || closeDelimited || userSaysClose || response.closeAfterBodyBytes >= 0
        || response.length == ScriptedResponse::Length::Custom;

    QByteArray head = response.interim + "HTTP/1.1 " + QByteArray::number(response.status) + ' '
        + response.reason + "\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.length == ScriptedResponse::Length::Custom)
        head += "Content-Length: " + response.contentLengthValue + "\r\n";
    else if (response.length == ScriptedResponse::Length::Exact && !response.chunked)
        head += "Content-Length: " + QByteArray::number(declaredSize) + "\r\n";
    if (response.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    if (m_closeAtEnd && !userConnection)
        head += "Connection: close\r\n";
    head += "\r\n";
    m_socket->write(head);
    m_server->noteBodyBytes(0, m_socket->bytesToWrite());

    // With splits the head travels on its own, like each piece after it.
    m_splitPending = !response.splits.isEmpty();
    if (response.trickleBytes <= 0)
        pump();
    else if (m_stopAt > 0)
        m_trickleTimer->start(std::max(0, response.trickleIntervalMs));
    else
        bodyDone();
}

// The client sends nothing more before our answer, which comes once the target has taken the connection.
void ScriptedConnection::openTunnel(const QByteArray &target)
{
    m_tunnel = new QTcpSocket(this);
    connect(m_tunnel, &QTcpSocket::connected, this,
        [this] { m_socket->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
    connect(m_tunnel, &QTcpSocket::readyRead, this, [this] { m_socket->write(m_tunnel->readAll()); });
    // Also when the target closes: what it sent before goes on first.
    connect(m_tunnel, &QTcpSocket::errorOccurred, this, [this] {
        m_socket->write(m_tunnel->readAll());
        closeConnection(false);
    });
    const qsizetype colon = target.lastIndexOf(':');
    m_tunnel->connectToHost(QString::fromLatin1(target.left(colon)), target.mid(colon + 1).toUShort());
}

void ScriptedConnection::pump()
{
    if (!m_responding || m_closing || m_gone || m_response.trickleBytes > 0)
        return;
    if (m_inPump) {
        m_pumpAgain = true;
        return;
    }
    m_inPump = true;
    do {
        m_pumpAgain = false;
        while (m_sent < m_stopAt) {
            if (m_splitTimerRunning)
                break;
            if (m_splitPending) {
                if (m_socket->bytesToWrite() > 0)
                    break;
                m_splitPending = false;
                m_splitTimerRunning = true;
                QTimer::singleShot(std::max(0, m_response.splitIntervalMs), this, [this] {
                    m_splitTimerRunning = false;
                    pump();
                });
                break;
            }
            if (m_nextSplit < m_response.splits.size()) {
                const qint64 piece = std::min(m_response.splits.at(m_nextSplit++), m_stopAt - m_sent);
                if (piece <= 0)
                    continue;
                writePiece(piece);
                m_splitPending = true;
                continue;
            }
            if (m_socket->bytesToWrite() >= highWaterMark)
                break;
            writePiece(std::min(writeBlockSize, m_stopAt - m_sent));
        }
    } while (m_pumpAgain);
    m_inPump = false;

    // A body that is being split waits for its last piece to flush.
    if (m_sent >= m_stopAt && !m_splitTimerRunning && !(m_splitPending && m_socket->bytesToWrite() > 0))
        bodyDone();
}

void ScriptedConnection::writePiece(qint64 size)
{
    if (m_response.chunked)
        m_socket->write(QByteArray::number(size, 16) + "\r\n");
    if (m_response.generatedSize >= 0)
        forEachPatternBlock(m_response.generatedOffset + m_sent, size,
            [this](const char *data, qsizetype n) { m_socket->write(data, n); });
    else
        m_socket->write(m_response.body.constData() + m_sent, size);
    if (m_response.chunked)
        m_socket->write("\r\n", 2);
    m_sent += size;
    m_server->noteBodyBytes(size, m_socket->bytesToWrite());
}

void ScriptedConnection::bodyDone()
{
    // A stalled one stays "responding": no more data, no more requests, until the client gives up.
    if (!m_responding || m_stall)
        return;
    const bool complete = m_sent >= m_bodySize;
    if (complete && m_response.chunked)
        m_socket->write("0\r\n\r\n", 5);
    if (m_closeAtEnd) {
        closeConnection(m_response.resetOnClose);
        return;
    }
    m_responding = false;
    processInput();
}

void ScriptedConnection::closeConnection(bool reset)
{
    if (m_closing)
        return;
    m_closing = true;
    if (reset) {
        if (m_socket->bytesToWrite() > 0)
            m_resetWhenFlushed = true;
        else
            resetNow();
        return;
    }
    m_socket->disconnectFromHost();
}

void ScriptedConnection::resetNow()
{
    if (m_gone)
        return;
    m_resetWhenFlushed = false;
    const qintptr fd = m_socket->socketDescriptor();
    // A reset throws away whatever the peer hasn't acknowledged yet, so wait
    // for that to drain: the client then reliably gets every byte we meant to
    // send before the RST. A client that stopped reading gets its RST anyway
    // after a while.
    int unacknowledged = 0;
    if (fd >= 0 && ::ioctl(int(fd), SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0
        && m_resetPolls++ < 2000) {
        QTimer::singleShot(1, this, &ScriptedConnection::resetNow);
        return;
    }
    if (fd >= 0) {
        const linger option{1, 0};
        ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    m_socket->abort();
    onDisconnected();
}

void ScriptedConnection::onDisconnected()
{
    if (m_gone)
        return;
    m_gone = true;
    m_trickleTimer->stop();
    m_server->m_connections.removeAll(this);
    deleteLater();
}

ScriptedHttpServer::ScriptedHttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::acceptConnections);
}

const char *ScriptedHttpServer::patternData(qint64 offset)
{
    return patternTable().data() + offset % patternPeriod;
}

QByteArray ScriptedHttpServer::patternBytes(qint64 offset, qint64 count)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(count));
    forEachPatternBlock(offset, count, [&bytes](const char *data, qsizetype n) { bytes.append(data, n); });
    return bytes;
}

QByteArray ScriptedHttpServer::patternSha256(qint64 size, qint64 offset)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    forEachPatternBlock(offset, size, [&hash](const char *data, qsizetype n) { hash.addData({data, n}); });
    return hash.result();
}

bool ScriptedHttpServer::fileMatchesPattern(const QString &path, qint64 size, qint64 offset, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() != size)
        return fail(QStringLiteral("size %1, expected %2").arg(file.size()).arg(size));
    qint64 position = 0;
    while (position < size) {
        const QByteArray block = file.read(std::min(size - position, patternBlockSize));
        if (block.isEmpty())
            return fail(QStringLiteral("read failed at %1: %2").arg(position).arg(file.errorString()));
        const char *expected = patternData(offset + position);
        if (std::memcmp(block.constData(), expected, size_t(block.size())) != 0) {
            qint64 at = 0;
            while (block.at(at) == expected[at])
                ++at;
            return fail(QStringLiteral("first difference at byte %1").arg(position + at));
        }
        position += block.size();
    }
    return true;
}

void ScriptedHttpServer::close()
{
    m_server->close();
    for (ScriptedConnection *connection : QList(m_connections))
        connection->drop();
}

void ScriptedHttpServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        m_connections.append(new ScriptedConnection(this, socket, m_connectionCount++));
}

void ScriptedHttpServer::noteBodyBytes(qint64 count, qint64 buffered)
{
    m_bodyBytesSent += count;
    m_peakBufferedBytes = std::max(m_peakBufferedBytes, buffered);
}
