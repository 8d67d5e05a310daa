#include "support/scriptedhttpserver.h"
#include "transfer/eventpump.h"
#include "transfer/inet.h"

#include <QElapsedTimer>
#include <QNetworkProxyFactory>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString headerBlock = QStringLiteral("Range: bytes=0-\r\n");
const QString someUrl = QStringLiteral("http://downloads.vorn.example/index.php?download=1:a&Itemid=10");

// Pulls the whole body the way the transfer routine does and returns the chunk sizes.
QList<qint64> readAll(Inet &inet, QByteArray *body = nullptr)
{
    QList<qint64> sizes;
    QByteArray chunk;
    do {
        chunk = inet.getChunk(1024);
        sizes.append(chunk.size());
        if (body)
            body->append(chunk);
    } while (chunk.size() >= 2);
    return sizes;
}

void start(Inet &inet, const QString &url = someUrl)
{
    inet.setUrl(url);
    inet.execute(QStringLiteral("GET"), headerBlock);
}

// Lets the events run for a while, as a reader that keeps away does.
void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void waitWhileBusy(Inet &inet)
{
    while (inet.stillExecuting())
        EventPump::waitForMoreEvents();
}

} // namespace

class TestInet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void requestIsExact();
    void chunksAreFullUntilTheEnd_data();
    void chunksAreFullUntilTheEnd();
    void busyUntilHeadersArrive();
    void reportsServerAnswer_data();
    void reportsServerAnswer();
    void followsRedirects_data();
    void followsRedirects();
    void redirectRule_data();
    void redirectRule();
    void redirectLoopFails();
    void failureAfterRedirect();
    void networkFailures_data();
    void networkFailures();
    void proxyFromTheEnvironment_data();
    void proxyFromTheEnvironment();
    void idleTimeout_data();
    void idleTimeout();
    void errorMidBody_data();
    void errorMidBody();
    void malformedFramingFails_data();
    void malformedFramingFails();
    void cancel();
    void readBufferIsBounded();
    void readerBehindTheNetwork_data();
    void readerBehindTheNetwork();
    void idleConnectionStaysQuiet();
    void connectWakesOnTheSocket();
    void tlsEnd_data();
    void tlsEnd();

private:
    std::unique_ptr<ScriptedHttpServer> m_server;
};

void TestInet::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    QNetworkProxy::setApplicationProxy(m_server->proxy());
}

void TestInet::cleanup()
{
    m_server.reset();
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void TestInet::requestIsExact()
{
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(10); });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    readAll(inet);

    QCOMPARE(m_server->requestCount(), 1);
    const ScriptedRequest request = m_server->requests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.target, someUrl.toLatin1());
    QCOMPARE(request.header("Range"), QByteArray("bytes=0-"));
    QCOMPARE(request.header("Accept-Encoding"), QByteArray("identity"));
    // The line end of the header block separates headers; it must never leak into the request.
    QVERIFY(!request.rawHead.contains("\r\n\r\n\r\n"));
    QCOMPARE(request.rawHead.count("Range:"), 1);
}

void TestInet::chunksAreFullUntilTheEnd_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("splits");
    QTest::addColumn<bool>("chunked");
    QTest::addColumn<QList<qint64>>("chunks");

    const QList<qint64> none;
    QTest::newRow("2500 at once") << qint64(2500) << none << false << QList<qint64>{1024, 1024, 452, 0};
    QTest::newRow("2048 at once") << qint64(2048) << none << false << QList<qint64>{1024, 1024, 0};
    QTest::newRow("one byte at the end") << qint64(2049) << none << false << QList<qint64>{1024, 1024, 1};
    QTest::newRow("empty body") << qint64(0) << none << false << QList<qint64>{0};
    QTest::newRow("2500 in small pieces")
        << qint64(2500) << QList<qint64>{1, 700, 5, 900, 3} << false << QList<qint64>{1024, 1024, 452, 0};
    QTest::newRow("2500 chunked") << qint64(2500) << QList<qint64>{100, 1000} << true
                                  << QList<qint64>{1024, 1024, 452, 0};
}

void TestInet::chunksAreFullUntilTheEnd()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, splits);
    QFETCH(bool, chunked);
    QFETCH(QList<qint64>, chunks);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(size);
        response.splits = splits;
        response.splitIntervalMs = 5;
        response.chunked = chunked;
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QByteArray body;
    QCOMPARE(readAll(inet, &body), chunks);
    QCOMPARE(body, ScriptedHttpServer::patternBytes(0, size));
    QCOMPARE(inet.contentLength(), chunked ? -1 : size);
    // Exhausted: every later read is empty too.
    QVERIFY(inet.getChunk(1024).isEmpty());
    QVERIFY(!inet.hasFailed());
}

void TestInet::busyUntilHeadersArrive()
{
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(4096);
        response.stallAfterBodyBytes = 0;
        return response;
    });
    Inet inet;
    QVERIFY(!inet.stillExecuting());
    start(inet);
    QVERIFY(inet.stillExecuting());
    QTRY_VERIFY(!inet.stillExecuting());
    // Headers are in although the body has not started.
    QCOMPARE(inet.statusCode(), 200);
    QCOMPARE(inet.getHeader(QStringLiteral("Content-Length")), QStringLiteral("4096"));
    QCOMPARE(inet.getHeader(QStringLiteral("X-Not-There")), QString());
    inet.cancel();
}

void TestInet::reportsServerAnswer_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<QByteArray>("interim");

    QTest::newRow("not found") << 404 << QByteArray("Not Found") << QByteArray();
    // An interim block, with headers of its own, is not the answer; a name is a name in any case.
    QTest::newRow("103 before the answer")
        << 200 << QByteArray("OK")
        << QByteArray("HTTP/1.1 103 Early Hints\r\nLink: </x.css>\r\nX-Mirror: hint\r\n\r\n");
}

void TestInet::reportsServerAnswer()
{
    QFETCH(int, status);
    QFETCH(QByteArray, reason);
    QFETCH(QByteArray, interim);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response;
        response.status = status;
        response.reason = reason;
        response.interim = interim;
        response.headers = {{"x-mirror", "m1"}, {"X-MIRROR", "m2"}};
        response.body = "<html>gone</html>";
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QCOMPARE(inet.statusCode(), status);
    QCOMPARE(inet.reasonPhrase(), QString::fromLatin1(reason));
    QCOMPARE(inet.getHeader(QStringLiteral("Link")), QString());
    QCOMPARE(inet.getHeader(QStringLiteral("X-Mirror")), QStringLiteral("m1, m2"));
    QCOMPARE(inet.getHeader(QStringLiteral("Content-Length")), QStringLiteral("17"));
    QCOMPARE(inet.contentLength(), 17);
}

void TestInet::followsRedirects_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("locationName");
    QTest::addColumn<bool>("chunked"); // the final answer

    QTest::newRow("301") << 301 << QByteArray("Location") << false;
    // As HTTP/2 spells every name: libcurl follows it, so it is not the answer.
    QTest::newRow("302 with lower-case location") << 302 << QByteArray("location") << false;
    // The redirect's own "Content-Length: 0" must not stand for the answer's unknown length.
    QTest::newRow("307 to a chunked answer") << 307 << QByteArray("Location") << true;
}

void TestInet::followsRedirects()
{
    QFETCH(int, status);
    QFETCH(QByteArray, locationName);
    QFETCH(bool, chunked);

    const QByteArray finalUrl = "http://mirror.vorn.example/files/a.rar";
    m_server->setResponder([&](const ScriptedRequest &request) {
        ScriptedResponse response = ScriptedResponse::generated(3000);
        response.chunked = chunked;
        if (request.target == finalUrl)
            return response;
        response = ScriptedResponse::redirect({}, status);
        response.headers = {{locationName, finalUrl}};
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QCOMPARE(inet.statusCode(), 200);
    QCOMPARE(inet.getHeader(QStringLiteral("Location")), QString());
    QCOMPARE(inet.contentLength(), chunked ? -1 : 3000);
    QByteArray body;
    readAll(inet, &body);
    QCOMPARE(body.size(), 3000);
    QCOMPARE(m_server->requests().last().header("Range"), QByteArray("bytes=0-"));
}

void TestInet::redirectRule_data()
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

// Only the upgrade can be followed over the network here (the test servers speak plain HTTP):
// networkFailures has that row.
void TestInet::redirectRule()
{
    QFETCH(QUrl, from);
    QFETCH(QUrl, to);
    QFETCH(bool, allowed);
    QCOMPARE(Inet::allowsRedirect(from, to), allowed);
}

void TestInet::redirectLoopFails()
{
    m_server->setResponder([](const ScriptedRequest &) {
        return ScriptedResponse::redirect("http://downloads.vorn.example/again");
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QVERIFY(inet.hasFailed());
    QCOMPARE(inet.failure(), Inet::Failure::TooManyRedirects);
    QVERIFY(readAll(inet).size() == 1);
}

void TestInet::failureAfterRedirect()
{
    const QByteArray mirror = "http://mirror.vorn.example/files/a.rar";
    m_server->setResponder([&](const ScriptedRequest &request) {
        if (request.target != mirror)
            return ScriptedResponse::redirect(mirror, 302);
        ScriptedResponse response;
        response.closeWithoutResponse = true;
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    // The redirect is not the answer: what failed is the request to the mirror.
    QVERIFY(inet.hasFailed());
    QCOMPARE(inet.failure(), Inet::Failure::ConnectionClosed);
    QCOMPARE(inet.statusCode(), 0);
    QVERIFY(!inet.errorString().isEmpty());
}

void TestInet::networkFailures_data()
{
    QTest::addColumn<QString>("url"); // {dead}: a port nothing listens on; {server}: the scripted server's
    QTest::addColumn<bool>("proxyDown");
    QTest::addColumn<Inet::Failure>("failure");

    QTest::newRow("connection refused")
        << QStringLiteral("http://127.0.0.1:{dead}/x") << false << Inet::Failure::CouldNotConnect;
    QTest::newRow("proxy down") << someUrl << true << Inet::Failure::CouldNotConnect;
    QTest::newRow("host not found") << QStringLiteral("http://no-such-host.invalid/x") << false
                                    << Inet::Failure::NameNotFound;
    // Followed, so it ends where the https address does, not as a refused redirect.
    QTest::newRow("redirect up to https")
        << QStringLiteral("http://127.0.0.1:{server}/up") << false << Inet::Failure::CouldNotConnect;
}

void TestInet::networkFailures()
{
    QFETCH(QString, url);
    QFETCH(bool, proxyDown);
    QFETCH(Inet::Failure, failure);

    // A port that was just free: nothing listens there.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString deadPort = QString::number(probe.serverPort());
    probe.close();
    if (proxyDown)
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), probe.serverPort()));
    else
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    m_server->setResponder([&](const ScriptedRequest &) {
        return ScriptedResponse::redirect("https://127.0.0.1:" + deadPort.toLatin1() + "/b");
    });

    Inet inet;
    start(inet,
        QString(url)
            .replace(QLatin1String("{dead}"), deadPort)
            .replace(QLatin1String("{server}"), QString::number(m_server->port())));
    waitWhileBusy(inet);
    QVERIFY(inet.hasFailed());
    QCOMPARE(inet.failure(), failure);
    QCOMPARE(inet.statusCode(), 0);
    QVERIFY(!inet.errorString().isEmpty());
    QVERIFY(inet.getChunk(1024).isEmpty());
}

void TestInet::proxyFromTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("httpProxy"); // {server}: the scripted server's port
    QTest::addColumn<QByteArray>("noProxy");
    QTest::addColumn<QByteArray>("target"); // as the server sees it; empty: nothing may reach it

    // libcurl takes vorn.localhost for 127.0.0.1 without asking a name server.
    const QByteArray proxied = "http://vorn.localhost:{server}/x";
    const QByteArray server = "127.0.0.1:{server}"; // http, as for curl
    QTest::newRow("through http_proxy") << server << QByteArray() << proxied;
    QTest::newRow("no_proxy=*") << server << QByteArray(" * ") << QByteArray("/x");
    QTest::newRow("no_proxy names the domain")
        << server << QByteArray("example.org, localhost") << QByteArray("/x");
    QTest::newRow("no_proxy with a leading dot")
        << server << QByteArray(".vorn.localhost") << QByteArray("/x");
    QTest::newRow("no_proxy names other hosts")
        << server << QByteArray("rn.localhost,*,x.vorn.localhost") << proxied;
    QTest::newRow("unreadable http_proxy")
        << QByteArray("http://[127.0.0.1:{server}") << QByteArray() << QByteArray();
    QTest::newRow("not a proxy scheme")
        << QByteArray("ftp://127.0.0.1:{server}") << QByteArray() << QByteArray();
}

// Never a silent direct connection when the setting cannot be read.
void TestInet::proxyFromTheEnvironment()
{
    QFETCH(QByteArray, httpProxy);
    QFETCH(QByteArray, noProxy);
    QFETCH(QByteArray, target);

    const QByteArray port = QByteArray::number(m_server->port());
    qputenv("http_proxy", httpProxy.replace("{server}", port));
    qputenv("no_proxy", noProxy);
    const auto restore = qScopeGuard([] {
        qputenv("http_proxy", "");
        qputenv("no_proxy", "");
    });
    QNetworkProxyFactory::setUseSystemConfiguration(true); // as the program does
    Inet inet;
    start(inet, QStringLiteral("http://vorn.localhost:%1/x").arg(m_server->port()));
    waitWhileBusy(inet);
    if (target.isEmpty()) {
        QCOMPARE(inet.failure(), Inet::Failure::CouldNotConnect);
        QVERIFY2(inet.errorString().contains(QLatin1String("http_proxy")), qPrintable(inet.errorString()));
        QCOMPARE(m_server->requestCount(), 0);
        return;
    }
    QVERIFY2(!inet.hasFailed(), qPrintable(inet.errorString()));
    QCOMPARE(m_server->requests().first().target, target.replace("{server}", port));
}

void TestInet::idleTimeout_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("stallAfter"); // -1: the server never falls silent
    QTest::addColumn<int>("trickleMs"); // > 0: 1,000 bytes at a time, this far apart
    QTest::addColumn<int>("readAfterMs"); // how long the reader keeps away at first
    QTest::addColumn<QByteArray>("interim");
    QTest::addColumn<QByteArray>("headTrickle"); // sent every trickleMs after the interim, for ever

    const QByteArray none;
    QTest::newRow("server falls silent") << qint64(100000) << qint64(5000) << 0 << 0 << none << none;
    // Each arrival restarts the time-out: a steady transfer longer than it is not a silent one.
    QTest::newRow("steady trickle outlasting the time-out")
        << qint64(25000) << qint64(-1) << 100 << 0 << none << none;
    // A full buffer nobody reads holds the server back; that silence is ours, not the server's.
    QTest::newRow("reader away longer than the time-out")
        << qint64(32 << 20) << qint64(-1) << 0 << 2500 << none << none;
    // Once the reader has caught up, the server's silence counts again.
    QTest::newRow("server falls silent after the reader caught up")
        << qint64(32 << 20) << qint64(2 << 20) << 0 << 2500 << none << none;
    // A head that never ends is not an answer, however steadily it comes.
    QTest::newRow("header lines for ever")
        << qint64(10) << qint64(0) << 100 << 0 << QByteArray("HTTP/1.1 200 OK\r\n")
        << QByteArray("X-More: 1\r\n");
    QTest::newRow("interim answers for ever")
        << qint64(10) << qint64(0) << 100 << 0 << none << QByteArray("HTTP/1.1 102 Processing\r\n\r\n");
}

void TestInet::idleTimeout()
{
    QFETCH(qint64, size);
    QFETCH(qint64, stallAfter);
    QFETCH(int, trickleMs);
    QFETCH(int, readAfterMs);
    QFETCH(QByteArray, interim);
    QFETCH(QByteArray, headTrickle);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(size);
        response.interim = interim;
        response.headTrickle = headTrickle;
        response.stallAfterBodyBytes = stallAfter;
        response.trickleIntervalMs = trickleMs;
        response.trickleBytes = trickleMs > 0 ? 1000 : 0;
        return response;
    });
    Inet inet;
    inet.setRequestTimeout(1);
    start(inet);
    waitWhileBusy(inet);
    runEventsFor(readAfterMs);
    QByteArray body;
    const QList<qint64> sizes = readAll(inet, &body);
    if (stallAfter < 0) {
        QVERIFY2(!inet.hasFailed(), qPrintable(inet.errorString()));
        QCOMPARE(body.size(), size);
        QVERIFY(body == ScriptedHttpServer::patternBytes(0, size));
        return;
    }
    // What arrived before the server fell silent is still handed over in full chunks, then the body ends.
    QList<qint64> expected(stallAfter / 1024, 1024);
    if (stallAfter % 1024 != 0)
        expected.append(stallAfter % 1024);
    expected.append(0);
    QCOMPARE(sizes, expected);
    QVERIFY(body == ScriptedHttpServer::patternBytes(0, stallAfter));
    QCOMPARE(inet.failure(), Inet::Failure::TimedOut);
    QVERIFY(!inet.wasCancelled());
    QVERIFY2(inet.errorString().contains(QLatin1String("second")), qPrintable(inet.errorString()));
}

void TestInet::errorMidBody_data()
{
    QTest::addColumn<bool>("reset");

    QTest::newRow("closed") << false;
    QTest::newRow("reset") << true;
}

void TestInet::errorMidBody()
{
    QFETCH(bool, reset);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(10000);
        response.closeAfterBodyBytes = 3000;
        response.resetOnClose = reset;
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QByteArray body;
    readAll(inet, &body);
    QCOMPARE(body, ScriptedHttpServer::patternBytes(0, 3000));
    QCOMPARE(inet.failure(), Inet::Failure::ConnectionClosed);
}

void TestInet::malformedFramingFails_data()
{
    QTest::addColumn<QByteArray>("transferEncoding");
    QTest::addColumn<QByteArray>("secondLength");
    QTest::addColumn<QByteArray>("body");

    // Each would otherwise end as a short body that looks whole.
    QTest::newRow("bad chunk size") << QByteArray("chunked") << QByteArray()
                                    << QByteArray("5\r\nhello\r\nzz\r\n");
    QTest::newRow("two different Content-Lengths")
        << QByteArray() << QByteArray("5000") << QByteArray(3000, 'x');
}

void TestInet::malformedFramingFails()
{
    QFETCH(QByteArray, transferEncoding);
    QFETCH(QByteArray, secondLength);
    QFETCH(QByteArray, body);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response;
        response.body = body;
        response.length
            = secondLength.isEmpty() ? ScriptedResponse::Length::Omit : ScriptedResponse::Length::Exact;
        if (!transferEncoding.isEmpty())
            response.headers.append({"Transfer-Encoding", transferEncoding});
        if (!secondLength.isEmpty())
            response.headers.append({"Content-Length", secondLength});
        response.closeAfterBodyBytes = body.size();
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    readAll(inet);
    // A framing fault, not a broken connection.
    QCOMPARE(inet.failure(), Inet::Failure::Protocol);
    QVERIFY(!inet.errorString().isEmpty());
}

void TestInet::cancel()
{
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(1 << 20);
        response.stallAfterBodyBytes = 4096;
        return response;
    });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QCOMPARE(inet.getChunk(1024).size(), 1024);
    // Cancel while a read is waiting for data that never comes.
    QTimer::singleShot(50, &inet, [&] { inet.cancel(); });
    QByteArray chunk;
    do {
        chunk = inet.getChunk(1024);
    } while (chunk.size() >= 2);
    QVERIFY(chunk.isEmpty());
    QVERIFY(inet.wasCancelled());
    QVERIFY(!inet.stillExecuting());
    QVERIFY(!inet.hasFailed());
    QVERIFY(inet.getChunk(1024).isEmpty());

    // Cancel while still waiting for the headers.
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response;
        response.closeWithoutResponse = false;
        response.stallAfterBodyBytes = 0;
        response.trickleIntervalMs = 0;
        response.splits = {};
        response.generatedSize = 10;
        response.status = 200;
        return response;
    });
    start(inet);
    QVERIFY(inet.stillExecuting());
    inet.cancel();
    QVERIFY(!inet.stillExecuting());
    QVERIFY(inet.getChunk(1024).isEmpty());
}

void TestInet::readBufferIsBounded()
{
    const qint64 size = qint64(256) << 20;
    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    QCOMPARE(inet.getChunk(1024).size(), 1024);
    // Let the events run for a while without reading: the reply must not swallow the body.
    runEventsFor(500);
    QVERIFY2(m_server->bodyBytesSent() < 32 * 1024 * 1024,
        qPrintable(QStringLiteral("%1 bytes went out unread").arg(m_server->bodyBytesSent())));
    inet.cancel();
}

void TestInet::readerBehindTheNetwork_data()
{
    QTest::addColumn<QList<qint64>>("chunkSizes"); // the last one repeats

    QTest::newRow("1024") << QList<qint64>{1024};
    QTest::newRow("1000") << QList<qint64>{1000};
    QTest::newRow("1023") << QList<qint64>{1023};
    QTest::newRow("3000") << QList<qint64>{3000};
    QTest::newRow("one odd chunk, then 1024") << QList<qint64>{1000, 1024};
}

// Qt's bounded read buffer only takes in more of the body once it has been read empty. A reader
// that waits for a whole chunk while a few bytes still sit in it must still get the whole body.
void TestInet::readerBehindTheNetwork()
{
    QFETCH(QList<qint64>, chunkSizes);

    const qint64 size = 1 << 20;
    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    Inet inet;
    inet.setRequestTimeout(2);
    start(inet);
    waitWhileBusy(inet);
    // Fall behind: let the read buffer fill up before reading anything.
    runEventsFor(200);

    QByteArray body;
    QByteArray chunk;
    for (qsizetype i = 0;; ++i) {
        const qint64 wanted = chunkSizes.at(std::min(i, chunkSizes.size() - 1));
        inet.getChunk(chunk, wanted);
        body.append(chunk);
        if (chunk.size() < wanted)
            break;
    }
    QVERIFY2(!inet.hasFailed(), qPrintable(inet.errorString()));
    QCOMPARE(body.size(), size);
    QVERIFY(body == ScriptedHttpServer::patternBytes(0, size));
}

// Counts the wake-ups of one request whose connection the server then closes while the program is idle.
// libcurl leaves a finished request's connection unwatched (CURL_POLL_REMOVE): an end-of-file on a
// socket that is still watched would wake the program without end.
void TestInet::idleConnectionStaysQuiet()
{
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(2000); });
    Inet inet;
    start(inet);
    waitWhileBusy(inet);
    readAll(inet);
    QVERIFY(!inet.hasFailed());
    QCOMPARE(m_server->openConnectionCount(), 1); // kept alive for the next request

    m_server->close();
    const int before = inet.wakeUps().socket;
    runEventsFor(300);
    QVERIFY2(inet.wakeUps().socket - before <= 2,
        qPrintable(QStringLiteral("%1 wake-ups while idle").arg(inet.wakeUps().socket - before)));
}

// A connect in progress is told by the socket turning writable; without the write notifier it would
// only be seen on libcurl's next time-out.
void TestInet::connectWakesOnTheSocket()
{
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(10); });
    int timerWakeUps = 0;
    const int requests = 5;
    for (int i = 0; i < requests; ++i) {
        Inet inet; // a new one each time: a new connection each time
        start(inet);
        waitWhileBusy(inet);
        QCOMPARE(inet.statusCode(), 200);
        timerWakeUps += inet.wakeUps().timer;
    }
    QVERIFY2(timerWakeUps <= requests + 1, qPrintable(QStringLiteral("%1 timer wake-ups").arg(timerWakeUps)));
}

void TestInet::tlsEnd_data()
{
    QTest::addColumn<bool>("closeNotify");

    QTest::newRow("ended with close_notify") << true;
    // What a cut made on the way looks like: without a length, only close_notify tells the end.
    QTest::newRow("closed without close_notify") << false;
}

// An https answer without a length, from a server whose throwaway certificate is trusted as a user's own
// certificate authority would be.
void TestInet::tlsEnd()
{
    QFETCH(bool, closeNotify);

    QTemporaryDir keys;
    QProcess openssl;
    openssl.setWorkingDirectory(keys.path());
    openssl.start(u"openssl"_qs,
        u"req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
        "-subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 -keyout key -out cert"_qs.split(u' '));
    QFile key(keys.filePath(u"key"_qs));
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0 || !key.open(QIODevice::ReadOnly))
        QSKIP("needs openssl to make a certificate");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate::fromPath(keys.filePath(u"cert"_qs)).value(0));
    tls.setPrivateKey(QSslKey(&key, QSsl::Ec));
    QSslServer server;
    server.setSslConfiguration(tls);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray body = ScriptedHttpServer::patternBytes(0, 100000);
    connect(&server, &QSslServer::pendingConnectionAvailable, this, [&] {
        auto *socket = static_cast<QSslSocket *>(server.nextPendingConnection());
        connect(socket, &QSslSocket::readyRead, socket, [socket, &body] {
            if (socket->readAll().contains("\r\n\r\n"))
                socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body);
        });
        connect(socket, &QSslSocket::encryptedBytesWritten, socket, [socket, closeNotify] {
            if (socket->encryptedBytesToWrite() == 0 && socket->bytesToWrite() == 0)
                closeNotify ? socket->disconnectFromHost() : socket->abort();
        });
    });
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    const QByteArray bundle = qgetenv("CURL_CA_BUNDLE");
    qputenv("CURL_CA_BUNDLE", QFile::encodeName(keys.filePath(u"cert"_qs)));
    const auto restore = qScopeGuard([&] { qputenv("CURL_CA_BUNDLE", bundle); });

    Inet inet;
    start(inet, u"https://127.0.0.1:%1/tool.rar"_qs.arg(server.serverPort()));
    waitWhileBusy(inet);
    QByteArray received;
    readAll(inet, &received);
    QVERIFY(received == body);
    QCOMPARE(inet.failure(), closeNotify ? Inet::Failure::None : Inet::Failure::ConnectionClosed);
}

QTEST_GUILESS_MAIN(TestInet)
#include "tst_inet.moc"
