#include "transfer/proxyrules.h"

#include <QNetworkProxy>
#include <QTest>

// The proxy a request goes through, from the environment as curl reads it; Qt's configuration (here the
// application's proxy) only when no variable is set.
class TestProxyRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choice_data();
    void choice();
};

void TestProxyRules::choice_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("environment"); // "name=value"
    QTest::addColumn<QByteArray>("address"); // empty: direct
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("unreadable");

    const QString http = u"http://vorn.localhost:8080/x"_qs;
    const QString https = u"https://vorn.localhost/x"_qs;
    const QByteArray proxy = "127.0.0.1:3128"; // http, as for curl
    const QString lower = u"http_proxy=127.0.0.1:3128"_qs;
    const auto addRow = [](const char *tag, const QString &url, const QStringList &environment,
                            const QByteArray &address, const QString &source, bool unreadable = false) {
        QTest::newRow(tag) << url << environment << address << source << unreadable;
    };
    addRow("through http_proxy", http, {lower}, proxy, u"http_proxy"_qs);
    // A CGI program finds HTTP_PROXY set from the request's "Proxy:" header: curl ignores it, and so do we.
    addRow("HTTP_PROXY ignored", http, {u"HTTP_PROXY=127.0.0.1:3128"_qs}, "socks5h://127.0.0.1:3129", {});
    addRow("HTTP_PROXY ignored, all_proxy taken", http,
        {u"HTTP_PROXY=other:1"_qs, u"all_proxy=127.0.0.1:3128"_qs}, proxy, u"all_proxy"_qs);
    addRow("HTTPS_PROXY for https", https, {u"HTTPS_PROXY=127.0.0.1:3128"_qs}, proxy, u"HTTPS_PROXY"_qs);
    addRow("all_proxy when no http_proxy", http, {u"all_proxy=127.0.0.1:3128"_qs}, proxy, u"all_proxy"_qs);
    addRow("https takes https_proxy, not http_proxy", https, {lower, u"https_proxy=127.0.0.1:3128"_qs}, proxy,
        u"https_proxy"_qs);
    addRow("no_proxy=*", http, {lower, u"no_proxy= * "_qs}, {}, {});
    addRow("no_proxy names the domain", http, {lower, u"no_proxy=example.org, localhost"_qs}, {}, {});
    addRow("no_proxy with a leading dot", http, {lower, u"no_proxy=.vorn.localhost"_qs}, {}, {});
    addRow("NO_PROXY", http, {lower, u"NO_PROXY=vorn.localhost"_qs}, {}, {});
    addRow("no_proxy names other hosts", http, {lower, u"no_proxy=rn.localhost,*,x.vorn.localhost"_qs}, proxy,
        u"http_proxy"_qs);
    // An address is covered by an address or a range of them, never by a name's rules.
    addRow("no_proxy range covers the address", u"http://127.0.0.1:8080/x"_qs,
        {lower, u"no_proxy=10.0.0.0/8 127.0.0.0/8"_qs}, {}, {});
    addRow("no_proxy IPv6 range", u"http://[::1]:8080/x"_qs, {lower, u"no_proxy=::1/128"_qs}, {}, {});
    addRow("no_proxy range of another network", u"http://127.0.0.1/x"_qs,
        {lower, u"no_proxy=127.0.1.0/24"_qs}, proxy, u"http_proxy"_qs);
    addRow("no_proxy address is exact", u"http://127.0.0.1/x"_qs, {lower, u"no_proxy=0.0.1,127.0.0.10"_qs},
        proxy, u"http_proxy"_qs);
    // Never a silent direct connection when the setting cannot be read.
    addRow("unreadable http_proxy", http, {u"http_proxy=http://[127.0.0.1:3128"_qs}, "http://[127.0.0.1:3128",
        u"http_proxy"_qs, true);
    addRow("not a proxy scheme", http, {u"http_proxy=ftp://127.0.0.1:3128"_qs}, "ftp://127.0.0.1:3128",
        u"http_proxy"_qs, true);
    // The proxy resolves the name: still a proxy, never a reason to go direct.
    addRow("socks5h", http, {u"all_proxy=socks5h://127.0.0.1:1080"_qs}, "socks5h://127.0.0.1:1080",
        u"all_proxy"_qs);
    // The desktop's SOCKS proxy resolves names as Qt's own client lets it.
    addRow("none set: the configured proxy", http, {}, "socks5h://127.0.0.1:3129", {});
}

void TestProxyRules::choice()
{
    QFETCH(QString, url);
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, address);
    QFETCH(QString, source);
    QFETCH(bool, unreadable);

    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::Socks5Proxy, u"127.0.0.1"_qs, 3129, u"vorn"_qs, u"pass word"_qs));
    const ProxyRules::Choice choice = ProxyRules::choose(QUrl(url), [&](const char *name) {
        const QString prefix = QString::fromLatin1(name) + u'=';
        for (const QString &variable : std::as_const(environment)) {
            if (variable.startsWith(prefix))
                return variable.mid(prefix.size()).toLatin1();
        }
        return QByteArray();
    });
    QCOMPARE(choice.address, address);
    QCOMPARE(choice.source, source);
    QCOMPARE(!choice.error.isEmpty(), unreadable);
    // Only the desktop's proxy comes with its user name and password apart; a variable carries them in it.
    const bool configured = source.isEmpty() && !address.isEmpty();
    QCOMPARE(choice.user, configured ? QByteArray("vorn") : QByteArray());
    QCOMPARE(choice.password, configured ? QByteArray("pass word") : QByteArray());
}

QTEST_GUILESS_MAIN(TestProxyRules)
#include "tst_proxyrules.moc"
