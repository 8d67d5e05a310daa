#include "transfer/responsehead.h"

#include <QTest>

using Step = ResponseHead::Step;

namespace {

const QString http = u"http://downloads.vorn.example/a"_qs;
const QString https = u"https://downloads.vorn.example/a"_qs;

// A head read line by line from `url`, which it still goes to unless a redirect says otherwise.
void addRow(const char *tag, const QString &url, const QByteArrayList &lines, Step step, int status,
    const QString &reason, const QByteArrayList &headers = {}, const QString &goesTo = {},
    bool madeByProxy = false)
{
    QTest::newRow(tag) << url << lines << step << status << reason << headers
                       << (goesTo.isEmpty() ? url : goesTo) << madeByProxy;
}

// `count` redirects to `location`, one after the other.
void addRedirect(const char *tag, const QString &url, const QByteArray &location, Step step,
    const QString &goesTo, int count = 1)
{
    QByteArrayList lines;
    for (int i = 0; i < count; ++i)
        lines += {"HTTP/1.1 302 Found", "Location: " + location, ""};
    addRow(tag, url, lines, step, 302, u"Found"_qs, {"location: " + location}, goesTo);
}

} // namespace

// The head of an answer read from the lines libcurl hands over: which head is the answer's, its status,
// reason and headers, and where a redirect goes.
class TestResponseHead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
};

void TestResponseHead::lines_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QByteArrayList>("lines"); // each ended by CR LF as libcurl hands it over
    QTest::addColumn<Step>("step"); // what the last line meant
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArrayList>("headers"); // of the head read last, "name: value|value"
    QTest::addColumn<QString>("goesTo"); // or why a redirect is refused
    QTest::addColumn<bool>("madeByProxy");

    addRow("an answer", http, {"HTTP/1.1 200 OK", "Content-Length: 7", ""}, Step::Answer, 200, u"OK"_qs,
        {"content-length: 7"});
    // A status line only starts a head after the blank line that ended the one before.
    addRow("a 404 carrying a line like a status line", http,
        {"HTTP/1.1 404 Not Found", "HTTP/1.1 200 OK: x", ""}, Step::Answer, 404, u"Not Found"_qs,
        {"http/1.1 200 ok: x"});
    addRow("103 before the answer", http,
        {"HTTP/1.1 103 Early Hints", "Link: </x.css>", "", "HTTP/1.1 200 OK", "X-Mirror: m1",
            "Content-Type: a", "x-mirror: m2", ""},
        Step::Answer, 200, u"OK"_qs, {"content-type: a", "x-mirror: m1|m2"});
    addRow("an interim answer ends", http, {"HTTP/1.1 100 Continue", ""}, Step::More, 100, u"Continue"_qs);
    addRow(
        "trailers change nothing", http, {"HTTP/1.1 200 OK", "", "X-Trailer: 1"}, Step::More, 200, u"OK"_qs);
    addRow("HTTP/2, no reason", http, {"HTTP/2 200", ""}, Step::Answer, 200, QString());
    addRedirect("a redirect followed", http, "/b", Step::Follow, u"http://downloads.vorn.example/b"_qs);
    // As HTTP/2 spells every name: libcurl follows it, so it is not the answer.
    addRow("lower-case location", http, {"HTTP/1.1 301 Moved", "location: https://m.vorn.example/a", ""},
        Step::Follow, 301, u"Moved"_qs, {"location: https://m.vorn.example/a"},
        u"https://m.vorn.example/a"_qs);
    // Only a redirect from https down to http is refused.
    addRedirect("up to https", http, "https://downloads.vorn.example/a", Step::Follow, https);
    addRedirect("https to https", https, "/b", Step::Follow, u"https://downloads.vorn.example/b"_qs);
    addRedirect("down to http refused", https, "http://alice:pw@m.vorn.example/a", Step::Refuse,
        u"Refused a redirect from a secure address to an insecure one: http://m.vorn.example/a"_qs);
    // Spelled as libcurl sends it: raw bytes encoded, a user name and password for libcurl alone.
    addRedirect("raw byte and blanks", http, "http://m.vorn.example/l\xe4 x.rar?q=a b", Step::Follow,
        u"http://m.vorn.example/l%e4%20x.rar?q=a+b"_qs);
    addRedirect("user and password", http, "http://alice:pw@m.vorn.example/a", Step::Follow,
        u"http://alice:pw@m.vorn.example/a"_qs);
    // Only http and https, and never a guessed scheme (tst_inet has more of them).
    addRedirect(
        "mailto", http, "mailto:a@vorn.example", Step::Refuse, u"Refused a redirect to mailto:\u2026"_qs);
    addRedirect("file", http, "file:///etc/passwd", Step::Refuse, u"Refused a redirect to file:\u2026"_qs);
    addRedirect("ftp without slashes", http, "ftp:x", Step::Refuse, u"Refused a redirect to ftp:\u2026"_qs);
    addRedirect("no scheme, port beyond 65535", http, "//m.vorn.example:99999/x.rar", Step::Refuse,
        u"Refused a redirect to an address that cannot be used: Port number was not a decimal number between 0 and 65535"_qs);
    addRedirect("port beyond 65535", http, "http://m.vorn.example:99999/x.rar", Step::Refuse,
        u"Refused a redirect to an address that cannot be used: Port number was not a decimal number between 0 and 65535"_qs);
    addRedirect("the 51st hop", http, "/again", Step::Refuse, u"too many redirects"_qs, 51);
    addRow("3xx without a location is the answer", http, {"HTTP/1.1 304 Not Modified", ""}, Step::Answer, 304,
        u"Not Modified"_qs);
    addRow("status of four digits", http, {"HTTP/1.1 2000 OK"}, Step::Malformed, 0, QString());
    addRow("no status line", http, {"content-length: 7"}, Step::Malformed, 0, QString());
    addRow("reason in UTF-8", http, {"HTTP/1.1 404 Nicht gef\xc3\xbcnden", ""}, Step::Answer, 404,
        u"Nicht gef\u00fcnden"_qs);
    addRow("reason in Latin-1", http, {"HTTP/1.1 404 Nicht gef\xfcnden", ""}, Step::Answer, 404,
        u"Nicht gef\u00fcnden"_qs);
    addRow("reason with control characters", http, {"HTTP/1.1 404 Not\x1b[2J Found", ""}, Step::Answer, 404,
        u"Not[2J Found"_qs);
    addRow("squid's own error page", http, {"HTTP/1.1 503 X", "X-Squid-Error: ERR_CONNECT_FAIL 111", ""},
        Step::Answer, 503, u"X"_qs, {"x-squid-error: ERR_CONNECT_FAIL 111"}, {}, true);
    // RFC 9209: a proxy that made the answer says `error`; a quoted name may hold anything.
    const QByteArray named = "Proxy-Status: \"a;error=b\"";
    addRow("Proxy-Status with an error", http, {"HTTP/1.1 502 X", named + ", c; error=d", ""}, Step::Answer,
        502, u"X"_qs, {"proxy-status: \"a;error=b\", c; error=d"}, {}, true);
    addRow("Proxy-Status passing an answer on", http, {"HTTP/1.1 500 X", named, ""}, Step::Answer, 500,
        u"X"_qs, {"proxy-status: \"a;error=b\""});
}

void TestResponseHead::lines()
{
    QFETCH(QString, url);
    QFETCH(QByteArrayList, lines);
    QFETCH(Step, step);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QByteArrayList, headers);
    QFETCH(QString, goesTo);
    QFETCH(bool, madeByProxy);

    ResponseHead head{RedirectHop(url.toUtf8())};
    Step last = Step::More;
    for (const QByteArray &line : std::as_const(lines))
        last = head.take(line + "\r\n");
    QCOMPARE(last, step);
    QCOMPARE(head.answer().status, status);
    QCOMPARE(head.answer().reason, reason);
    QByteArrayList read;
    for (const auto &[name, values] : head.answer().headers)
        read.append(name + ": " + values.join("|"));
    QCOMPARE(read, headers);
    QCOMPARE(step == Step::Refuse ? head.refusal().detail : QString::fromUtf8(head.hop().address()), goesTo);
    QVERIFY(head.url().userInfo().isEmpty());
    QCOMPARE(head.answer().madeByProxy, madeByProxy);
    QCOMPARE(head.isAnswerIn(), step == Step::Answer || (step == Step::More && status >= 200));
    if (step == Step::Malformed)
        QCOMPARE(head.statusLine(), lines.first());
}

QTEST_GUILESS_MAIN(TestResponseHead)
#include "tst_responsehead.moc"
