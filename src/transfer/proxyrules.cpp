#include "proxyrules.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QPointer>
#include <QRegularExpression>

#include <array>
#include <memory>
#include <span>
#include <thread>

#include <curl/curl.h>

namespace ProxyRules {

namespace {

// Whether `entry` of no_proxy, an address or a range of them ("127.0.0.0/8", "::1/128"), covers
// `address`: as curl 7.86 and later read it, an address alone stands for itself only.
bool coversAddress(const QString &entry, const QHostAddress &address)
{
    const QString network = entry.section(QLatin1Char('/'), 0, 0);
    const int width = address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
    const int bits = entry.contains(QLatin1Char('/')) ? entry.section(QLatin1Char('/'), 1).toInt() : 0;
    const QHostAddress start(network);
    return start.protocol() == address.protocol() && bits <= width
        && address.isInSubnet(start, bits == 0 ? width : bits);
}

// curl's no_proxy (or NO_PROXY): "*" alone turns the proxy off; otherwise entries separated by commas
// or blanks: a name stands for that host and every host under it, with or without a leading dot; an
// address or a range of them covers only hosts given by their address.
bool bypassesProxy(const QString &host, const Environment &environment)
{
    QByteArray list = environment("no_proxy");
    if (list.isEmpty())
        list = environment("NO_PROXY");
    if (list.trimmed() == "*")
        return true;
    const QHostAddress address(host);
    QString name = host.toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList entries = QString::fromLocal8Bit(list).toLower().split(separators, Qt::SkipEmptyParts);
    for (QString entry : entries) {
        if (!address.isNull()) {
            if (coversAddress(entry, address))
                return true;
            continue;
        }
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
// HTTP_PROXY in capitals is left out on purpose, as curl leaves it out: a CGI program finds it set from
// a request's "Proxy:" header, so whoever sends the request would pick the proxy.
std::pair<const char *, QByteArray> environmentProxy(const QString &scheme, const Environment &environment)
{
    static constexpr std::array<const char *, 3> forHttp{"http_proxy", "all_proxy", "ALL_PROXY"};
    static constexpr std::array<const char *, 4> forHttps{
        "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};
    using Names = std::span<const char *const>;
    for (const char *name : scheme == QLatin1String("https") ? Names(forHttps) : Names(forHttp)) {
        const QByteArray value = environment(name);
        if (!value.isEmpty())
            return {name, value};
    }
    return {nullptr, {}};
}

// Why libcurl cannot read `setting` as a proxy, the way it reads one ("host:port" means http); empty
// when it can.
QString unreadable(const QByteArray &setting)
{
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    const CURLUcode parsed = curl_url_set(
        url.get(), CURLUPART_URL, setting.constData(), CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME);
    if (parsed != CURLUE_OK)
        return QString::fromLatin1(curl_url_strerror(parsed));
    char *scheme = nullptr;
    curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0);
    static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("socks"),
        QStringLiteral("socks4"), QStringLiteral("socks4a"), QStringLiteral("socks5"),
        QStringLiteral("socks5h")};
    const QString name = QString::fromLatin1(scheme).toLower();
    curl_free(scheme);
    return schemes.contains(name) ? QString() : u"unknown proxy scheme \"%1\""_qs.arg(name);
}

// The proxy Qt's configuration picks for this URL, as libcurl spells it; empty for a direct connection.
Choice configuredProxy(const QUrl &url)
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
        return {};
    }
    address.setHost(proxy.hostName());
    address.setPort(proxy.port());
    return {address.toEncoded(), proxy.user().toUtf8(), proxy.password().toUtf8(), {}, {}};
}

} // namespace

// Qt's reading of the variables (libproxy) ignores "no_proxy=*" and a bare "host:port", and takes an
// unreadable setting for none: they are read here as curl reads them.
Choice choose(const QUrl &url, const Environment &environment)
{
    const std::optional<Choice> decided = decide(url, environment);
    return decided ? *decided : configuredProxy(url);
}

std::optional<Choice> decide(const QUrl &url, const Environment &environment)
{
    if (bypassesProxy(url.host(), environment))
        return Choice();
    const auto [variable, setting] = environmentProxy(url.scheme(), environment);
    if (!variable)
        return std::nullopt;
    Choice choice;
    choice.address = setting;
    choice.source = QString::fromLatin1(variable);
    choice.error = unreadable(setting);
    return choice;
}

void ask(const QUrl &url, QObject *context, std::function<void(const Choice &)> answered)
{
    if (const std::optional<Choice> decided = decide(url, processEnvironment))
        return answered(*decided);
    // Qt's proxy query may be made from any thread: its settings are behind a lock, and libproxy gets
    // one question at a time. The answer goes to an object that lives as long as the program: `context`
    // may be gone by then, and only the window thread may look whether it is.
    static QObject *const mailbox = new QObject;
    std::thread([url, context = QPointer<QObject>(context), answered = std::move(answered)] {
        const Choice choice = configuredProxy(url);
        QMetaObject::invokeMethod(
            mailbox,
            [context, answered, choice] {
                if (context)
                    answered(choice);
            },
            Qt::QueuedConnection);
    }).detach();
}

QByteArray processEnvironment(const char *name)
{
    return qgetenv(name);
}

} // namespace ProxyRules
