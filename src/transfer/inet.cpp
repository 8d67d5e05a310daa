#include "inet.h"

#include "eventpump.h"

#include <QNetworkProxyFactory>
#include <QRegularExpression>

#include <openssl/ssl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

Q_LOGGING_CATEGORY(lcTransfer, "vorn.transfer", QtInfoMsg)

namespace {

// As many hops as Qt's network stack allowed before.
constexpr long maxRedirects = 50;
// libcurl reads the socket in blocks of this size; bigger was slower here, smaller costs more passes.
constexpr long socketReadSize = 256 * 1024;

Inet::Failure failureFor(CURLcode code, long systemError)
{
    using Failure = Inet::Failure;
    switch (code) {
    case CURLE_OK:
        return Failure::None;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return Failure::NameNotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_PROXY:
        return Failure::CouldNotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return Failure::TimedOut;
    case CURLE_RECV_ERROR:
        // Without a socket error it is the chunked framing libcurl could not read.
        return systemError != 0 ? Failure::ConnectionClosed : Failure::Protocol;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return Failure::ConnectionClosed;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return Failure::Tls;
    case CURLE_TOO_MANY_REDIRECTS:
        return Failure::TooManyRedirects;
    case CURLE_UNSUPPORTED_PROTOCOL: // a redirect to a scheme other than http and https
    case CURLE_URL_MALFORMAT:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
        return Failure::Protocol;
    default:
        return Failure::Other;
    }
}

int closeNotifyIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// OpenSSL's report of each alert: records the server's close_notify in the flag the connection was made with.
void noteAlert(const SSL *ssl, int where, int alert)
{
    if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY)
        return;
    if (auto *seen = static_cast<bool *>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), closeNotifyIndex())))
        *seen = true;
}

CURLcode watchCloseNotify(CURL *, void *context, void *seen)
{
    SSL_CTX_set_ex_data(static_cast<SSL_CTX *>(context), closeNotifyIndex(), seen);
    SSL_CTX_set_info_callback(static_cast<SSL_CTX *>(context), &noteAlert);
    return CURLE_OK;
}

// Over HTTP/1 a body with neither a length nor chunks ends where the connection ends. Over TLS only the
// server's close_notify tells that end from a cut made by anyone on the way, which libcurl (7.88 with
// OpenSSL 3) takes for a normal end: without it, half an archive would pass for the whole.
bool endsWithoutCloseNotify(CURL *easy, bool closeNotified)
{
    const char *scheme = nullptr;
    long version = 0;
    curl_off_t length = -1;
    curl_off_t received = 0;
    curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
    curl_easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version);
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    bool chunked = false;
    curl_header *coding = nullptr;
    for (size_t i = 0; curl_easy_header(easy, "Transfer-Encoding", i, CURLH_HEADER, -1, &coding) == CURLHE_OK
         && i < coding->amount;
         ++i)
        chunked = chunked || QByteArray(coding->value).toLower().contains("chunked");
    const bool framedByClose = (version == CURL_HTTP_VERSION_1_0 || version == CURL_HTTP_VERSION_1_1)
        && length < 0 && !chunked && received > 0;
    return framedByClose && !closeNotified && scheme && qstricmp(scheme, "https") == 0;
}

// The certificates to trust instead of the system's, read as curl reads them: CURL_CA_BUNDLE, else
// SSL_CERT_FILE and SSL_CERT_DIR. For users behind a certificate authority of their own.
void setTrustOptions(CURL *easy)
{
    const QByteArray bundle = qgetenv("CURL_CA_BUNDLE");
    const QByteArray file = bundle.isEmpty() ? qgetenv("SSL_CERT_FILE") : bundle;
    const QByteArray folder = bundle.isEmpty() ? qgetenv("SSL_CERT_DIR") : QByteArray();
    if (!file.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, file.constData());
    if (!folder.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAPATH, folder.constData());
}

// curl's no_proxy (or NO_PROXY): "*" alone turns the proxy off; otherwise names separated by commas
// or blanks, each standing for that host and every host under it, with or without a leading dot.
bool bypassesProxy(const QString &host)
{
    QByteArray list = qgetenv("no_proxy");
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    if (list.trimmed() == "*")
        return true;
    QString name = host.toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList entries = QString::fromLocal8Bit(list).toLower().split(separators, Qt::SkipEmptyParts);
    for (QString entry : entries) {
        if (entry.startsWith(QLatin1Char('.')))
            entry.remove(0, 1);
        if (entry.endsWith(QLatin1Char('.')))
            entry.chop(1);
        if (!entry.isEmpty() && (name == entry || name.endsWith(QLatin1Char('.') + entry)))
            return true;
    }
    return false;
}

// The first of the variables curl reads for this scheme that is set and not empty: its name and value.
std::pair<QByteArray, QByteArray> environmentProxy(const QString &scheme)
{
    static constexpr std::array<const char *, 4> forHttp{
        "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"};
    static constexpr std::array<const char *, 4> forHttps{
        "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};
    for (const char *name : scheme == QLatin1String("https") ? forHttps : forHttp) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return {name, value};
    }
    return {};
}

// Whether libcurl can read `setting` as a proxy, the way it reads one ("host:port" means http);
// otherwise why not.
bool readsAsProxy(const QByteArray &setting, QString *why)
{
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    const CURLUcode parsed = curl_url_set(
        url.get(), CURLUPART_URL, setting.constData(), CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME);
    if (parsed != CURLUE_OK) {
        *why = QString::fromLatin1(curl_url_strerror(parsed));
        return false;
    }
    char *scheme = nullptr;
    curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0);
    static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("socks"),
        QStringLiteral("socks4"), QStringLiteral("socks4a"), QStringLiteral("socks5"),
        QStringLiteral("socks5h")};
    const QString name = QString::fromLatin1(scheme).toLower();
    curl_free(scheme);
    if (schemes.contains(name))
        return true;
    *why = Inet::tr("unknown proxy scheme \"%1\"").arg(name);
    return false;
}

// The proxy Qt's configuration picks for this URL (the application's, or the desktop's settings), as
// libcurl spells it; empty for a direct connection.
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

// The caller's "Name: value" lines as libcurl takes them, and ours.
curl_slist *requestHeaderList(const QString &requestHeaders)
{
    curl_slist *list = nullptr;
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
        list = curl_slist_append(list, header.constData());
    }
    // Uncompressed, so that Content-Length counts exactly the bytes that reach the file.
    return curl_slist_append(list, "Accept-Encoding: identity");
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
    if (watch == m_sockets.end()) {
        if (what == CURL_POLL_REMOVE)
            return;
        SocketWatch added;
        added.read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        added.write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(added.read.get(), &QSocketNotifier::activated, this,
            [this, socket] { drive(socket, CURL_CSELECT_IN); });
        connect(added.write.get(), &QSocketNotifier::activated, this,
            [this, socket] { drive(socket, CURL_CSELECT_OUT); });
        watch = m_sockets.emplace(socket, std::move(added)).first;
    }
    // CURL_POLL_REMOVE has neither bit: a socket libcurl keeps for later, or closes, must not wake us.
    watch->second.read->setEnabled((what & CURL_POLL_IN) != 0);
    watch->second.write->setEnabled((what & CURL_POLL_OUT) != 0);
}

void Inet::execute(const QString &operation, const QString &requestHeaders)
{
    release();
    m_request = {};
    m_request.url = QUrl(m_url);
    m_curlError[0] = '\0';
    m_phase = Phase::AwaitingHead;
    m_requestHeaders = requestHeaderList(requestHeaders);
    m_easy = curl_easy_init();
    setTransferOptions(operation.toLatin1());
    qCDebug(lcTransfer) << operation << m_url;
    if (setProxyOptions())
        start();
    else
        reportChanges();
}

void Inet::setTransferOptions(const QByteArray &method)
{
    curl_easy_setopt(m_easy, CURLOPT_URL, m_request.url.toEncoded().constData());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    // Removing a request whose name lookup hangs would otherwise wait for libcurl's resolver thread
    // (half a minute with a silent name server), freezing the window on Cancel. With this the thread
    // is left to finish on its own, and frees what it holds when it does.
    curl_easy_setopt(m_easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, socketReadSize);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_curlError);
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_requestHeaders);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Inet::onHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Inet::onBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_FUNCTION, &watchCloseNotify);
    curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_DATA, &m_request.closeNotified);
    setTrustOptions(m_easy);
    if (method == "HEAD")
        curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    else if (method != "GET")
        curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, method.constData());
}

// The environment's proxy variables are read as curl reads them; Qt's reading of them (libproxy)
// ignores "no_proxy=*" and a bare "host:port", and takes an unreadable setting for none. Qt decides
// only when the environment names no proxy: the application's own proxy, or the desktop's settings.
bool Inet::setProxyOptions()
{
    QByteArray proxy("");
    QByteArray user;
    QByteArray password;
    if (!bypassesProxy(m_request.url.host())) {
        const auto [variable, setting] = environmentProxy(m_request.url.scheme());
        QString why;
        if (setting.isEmpty())
            proxy = proxyFor(m_request.url, &user, &password);
        else if (readsAsProxy(setting, &why))
            proxy = setting;
        else {
            // Going direct instead would silently ignore what the user asked for.
            end(Phase::Finished, Failure::CouldNotConnect,
                tr("The proxy setting %1 cannot be read: %2").arg(QString::fromLatin1(variable), why));
            return false;
        }
    }
    // libcurl must not read http_proxy or no_proxy again on its own.
    curl_easy_setopt(m_easy, CURLOPT_PROXY, proxy.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOPROXY, "");
    if (!user.isEmpty()) {
        curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, user.constData());
        curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, password.constData());
    }
    // A tunnelling proxy's own answer to CONNECT is not the answer to the request.
    curl_easy_setopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    qCDebug(lcTransfer) << "proxy" << proxy;
    return true;
}

void Inet::start()
{
    m_request.started = now();
    m_request.lastData = m_request.started;
    m_idleTimer.start(std::chrono::seconds(m_requestTimeout));
    const CURLMcode added = curl_multi_add_handle(m_multi, m_easy);
    if (added != CURLM_OK) {
        end(Phase::Finished, Failure::Other, QString::fromLatin1(curl_multi_strerror(added)));
        reportChanges();
    }
}

bool Inet::takeHeaderLine(QByteArrayView line)
{
    m_request.lastData = now();
    // Trailers after the final answer's body change nothing.
    if (m_request.headIn)
        return true;
    const QByteArrayView text = withoutLineEnd(line);
    if (text.startsWith("HTTP/")) {
        // Each block starts afresh: only the last one (not 1xx, not a redirect) is the answer.
        const QList<QByteArray> parts = text.toByteArray().split(' ');
        m_request.blockStatus = parts.size() > 1 ? parts.at(1).toInt() : 0;
        const qsizetype reasonAt = text.indexOf(' ', text.indexOf(' ') + 1);
        m_request.blockReason
            = reasonAt < 0 ? QByteArray() : text.sliced(reasonAt + 1).trimmed().toByteArray();
        m_request.blockLocation.clear();
        return true;
    }
    if (!text.isEmpty()) {
        // libcurl follows the first Location that has a value, whatever the case of its name (HTTP/2
        // sends lower case); the answer is only known by telling the redirects apart the same way.
        static constexpr QByteArrayView location = "location:";
        if (m_request.blockLocation.isEmpty() && text.size() > location.size()
            && text.first(location.size()).compare(location, Qt::CaseInsensitive) == 0)
            m_request.blockLocation = text.sliced(location.size()).trimmed().toByteArray();
        return true;
    }

    // The end of a block.
    if (m_request.blockStatus >= 100 && m_request.blockStatus <= 199)
        return true;
    if (m_request.blockStatus >= 300 && m_request.blockStatus <= 399 && !m_request.blockLocation.isEmpty())
        return followRedirect();
    m_request.headIn = true;
    m_changed = true;
    return true;
}

bool Inet::allowsRedirect(const QUrl &from, const QUrl &to)
{
    const auto isSecure = [](const QUrl &url) {
        return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    };
    return !isSecure(from) || isSecure(to);
}

// libcurl follows the redirect itself; this keeps track of where it goes and refuses what our rule forbids.
bool Inet::followRedirect()
{
    const QUrl to = m_request.url.resolved(QUrl::fromEncoded(m_request.blockLocation));
    if (!allowsRedirect(m_request.url, to)) {
        m_request.failure = Failure::InsecureRedirect;
        m_request.errorString
            = tr("Refused a redirect from a secure address to an insecure one: %1").arg(to.toDisplayString());
        return false;
    }
    m_request.url = to;
    return true;
}

size_t Inet::takeBody(const char *data, size_t size)
{
    // Only the final answer has a body worth handing over (libcurl skips a redirect's on its own).
    if (!m_request.headIn)
        return size;
    const auto capacity = qint64(m_buffer.size());
    if (m_request.bufferUsed + qint64(size) > capacity) {
        if (m_request.bufferUsed > 0) {
            // libcurl keeps the block and offers it again once resumed.
            m_request.paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        // Larger than the whole buffer (libcurl promises at most 16 KiB): take it rather than stall.
        m_buffer.resize(size);
        m_request.bufferStart = 0;
    }
    const auto ringSize = qint64(m_buffer.size());
    const qint64 end = (m_request.bufferStart + m_request.bufferUsed) % ringSize;
    const qint64 first = std::min(qint64(size), ringSize - end);
    std::memcpy(m_buffer.data() + end, data, size_t(first));
    std::memcpy(m_buffer.data(), data + first, size - size_t(first));
    m_request.bufferUsed += qint64(size);
    m_request.lastData = now();
    m_changed = true;
    return size;
}

void Inet::readBuffered(char *to, qint64 size)
{
    const auto ringSize = qint64(m_buffer.size());
    const qint64 first = std::min(size, ringSize - m_request.bufferStart);
    std::memcpy(to, m_buffer.data() + m_request.bufferStart, size_t(first));
    std::memcpy(to + first, m_buffer.data(), size_t(size - first));
    consume(size);
}

void Inet::consume(qint64 size)
{
    m_request.bufferUsed -= size;
    m_request.bufferStart += size;
    if (m_request.bufferStart >= qint64(m_buffer.size()))
        m_request.bufferStart -= qint64(m_buffer.size());
    // An empty ring starts again at its beginning, so that chunks of a size that divides the ring
    // never wrap around its end.
    if (m_request.bufferUsed == 0)
        m_request.bufferStart = 0;
}

void Inet::releaseHandedOut()
{
    consume(std::exchange(m_request.handedOut, 0));
}

void Inet::dropBody()
{
    m_request.bufferStart = 0;
    m_request.bufferUsed = 0;
    m_request.handedOut = 0;
}

void Inet::drive(curl_socket_t socket, int events)
{
    ++(socket == CURL_SOCKET_TIMEOUT ? m_wakeUps.timer : m_wakeUps.socket);
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    const std::optional<CURLcode> result = takeResult();
    // A transfer that ended well without a block that counts as the answer has the last one for it.
    if (m_phase == Phase::AwaitingHead && (m_request.headIn || result == CURLE_OK))
        adopt();
    if (result && isRunning())
        endWith(*result);
    reportChanges();
}

std::optional<CURLcode> Inet::takeResult()
{
    std::optional<CURLcode> result;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
            result = message->data.result;
    }
    return result;
}

// The final answer's head is in: its headers and its length as libcurl read them.
void Inet::adopt()
{
    Headers headers;
    for (curl_header *header = nullptr; (header = curl_easy_nextheader(m_easy, CURLH_HEADER, -1, header));)
        headers.append({QByteArray(header->name), QByteArray(header->value)});
    // Two lengths that disagree leave no way to tell where the body ends (libcurl takes one of them).
    QByteArray length;
    for (const auto &[name, value] : std::as_const(headers)) {
        if (name.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        if (!length.isNull() && value != length) {
            dropBody();
            end(Phase::Finished, Failure::Protocol,
                tr("The server sent two different Content-Length headers."));
            return;
        }
        length = value;
    }
    curl_off_t contentLength = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
    m_request.statusCode = m_request.blockStatus;
    m_request.reasonPhrase = QString::fromLatin1(m_request.blockReason);
    m_request.headers = std::move(headers);
    m_request.contentLength = contentLength;
    m_phase = Phase::Body;
    m_changed = true;
}

void Inet::endWith(CURLcode code)
{
    if (code == CURLE_OK && endsWithoutCloseNotify(m_easy, m_request.closeNotified)) {
        end(Phase::Finished, Failure::ConnectionClosed, tr("TLS connection closed without close_notify"));
        return;
    }
    if (code == CURLE_OK) {
        end(Phase::Finished, Failure::None, QString());
        return;
    }
    QString reason = QString::fromLocal8Bit(m_curlError[0] ? m_curlError : curl_easy_strerror(code));
    // libcurl's text leaves out the system's reason ("Connection refused"); add it.
    long systemError = 0;
    curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &systemError);
    const QString systemReason = QString::fromLocal8Bit(std::strerror(int(systemError)));
    if (systemError != 0 && !reason.contains(systemReason))
        reason += QLatin1String(" (") + systemReason + QLatin1Char(')');
    end(Phase::Finished, failureFor(code, systemError), reason);
}

// Every request ends here: whole, failed, timed out, refused or cancelled.
void Inet::end(Phase phase, Failure failure, const QString &reason)
{
    // A refusal recorded in a callback is why libcurl stopped; it stays the reason.
    if (m_request.failure == Failure::None) {
        m_request.failure = failure;
        m_request.errorString = reason;
    }
    if (phase == Phase::Finished && m_request.failure != Failure::None)
        qCInfo(lcTransfer) << "request failed:" << m_request.errorString;
    release();
    m_phase = phase;
    m_changed = true;
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
    m_idleTimer.stop();
}

void Inet::onIdleTimeout()
{
    const auto timeout = std::chrono::seconds(m_requestTimeout);
    // A full buffer nobody reads holds the server back: that silence is ours, not the server's. The
    // timer keeps running, so that the server's own silence after the reader has caught up still counts.
    if (m_request.paused) {
        m_idleTimer.start(timeout);
        return;
    }
    // Restarting the timer on every block of data would cost more than the block: look at the clock instead.
    auto left = timeout - (now() - m_request.lastData);
    // Header lines or interim answers trickled for ever are data, but never an answer: the head as a
    // whole gets no longer than a silence may last.
    if (m_phase == Phase::AwaitingHead)
        left = std::min(left, timeout - (now() - m_request.started));
    if (left > left.zero()) {
        m_idleTimer.start(std::chrono::ceil<std::chrono::milliseconds>(left));
        return;
    }
    // What is buffered stays: the caller still reads it before it sees the end.
    end(Phase::Finished, Failure::TimedOut,
        m_phase == Phase::AwaitingHead
            ? tr("No answer arrived within %n second(s).", nullptr, m_requestTimeout)
            : tr("No data arrived for %n second(s).", nullptr, m_requestTimeout));
    reportChanges();
}

void Inet::resumeIfRoomy()
{
    const auto capacity = qint64(m_buffer.size());
    if (!m_request.paused || !isRunning() || capacity - m_request.bufferUsed < capacity / 2)
        return;
    // curl_easy_pause hands the held block to onBody before it returns, which may pause again.
    m_request.paused = false;
    m_request.lastData = now();
    const CURLcode resumed = curl_easy_pause(m_easy, CURLPAUSE_CONT);
    if (resumed != CURLE_OK)
        endWith(resumed);
}

void Inet::reportChanges()
{
    if (!m_changed)
        return;
    m_changed = false;
    EventPump::wake();
    Q_EMIT stateChanged();
}

QString Inet::getHeader(const QString &name) const
{
    const QByteArray wanted = name.toLatin1();
    QByteArray value;
    for (const auto &[headerName, headerValue] : m_request.headers) {
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
    const QByteArrayView taken = readChunk(size);
    chunk.resize(taken.size());
    if (!taken.isEmpty())
        std::memcpy(chunk.data(), taken.data(), size_t(taken.size()));
    releaseHandedOut();
    resumeIfRoomy();
}

QByteArrayView Inet::readChunk(qint64 size)
{
    releaseHandedOut();
    if (size > qint64(m_buffer.size())) {
        // A reader that wants more than the buffer holds would wait for ever on a paused transfer.
        std::vector<char> larger(size_t(size + readBufferSize / 2));
        const qint64 used = m_request.bufferUsed;
        readBuffered(larger.data(), used);
        m_buffer.swap(larger);
        m_request.bufferStart = 0;
        m_request.bufferUsed = used;
        resumeIfRoomy();
    }
    while (isRunning() && m_request.bufferUsed < size)
        EventPump::waitForMoreEvents();
    const qint64 taken = std::min(size, m_request.bufferUsed);
    QByteArrayView chunk;
    if (m_request.bufferStart + taken <= qint64(m_buffer.size())) {
        // Counted as used until the next read, so the network cannot write over it meanwhile.
        m_request.handedOut = taken;
        chunk = QByteArrayView(m_buffer.data() + m_request.bufferStart, taken);
    } else {
        m_wrapped.resize(taken);
        readBuffered(m_wrapped.data(), taken);
        chunk = m_wrapped;
    }
    resumeIfRoomy();
    return chunk;
}

void Inet::cancel()
{
    if (m_phase == Phase::Idle)
        return;
    dropBody();
    end(Phase::Cancelled, Failure::None, QString());
    reportChanges();
}
