#include "curlrequest.h"

#include "common/plaintext.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <cstring>
#include <memory>

#include <sys/stat.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

Q_DECLARE_LOGGING_CATEGORY(lcTransfer)

namespace CurlRequest {

namespace {

using Kind = TransferFailure::Kind;

Kind kindFor(CURLcode code, long systemError, bool bodyStarted)
{
    switch (code) {
    case CURLE_OK:
        return Kind::None;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return Kind::NameNotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_PROXY:
        return Kind::CouldNotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return Kind::TimedOut;
    case CURLE_RECV_ERROR:
        // Without a socket error it is the chunked framing libcurl could not read.
        return systemError != 0 ? Kind::ConnectionClosed : Kind::Protocol;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return Kind::ConnectionClosed;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return Kind::Tls;
    case CURLE_TOO_MANY_REDIRECTS:
        return Kind::TooManyRedirects;
    case CURLE_OUT_OF_MEMORY:
        // How libcurl refuses a head beyond its limit ("header too large").
        return bodyStarted ? Kind::Other : Kind::HeadTooLarge;
    case CURLE_UNSUPPORTED_PROTOCOL: // a redirect to a scheme other than http and https
    case CURLE_URL_MALFORMAT:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
        return Kind::Protocol;
    default:
        return Kind::Other;
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

// Whether `path` is of `type` (a folder, a regular file): stat, for open() would block on a FIFO.
bool is(const QByteArray &path, mode_t type)
{
    struct stat status = {};
    return stat(path.constData(), &status) == 0 && (status.st_mode & S_IFMT) == type;
}

// The kind a failed certificate check comes to, by OpenSSL's verify result.
Kind certificateKind(CURLcode code, long verified)
{
    switch (verified) {
    // libcurl checks the name itself, before it records OpenSSL's result, and then leaves it unspecified.
    case X509_V_OK:
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return code == CURLE_PEER_FAILED_VERIFICATION ? Kind::CertificateNameMismatch : Kind::Tls;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return Kind::CertificateExpired;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return Kind::CertificateUntrusted;
    default:
        return Kind::Tls;
    }
}

// The request offers HTTP/1.1 alone in ALPN. A server that speaks nothing else of it either ends the
// handshake with a no_application_protocol alert (RFC 7301, 3.2) or names h2 in its answer all the same,
// which OpenSSL refuses as an extension it did not ask for (another extension sent unasked would read
// the same; none is known to be). libcurl keeps OpenSSL's code only in its message ("error:0A000460:...").
bool refusedHttp11(const QString &message)
{
    static const QRegularExpression packed(QStringLiteral("error:([0-9A-Fa-f]{8}):"));
    const QRegularExpressionMatch match = packed.match(message);
    const unsigned long error = match.captured(1).toULong(nullptr, 16);
    const int reason = ERR_GET_REASON(error);
    return match.hasMatch() && ERR_GET_LIB(error) == ERR_LIB_SSL
        && (reason == SSL_R_TLSV1_ALERT_NO_APPLICATION_PROTOCOL || reason == SSL_R_BAD_EXTENSION);
}

} // namespace

Trust trustFromEnvironment()
{
    Trust trust;
    trust.fileVariable = qEnvironmentVariableIsEmpty("CURL_CA_BUNDLE") ? "SSL_CERT_FILE" : "CURL_CA_BUNDLE";
    trust.file = qgetenv(trust.fileVariable.constData());
    trust.folder = trust.fileVariable == "SSL_CERT_FILE" ? qgetenv("SSL_CERT_DIR") : QByteArray();
    // OpenSSL opens them on the window's thread, where a FIFO would block it for good.
    const auto refuse = [&trust](Kind kind, const QByteArray &variable, const QByteArray &path) {
        trust.refusal = {.kind = kind,
            .detail = QStringLiteral("%1 names no usable path").arg(QString::fromLatin1(variable)),
            .variable = QString::fromLatin1(variable),
            .path = QFile::decodeName(path)};
    };
    if (!trust.file.isEmpty() && !is(trust.file, S_IFREG))
        refuse(Kind::CertificateFileSetting, trust.fileVariable, trust.file);
    else if (!trust.folder.isEmpty() && !is(trust.folder, S_IFDIR))
        refuse(Kind::CertificateFolderSetting, "SSL_CERT_DIR", trust.folder);
    return trust;
}

curl_slist *headerList(const QString &requestHeaders)
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

void setOptions(CURL *easy, const RedirectHop &hop, const QByteArray &method, curl_slist *headers,
    const Hooks &hooks, const Trust &trust)
{
    curl_easy_setopt(easy, CURLOPT_URL, hop.address().constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // HTTP/1.1 only, also where ALPN could agree on h2: this libcurl (7.88) takes an h2 stream that the
    // server resets before its end for a whole body, and one archive per request gains nothing from h2.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(RedirectHop::maxHops - hop.count()));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Removing a request whose name lookup hangs would otherwise wait for libcurl's resolver thread
    // (half a minute with a silent name server), freezing the window on Cancel. With this the thread
    // is left to finish on its own, and frees what it holds when it does.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, socketReadSize);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, hooks.errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, hooks.onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, hooks.data);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, hooks.onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, hooks.data);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &watchCloseNotify);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, hooks.closeNotified);
    if (!trust.file.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, trust.file.constData());
    if (!trust.folder.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAPATH, trust.folder.constData());
    if (method == "HEAD")
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    else if (method != "GET")
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.constData());
}

TransferFailure setProxy(CURL *easy, const ProxyRules::Choice &proxy)
{
    if (!proxy.error.isEmpty()) {
        return {.kind = TransferFailure::Kind::ProxySetting,
            .detail = proxy.error,
            .proxy = QString::fromUtf8(proxy.address),
            .proxySource = proxy.source};
    }
    // libcurl must not read http_proxy or no_proxy again on its own.
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.address.constData());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    if (!proxy.user.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.user.constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.password.constData());
    }
    // A tunnelling proxy's own answer to CONNECT is not the answer to the request.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // A setting may carry a user name and password, which have no place in a log.
    qCDebug(lcTransfer) << "proxy" << PlainText::withoutCredentials(QString::fromUtf8(proxy.address))
                        << proxy.source;
    return {};
}

void noteProxy(TransferFailure *failure, const ProxyRules::Choice &proxy, bool madeByProxy)
{
    failure->proxy = QString::fromUtf8(proxy.address);
    failure->proxySource = proxy.source;
    failure->atProxy = madeByProxy && !proxy.address.isEmpty();
    // libcurl sends them at once, the desktop's apart, a variable's in its address ("http://u:p@host").
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    char *user = nullptr;
    failure->proxyCredentials = !proxy.user.isEmpty()
        || (curl_url_set(url.get(), CURLUPART_URL, proxy.address.constData(),
                CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME)
                == CURLUE_OK
            && curl_url_get(url.get(), CURLUPART_USER, &user, 0) == CURLUE_OK);
    curl_free(user);
}

// Over HTTP/1 a body with neither a length nor chunks ends where the connection ends. Over TLS only the
// server's close_notify tells that end from a cut, which libcurl (7.88 with OpenSSL 3) takes for a normal
// end: without it, half an archive would pass for the whole.
bool endsWithoutCloseNotify(CURL *easy, const AnswerHead &head, bool closeNotified)
{
    const char *scheme = nullptr;
    long version = 0;
    curl_off_t received = 0;
    curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
    curl_easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version);
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    const bool framedByClose = (version == CURL_HTTP_VERSION_1_0 || version == CURL_HTTP_VERSION_1_1)
        && head.length < 0 && !head.isChunked() && received > 0;
    return framedByClose && !closeNotified && scheme && qstricmp(scheme, "https") == 0;
}

TransferFailure failure(CURL *easy, CURLcode code, const char *errorBuffer, const Stage &stage)
{
    TransferFailure failure;
    long systemError = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &systemError);
    failure.kind = kindFor(code, systemError, stage.bodyStarted);
    // libcurl refuses some status lines before they reach the head (a status beyond three digits, none
    // at all).
    if ((code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL) && stage.statusLineDue)
        failure.kind = Kind::BadStatusLine;
    if (!failure.failed())
        return failure;
    failure.detail = QString::fromLocal8Bit(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
    // libcurl's message leaves out why a certificate was refused, and the system's reason.
    long verified = X509_V_OK;
    curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verified);
    if (failure.kind == Kind::Tls) {
        failure.kind = certificateKind(code, verified);
        if (verified != X509_V_OK && verified != X509_V_ERR_UNSPECIFIED)
            failure.systemReason = QString::fromLatin1(X509_verify_cert_error_string(verified));
    }
    if (code == CURLE_SSL_CACERT_BADFILE && !stage.trust.file.isEmpty()) {
        failure.kind = Kind::CertificateFileUnreadable;
        failure.variable = QString::fromLatin1(stage.trust.fileVariable);
        failure.path = QFile::decodeName(stage.trust.file);
    }
    if (code == CURLE_SSL_CONNECT_ERROR && refusedHttp11(failure.detail))
        failure.kind = Kind::Http2Only;
    if (failure.systemReason.isEmpty() && systemError != 0)
        failure.systemReason = QString::fromLocal8Bit(std::strerror(int(systemError)));
    noteProxy(&failure, stage.proxy);
    // Through a proxy, every connection is to the proxy.
    failure.atProxy = !failure.proxy.isEmpty()
        && (code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_PROXY || code == CURLE_COULDNT_CONNECT);
    // A proxy that refused to open a tunnel to the server: its answer is what it said.
    long connectStatus = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
    if (!failure.proxy.isEmpty() && connectStatus >= 300) {
        failure.atProxy = true;
        failure.serverText = QString::number(connectStatus);
    }
    return failure;
}

} // namespace CurlRequest
