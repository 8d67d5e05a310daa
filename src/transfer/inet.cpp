#include "inet.h"

#include "eventpump.h"

#include <QNetworkProxyFactory>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <limits>

Q_LOGGING_CATEGORY(lcTransfer, "vorn.transfer", QtInfoMsg)

namespace {

// As many hops as Qt's network stack allowed before.
constexpr long maxRedirects = 50;
// libcurl reads the socket in blocks of this size; bigger was slower here, smaller costs more passes.
constexpr long socketReadSize = 256 * 1024;

QNetworkReply::NetworkError errorFor(CURLcode code, bool viaProxy)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QNetworkReply::ProxyNotFoundError;
    case CURLE_COULDNT_RESOLVE_HOST:
        return QNetworkReply::HostNotFoundError;
    case CURLE_COULDNT_CONNECT:
        return viaProxy ? QNetworkReply::ProxyConnectionRefusedError : QNetworkReply::ConnectionRefusedError;
    case CURLE_OPERATION_TIMEDOUT:
        return QNetworkReply::TimeoutError;
    case CURLE_TOO_MANY_REDIRECTS:
        return QNetworkReply::TooManyRedirectsError;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return QNetworkReply::ProtocolUnknownError;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
        return QNetworkReply::SslHandshakeFailedError;
    case CURLE_PROXY:
        return QNetworkReply::ProxyConnectionClosedError;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return QNetworkReply::RemoteHostClosedError;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
        return QNetworkReply::ProtocolFailure;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

// The proxy Qt's configuration picks for this URL (the application's, or the system's: http_proxy,
// no_proxy and the desktop's settings), as libcurl spells it; empty for a direct connection.
QByteArray proxyFor(const QUrl &url, QByteArray *user, QByteArray *password)
{
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
    const QNetworkProxy proxy = proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
    QUrl address;
    switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        address.setScheme(QStringLiteral("http"));
        break;
    case QNetworkProxy::Socks5Proxy:
        // The proxy resolves the name, as Qt's SOCKS client lets it.
        address.setScheme(QStringLiteral("socks5h"));
        break;
    default:
        return QByteArray("");
    }
    address.setHost(proxy.hostName());
    address.setPort(proxy.port());
    *user = proxy.user().toUtf8();
    *password = proxy.password().toUtf8();
    return address.toEncoded();
}

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    return line;
}

std::chrono::steady_clock::time_point now()
{
    return std::chrono::steady_clock::now();
}

} // namespace

Inet::Inet(QObject *parent)
    : QObject(parent)
{
    // Once per process, before the first handle; never undone, the library lives as long as the program.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        qCWarning(lcTransfer) << "libcurl did not initialise:" << curl_easy_strerror(initialised);

    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &Inet::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &Inet::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);

    m_curlTimer.setSingleShot(true);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
    // Our own idle timer rather than libcurl's low-speed limit: that one also counts the time the
    // transfer is paused because the reader is behind, which is not the server's fault.
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &Inet::onIdleTimeout);
    m_buffer.resize(readBufferSize);
}

Inet::~Inet()
{
    release();
    m_curlTimer.stop();
    // Closes the cached connections, which still calls onSocket: the notifiers must outlive it.
    curl_multi_cleanup(m_multi);
}

int Inet::onSocket(CURL *, curl_socket_t socket, int what, void *self, void *)
{
    static_cast<Inet *>(self)->watchSocket(socket, what);
    return 0;
}

int Inet::onTimer(CURLM *, long timeoutMs, void *self)
{
    // libcurl must not be re-entered from its own callback: even "now" is left to the event loop.
    QTimer &timer = static_cast<Inet *>(self)->m_curlTimer;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(int(std::min<long>(timeoutMs, std::numeric_limits<int>::max())));
    return 0;
}

size_t Inet::onHeader(char *data, size_t size, size_t count, void *self)
{
    const size_t length = size * count;
    return static_cast<Inet *>(self)->takeHeaderLine(QByteArrayView(data, qsizetype(length))) ? length : 0;
}

size_t Inet::onBody(char *data, size_t size, size_t count, void *self)
{
    return static_cast<Inet *>(self)->takeBody(data, size * count);
}

void Inet::watchSocket(curl_socket_t socket, int what)
{
    auto watch = m_sockets.find(socket);
    if (what == CURL_POLL_REMOVE) {
        if (watch != m_sockets.end()) {
            watch->second.read->setEnabled(false);
            watch->second.write->setEnabled(false);
        }
        return;
    }
    if (watch == m_sockets.end()) {
        SocketWatch added;
        added.read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        added.write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(added.read.get(), &QSocketNotifier::activated, this,
            [this, socket] { drive(socket, CURL_CSELECT_IN); });
        connect(added.write.get(), &QSocketNotifier::activated, this,
            [this, socket] { drive(socket, CURL_CSELECT_OUT); });
        watch = m_sockets.emplace(socket, std::move(added)).first;
    }
    watch->second.read->setEnabled((what & CURL_POLL_IN) != 0);
    watch->second.write->setEnabled((what & CURL_POLL_OUT) != 0);
}

void Inet::release()
{
    if (m_easy) {
        curl_multi_remove_handle(m_multi, m_easy);
        curl_easy_cleanup(m_easy);
        m_easy = nullptr;
    }
    curl_slist_free_all(m_requestHeaders);
    m_requestHeaders = nullptr;
    m_paused = false;
    m_idleTimer.stop();
}

void Inet::execute(const QString &operation, const QString &requestHeaders)
{
    release();
    m_bufferStart = 0;
    m_bufferUsed = 0;
    m_requested = true;
    m_busy = true;
    m_done = false;
    m_cancelled = false;
    m_timedOut = false;
    m_refusal = QNetworkReply::NoError;
    m_error = QNetworkReply::NoError;
    m_errorString.clear();
    m_statusCode = 0;
    m_contentLength = -1;
    m_reasonPhrase.clear();
    m_headers.clear();
    m_blockHeaders.clear();
    m_blockStatus = 0;
    m_curlError[0] = '\0';

    // The header block carries its own line ends; they separate headers and never reach a value.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = requestHeaders.split(lineEnd, Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            qCWarning(lcTransfer) << "ignoring malformed request header line" << line;
            continue;
        }
        const QByteArray name = line.left(colon).trimmed().toLatin1();
        const QByteArray value = line.mid(colon + 1).trimmed().toLatin1();
        // "Name:" alone would tell libcurl to leave that header out; "Name;" sends it empty.
        const QByteArray header = value.isEmpty() ? name + ';' : name + ": " + value;
        m_requestHeaders = curl_slist_append(m_requestHeaders, header.constData());
    }
    // Uncompressed, so that Content-Length counts exactly the bytes that reach the file.
    m_requestHeaders = curl_slist_append(m_requestHeaders, "Accept-Encoding: identity");

    const QUrl url(m_url);
    QByteArray proxyUser;
    QByteArray proxyPassword;
    const QByteArray proxy = proxyFor(url, &proxyUser, &proxyPassword);
    m_viaProxy = !proxy.isEmpty();
    const QByteArray method = operation.toLatin1();
    const QByteArray target = url.toEncoded();

    m_easy = curl_easy_init();
    curl_easy_setopt(m_easy, CURLOPT_URL, target.constData());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, socketReadSize);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_curlError);
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_requestHeaders);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Inet::onHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Inet::onBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    // Qt decides about the proxy; libcurl must not read http_proxy or no_proxy again on its own.
    curl_easy_setopt(m_easy, CURLOPT_PROXY, proxy.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOPROXY, "");
    if (!proxyUser.isEmpty()) {
        curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, proxyUser.constData());
        curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
    }
    // A tunnelling proxy's own answer to CONNECT is not the answer to the request.
    curl_easy_setopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (method == "HEAD")
        curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    else if (method != "GET")
        curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, method.constData());

    qCDebug(lcTransfer) << operation << m_url << "proxy" << proxy;
    m_lastData = now();
    m_idleTimer.start(m_requestTimeout * 1000);
    const CURLMcode added = curl_multi_add_handle(m_multi, m_easy);
    if (added != CURLM_OK) {
        qstrncpy(m_curlError, curl_multi_strerror(added), sizeof m_curlError);
        finish(CURLE_FAILED_INIT);
    }
}

bool Inet::takeHeaderLine(QByteArrayView line)
{
    m_lastData = now();
    // Trailers after the final answer's body, or anything after a failure, change nothing.
    if (!m_busy)
        return true;
    const QByteArrayView text = withoutLineEnd(line);
    if (text.startsWith("HTTP/")) {
        // Each block starts afresh: only the last one (not 1xx, not a redirect) is the answer.
        m_blockHeaders.clear();
        const QList<QByteArray> parts = text.toByteArray().split(' ');
        m_blockStatus = parts.size() > 1 ? parts.at(1).toInt() : 0;
        const qsizetype reasonAt = text.indexOf(' ', text.indexOf(' ') + 1);
        m_blockReason = reasonAt < 0 ? QByteArray() : text.sliced(reasonAt + 1).trimmed().toByteArray();
        return true;
    }
    if (!text.isEmpty()) {
        if ((text.front() == ' ' || text.front() == '\t') && !m_blockHeaders.isEmpty()) {
            m_blockHeaders.last().second += ' ' + text.trimmed().toByteArray();
            return true;
        }
        const qsizetype colon = text.indexOf(':');
        if (colon > 0)
            m_blockHeaders.append(
                {text.first(colon).trimmed().toByteArray(), text.sliced(colon + 1).trimmed().toByteArray()});
        return true;
    }

    // The end of a block.
    if (m_blockStatus >= 100 && m_blockStatus <= 199)
        return true;
    if (m_blockStatus >= 300 && m_blockStatus <= 399) {
        for (const auto &[name, value] : std::as_const(m_blockHeaders)) {
            if (name.compare("Location", Qt::CaseInsensitive) == 0)
                return acceptRedirect(value);
        }
    }
    // Two lengths that disagree leave no way to tell where the body ends (libcurl takes one of them).
    QByteArray length;
    for (const auto &[name, value] : std::as_const(m_blockHeaders)) {
        if (name.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        if (!length.isNull() && value != length)
            return refuse(
                QNetworkReply::ProtocolFailure, tr("The server sent two different Content-Length headers."));
        length = value;
    }
    m_statusCode = m_blockStatus;
    m_reasonPhrase = QString::fromLatin1(m_blockReason);
    m_headers = std::move(m_blockHeaders);
    m_blockHeaders.clear();
    curl_off_t contentLength = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
    m_contentLength = contentLength;
    m_busy = false;
    m_changed = true;
    return true;
}

bool Inet::refuse(QNetworkReply::NetworkError error, const QString &reason)
{
    m_refusal = error;
    m_errorString = reason;
    return false;
}

// libcurl follows the redirect itself; this only refuses the one it has no rule for.
bool Inet::acceptRedirect(const QByteArray &location)
{
    const char *current = nullptr;
    curl_easy_getinfo(m_easy, CURLINFO_EFFECTIVE_URL, &current);
    const QUrl from = QUrl::fromEncoded(current ? QByteArray(current) : m_url.toLatin1());
    const QUrl to = from.resolved(QUrl::fromEncoded(location));
    if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && to.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0) {
        return refuse(QNetworkReply::InsecureRedirectError,
            tr("Refused a redirect from a secure address to an insecure one: %1").arg(to.toDisplayString()));
    }
    return true;
}

size_t Inet::takeBody(const char *data, size_t size)
{
    // Only the final answer has a body worth handing over (libcurl skips a redirect's on its own).
    if (m_busy)
        return size;
    const auto capacity = qint64(m_buffer.size());
    if (m_bufferUsed + qint64(size) > capacity) {
        if (m_bufferUsed > 0) {
            // libcurl keeps the block and offers it again once resumed.
            m_paused = true;
            m_idleTimer.stop();
            return CURL_WRITEFUNC_PAUSE;
        }
        // Larger than the whole buffer (libcurl promises at most 16 KiB): take it rather than stall.
        m_buffer.resize(size);
        m_bufferStart = 0;
    }
    const auto ringSize = qint64(m_buffer.size());
    const qint64 end = (m_bufferStart + m_bufferUsed) % ringSize;
    const qint64 first = std::min(qint64(size), ringSize - end);
    std::memcpy(m_buffer.data() + end, data, size_t(first));
    std::memcpy(m_buffer.data(), data + first, size - size_t(first));
    m_bufferUsed += qint64(size);
    m_lastData = now();
    m_changed = true;
    return size;
}

void Inet::readBuffered(char *to, qint64 size)
{
    const auto ringSize = qint64(m_buffer.size());
    const qint64 first = std::min(size, ringSize - m_bufferStart);
    std::memcpy(to, m_buffer.data() + m_bufferStart, size_t(first));
    std::memcpy(to + first, m_buffer.data(), size_t(size - first));
    m_bufferUsed -= size;
    m_bufferStart = m_bufferUsed == 0 ? 0 : (m_bufferStart + size) % ringSize;
}

void Inet::drive(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    collectFinished();
    if (m_changed) {
        m_changed = false;
        notify();
    }
}

void Inet::collectFinished()
{
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
            finish(message->data.result);
    }
}

void Inet::finish(CURLcode code)
{
    if (code == CURLE_OK && m_busy) {
        // Ended without a block that counts as the answer: the last one is all there is.
        m_statusCode = m_blockStatus;
        m_reasonPhrase = QString::fromLatin1(m_blockReason);
        m_headers = std::move(m_blockHeaders);
    }
    if (code != CURLE_OK && !m_cancelled && !m_timedOut) {
        if (m_refusal != QNetworkReply::NoError) {
            m_error = m_refusal;
        } else {
            m_error = errorFor(code, m_viaProxy);
            m_errorString = QString::fromLocal8Bit(m_curlError[0] ? m_curlError : curl_easy_strerror(code));
            // libcurl's text leaves out the system's reason ("Connection refused"); add it.
            long systemError = 0;
            curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &systemError);
            const QString reason = QString::fromLocal8Bit(std::strerror(int(systemError)));
            if (systemError != 0 && !m_errorString.contains(reason))
                m_errorString += QLatin1String(" (") + reason + QLatin1Char(')');
        }
        qCInfo(lcTransfer) << "request failed:" << code << m_errorString;
    }
    release();
    m_busy = false;
    m_done = true;
    m_changed = true;
}

void Inet::onIdleTimeout()
{
    if (m_done || m_paused)
        return;
    const auto timeout = std::chrono::seconds(m_requestTimeout);
    const auto idle = now() - m_lastData;
    // Restarting the timer on every block of data would cost more than the block: look at the clock instead.
    if (idle < timeout) {
        m_idleTimer.start(std::chrono::ceil<std::chrono::milliseconds>(timeout - idle));
        return;
    }
    m_timedOut = true;
    m_error = QNetworkReply::TimeoutError;
    m_errorString = tr("No data arrived for %n second(s).", nullptr, m_requestTimeout);
    qCInfo(lcTransfer) << "request failed:" << m_errorString;
    // What is buffered stays: the caller still reads it before it sees the end.
    release();
    m_busy = false;
    m_done = true;
    notify();
}

void Inet::resumeIfRoomy()
{
    if (!m_paused || qint64(m_buffer.size()) - m_bufferUsed < qint64(m_buffer.size()) / 2)
        return;
    // curl_easy_pause hands the held block to onBody before it returns, which may pause again.
    m_paused = false;
    m_lastData = now();
    m_idleTimer.start(m_requestTimeout * 1000);
    const CURLcode resumed = curl_easy_pause(m_easy, CURLPAUSE_CONT);
    if (resumed != CURLE_OK)
        finish(resumed);
}

void Inet::notify()
{
    EventPump::wake();
    Q_EMIT stateChanged();
}

QString Inet::getHeader(const QString &name) const
{
    const QByteArray wanted = name.toLatin1();
    QByteArray value;
    for (const auto &[headerName, headerValue] : m_headers) {
        if (headerName.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (!value.isEmpty())
            value += ", ";
        value += headerValue;
    }
    return QString::fromLatin1(value);
}

QByteArray Inet::getChunk(qint64 size)
{
    QByteArray chunk;
    getChunk(chunk, size);
    return chunk;
}

void Inet::getChunk(QByteArray &chunk, qint64 size)
{
    if (size > qint64(m_buffer.size())) {
        // A reader that wants more than the buffer holds would wait for ever on a paused transfer.
        std::vector<char> larger(size_t(size + readBufferSize / 2));
        const qint64 used = m_bufferUsed;
        readBuffered(larger.data(), used);
        m_buffer.swap(larger);
        m_bufferStart = 0;
        m_bufferUsed = used;
        resumeIfRoomy();
    }
    while (!m_cancelled && !m_done && m_bufferUsed < size)
        EventPump::waitForMoreEvents();
    if (m_cancelled) {
        chunk.clear();
        return;
    }
    const qint64 taken = std::min(size, m_bufferUsed);
    chunk.resize(taken);
    readBuffered(chunk.data(), taken);
    resumeIfRoomy();
}

void Inet::cancel()
{
    m_busy = false;
    if (!m_requested)
        return;
    m_cancelled = true;
    m_bufferStart = 0;
    m_bufferUsed = 0;
    release();
    m_done = true;
    notify();
}
