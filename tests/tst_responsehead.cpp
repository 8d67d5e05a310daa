#include "transfer/responsehead.h"

#include <QTest>

using Step = ResponseHead::Step;

// The head of an answer read from the lines libcurl hands over: which head is the answer's, its status,
// reason and headers, and where a redirect goes.
class TestResponseHead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void redirectRule_data();
    void redirectRule();
};

void TestResponseHead::lines_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QByteArrayList>("lines"); // each ended by CR LF as libcurl hands it over
    QTest::addColumn<Step>("step"); // what the last line meant
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArrayList>("headers"); // of the head read last, "name: value|value"
    QTest::addColumn<QString>("goesTo");

    const QString http = u"http://downloads.vorn.example/a"_qs;
    const QString https = u"https://downloads.vorn.example/a"_qs;
    QTest::newRow("an answer") << http << QByteArrayList{"HTTP/1.1 200 OK", "Content-Length: 7", ""}
                               << Step::Answer << 200 << u"OK"_qs << QByteArrayList{"content-length: 7"}
                               << http;
    // A status line only starts a head after the blank line that ended the one before.
    QTest::newRow("a 404 carrying a line like a status line")
        << http << QByteArrayList{"HTTP/1.1 404 Not Found", "HTTP/1.1 200 OK: x", ""} << Step::Answer << 404
        << u"Not Found"_qs << QByteArrayList{"http/1.1 200 ok: x"} << http;
    QTest::newRow("103 before the answer")
        << http
        << QByteArrayList{"HTTP/1.1 103 Early Hints", "Link: </x.css>", "", "HTTP/1.1 200 OK", "X-Mirror: m1",
               "Content-Type: a", "x-mirror: m2", ""}
        << Step::Answer << 200 << u"OK"_qs << QByteArrayList{"content-type: a", "x-mirror: m1|m2"} << http;
    QTest::newRow("an interim answer ends")
        << http << QByteArrayList{"HTTP/1.1 100 Continue", ""} << Step::More << 100 << u"Continue"_qs
        << QByteArrayList{} << http;
    QTest::newRow("trailers change nothing") << http << QByteArrayList{"HTTP/1.1 200 OK", "", "X-Trailer: 1"}
                                             << Step::More << 200 << u"OK"_qs << QByteArrayList{} << http;
    QTest::newRow("HTTP/2, no reason") << http << QByteArrayList{"HTTP/2 200", ""} << Step::Answer << 200
                                       << QString() << QByteArrayList{} << http;
    QTest::newRow("a redirect followed")
        << http << QByteArrayList{"HTTP/1.1 302 Found", "Location: /b", ""} << Step::Follow << 302
        << u"Found"_qs << QByteArrayList{"location: /b"} << u"http://downloads.vorn.example/b"_qs;
    // As HTTP/2 spells every name: libcurl follows it, so it is not the answer.
    QTest::newRow("lower-case location")
        << http << QByteArrayList{"HTTP/1.1 301 Moved", "location: https://m.vorn.example/a", ""}
        << Step::Follow << 301 << u"Moved"_qs << QByteArrayList{"location: https://m.vorn.example/a"}
        << u"https://m.vorn.example/a"_qs;
    QTest::newRow("down to http refused")
        << https << QByteArrayList{"HTTP/1.1 302 Found", "Location: http://m.vorn.example/a", ""}
        << Step::RefuseInsecure << 302 << u"Found"_qs << QByteArrayList{"location: http://m.vorn.example/a"}
        << u"http://m.vorn.example/a"_qs;
    QTest::newRow("3xx without a location is the answer")
        << http << QByteArrayList{"HTTP/1.1 304 Not Modified", ""} << Step::Answer << 304
        << u"Not Modified"_qs << QByteArrayList{} << http;
    QTest::newRow("status of four digits") << http << QByteArrayList{"HTTP/1.1 2000 OK"} << Step::Malformed
                                           << 0 << QString() << QByteArrayList{} << http;
    QTest::newRow("no status line") << http << QByteArrayList{"content-length: 7"} << Step::Malformed << 0
                                    << QString() << QByteArrayList{} << http;
    QTest::newRow("reason in UTF-8") << http << QByteArrayList{"HTTP/1.1 404 Nicht gef\xc3\xbcnden", ""}
                                     << Step::Answer << 404 << u"Nicht gef\u00fcnden"_qs << QByteArrayList{}
                                     << http;
    QTest::newRow("reason in Latin-1")
        << http << QByteArrayList{"HTTP/1.1 404 Nicht gef\xfcnden", ""} << Step::Answer << 404
        << u"Nicht gef\u00fcnden"_qs << QByteArrayList{} << http;
    QTest::newRow("reason with control characters")
        << http << QByteArrayList{"HTTP/1.1 404 Not\x1b[2J Found", ""} << Step::Answer << 404
        << u"Not[2J Found"_qs << QByteArrayList{} << http;
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

    ResponseHead head{QUrl(url)};
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
    QCOMPARE(head.url(), QUrl(goesTo));
    QCOMPARE(head.isAnswerIn(), step == Step::Answer || (step == Step::More && status >= 200));
    if (step == Step::Malformed)
        QCOMPARE(head.statusLine(), lines.first());
}

void TestResponseHead::redirectRule_data()
{
    QTest::addColumn<QUrl>("from");
    QTest::addColumn<QUrl>("to");
    QTest::addColumn<bool>("allowed");

    const QUrl http(QStringLiteral("http://downloads.vorn.example/a"));
    const QUrl https(QStringLiteral("https://downloads.vorn.example/a"));
    QTest::newRow("up to https") << http << https << true;
    QTest::newRow("https to https") << https << https << true;
    QTest::newRow("down to http") << https << http << false;
}

void TestResponseHead::redirectRule()
{
    QFETCH(QUrl, from);
    QFETCH(QUrl, to);
    QFETCH(bool, allowed);
    QCOMPARE(ResponseHead::allowsRedirect(from, to), allowed);
}

QTEST_GUILESS_MAIN(TestResponseHead)
#include "tst_responsehead.moc"
