#include "support/scriptedhttpserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

const QByteArray catalogUrl = QByteArrayLiteral(
    "http://downloads.vorn.example/index.php?option=com_phocadownload&view=category&id=3:v.o.r.n-tools"
    "&download=218:vorn-tandem-loader-v1.30&Itemid=10");

// A bare client that sends `request` as it is, so the tests see exactly what went over the wire.
struct RawClient
{
    RawClient(quint16 port, const QByteArray &request)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] { received += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, &socket, [this] { closed = true; });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write(request);
    }
    QByteArray head() const
    {
        const qsizetype end = received.indexOf("\r\n\r\n");
        return end < 0 ? QByteArray() : received.left(end + 4);
    }
    QByteArray body() const { return received.mid(head().size()); }

    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
};

QByteArray getRequest(const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: downloads.vorn.example\r\n\r\n";
}

} // namespace

class TestScriptedHttpServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pattern();
    void bodyThroughQtProxyClient_data();
    void bodyThroughQtProxyClient();
    void pipelinedRequestsOnOneConnection();
    void cutShort_data();
    void cutShort();
};

void TestScriptedHttpServer::pattern()
{
    const qint64 period = ScriptedHttpServer::patternPeriod;
    const QByteArray wrap = ScriptedHttpServer::patternBytes(period - 4, 8);
    QCOMPARE(wrap.mid(4), ScriptedHttpServer::patternBytes(0, 4));
    QCOMPARE(
        ScriptedHttpServer::patternBytes(5 * period + 17, 4096), ScriptedHttpServer::patternBytes(17, 4096));
    const QByteArray all = ScriptedHttpServer::patternBytes(0, period + 1);
    QVERIFY(std::adjacent_find(all.cbegin(), all.cend()) == all.cend()); // neighbours always differ
    // Not a short cycle either: a shifted copy must not line up.
    for (qint64 shift : {1, 2, 4, 64, 4096, 65536, 262144}) {
        QVERIFY(std::memcmp(all.constData(), all.constData() + shift, 65536) != 0);
    }
}

void TestScriptedHttpServer::bodyThroughQtProxyClient_data()
{
    QTest::addColumn<ScriptedResponse>("response");
    QTest::addColumn<QByteArray>("expected");

    using R = ScriptedResponse;
    QTest::newRow("literal") << R{.body = "hello archive"} << "hello archive"_ba;
    const qint64 size = 3 * ScriptedHttpServer::patternBlockSize + 12345;
    const QByteArray body = ScriptedHttpServer::patternBytes(0, size);
    QTest::newRow("generated") << R::generated(size) << body;
    const qint64 offset = ScriptedHttpServer::patternPeriod - 1000;
    QTest::newRow("generated from offset") << R{.generatedSize = size, .generatedOffset = offset}
                                           << ScriptedHttpServer::patternBytes(offset, size);
    QTest::newRow("chunked") << R{.chunked = true, .generatedSize = size} << body;
    QTest::newRow("no length, ends at close") << R{.length = R::Length::Omit, .generatedSize = size} << body;
    const R splits{.chunked = true, .generatedSize = size, .splits = {1, 2, 1000, 70000}};
    QTest::newRow("chunked splits") << splits << body;
    QTest::newRow("trickle") << R{.generatedSize = 5000, .trickleIntervalMs = 1, .trickleBytes = 700}
                             << ScriptedHttpServer::patternBytes(0, 5000);
    QTest::newRow("empty chunked") << R{.chunked = true} << QByteArray();
}

void TestScriptedHttpServer::bodyThroughQtProxyClient()
{
    QFETCH(ScriptedResponse, response);
    QFETCH(QByteArray, expected);

    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setResponder([&](const ScriptedRequest &) { return response; });

    QNetworkAccessManager manager;
    manager.setProxy(server.proxy());
    // Twice, so the second request exercises keep-alive after this response.
    for (int round = 0; round < 2; ++round) {
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl::fromEncoded(catalogUrl)));
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60000);
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        const QByteArray body = reply->readAll();
        QCOMPARE(body.size(), expected.size());
        QVERIFY(body == expected);
        reply->deleteLater();
    }

    const QList<ScriptedRequest> requests = server.requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(0).method, "GET"_ba);
    QCOMPARE(requests.at(0).target, catalogUrl);
    QCOMPARE(requests.at(0).version, "HTTP/1.1"_ba);
    QCOMPARE(requests.at(0).queryItem("download"), "218:vorn-tandem-loader-v1.30"_ba);
    QCOMPARE(requests.at(0).header("host"), "downloads.vorn.example"_ba);
    QVERIFY(requests.at(0).rawHead.startsWith(QByteArray("GET " + catalogUrl + " HTTP/1.1\r\n")));
    QVERIFY(requests.at(0).rawHead.endsWith("\r\n\r\n"));
    const bool closes = response.length == ScriptedResponse::Length::Omit;
    QCOMPARE(server.connectionCount(), closes ? 2 : 1);
    QCOMPARE(server.bodyBytesSent(), 2 * expected.size());
}

void TestScriptedHttpServer::pipelinedRequestsOnOneConnection()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setResponder([](const ScriptedRequest &request) {
        ScriptedResponse response;
        response.body = request.target;
        response.splits = {3};
        return response;
    });

    // All three in one write, one with a request body that must be skipped.
    RawClient client(server.port(),
        getRequest("/first")
            + "POST http://downloads.vorn.example/second HTTP/1.1\r\nContent-Length: 5\r\n\r\n" + "GET /x"
            + getRequest("/third"));
    const QByteArray expected
        = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n/first"
          "HTTP/1.1 200 OK\r\nContent-Length: 36\r\n\r\nhttp://downloads.vorn.example/second"
          "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n/third"_ba;
    QTRY_COMPARE(client.received.size(), expected.size());
    QCOMPARE(client.received, expected);
    QVERIFY(!client.closed);

    QCOMPARE(server.connectionCount(), 1);
    const QList<ScriptedRequest> requests = server.requests();
    QCOMPARE(requests.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(requests.at(i).connection, 0);
        QCOMPARE(requests.at(i).indexOnConnection, i);
    }
    QCOMPARE(requests.at(1).method, "POST"_ba);

    client.socket.close();
    QTRY_COMPARE(server.openConnectionCount(), 0);
}

void TestScriptedHttpServer::cutShort_data()
{
    QTest::addColumn<ScriptedResponse>("response");
    QTest::addColumn<QByteArray>("expectedHead");
    QTest::addColumn<qint64>("expectedBodyBytes"); // -1: the client goes away after a MiB of it
    QTest::addColumn<bool>("serverCloses");

    using R = ScriptedResponse;
    const auto cut = [](bool reset) {
        R response = R::generated(1000000);
        response.closeAfterBodyBytes = 300000;
        response.resetOnClose = reset;
        return response;
    };
    const auto stall = [](qint64 after) { return R{.generatedSize = 1000000, .stallAfterBodyBytes = after}; };
    const QByteArray closing = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                               "Content-Length: 1000000\r\nConnection: close\r\n\r\n";
    QTest::newRow("close mid-body") << cut(false) << closing << qint64(300000) << true;
    QTest::newRow("reset mid-body") << cut(true) << closing << qint64(300000) << true;
    const QByteArray bare = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n";
    QTest::newRow("stall mid-body") << stall(70000) << bare << qint64(70000) << false;
    QTest::newRow("stall after head") << stall(0) << bare << qint64(0) << false;
    QTest::newRow("custom length")
        << R{.length = R::Length::Custom, .contentLengthValue = "  2500 bytes", .body = QByteArray(2500, 'x')}
        << "HTTP/1.1 200 OK\r\nContent-Length:   2500 bytes\r\nConnection: close\r\n\r\n"_ba << qint64(2500)
        << true;
    QTest::newRow("close without response")
        << R{.closeWithoutResponse = true} << QByteArray() << qint64(0) << true;
    QTest::newRow("never respond") << R{.neverRespond = true} << QByteArray() << qint64(0) << false;
    QTest::newRow("clientGoesAwayMidBody")
        << R::generated(qint64(1) << 32) << QByteArray() << qint64(-1) << false;
}

void TestScriptedHttpServer::cutShort()
{
    QFETCH(ScriptedResponse, response);
    QFETCH(QByteArray, expectedHead);
    QFETCH(qint64, expectedBodyBytes);
    QFETCH(bool, serverCloses);

    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setResponder([&](const ScriptedRequest &) { return response; });

    RawClient client(server.port(), getRequest(catalogUrl));
    QTRY_COMPARE(server.requestCount(), 1);
    if (expectedBodyBytes < 0) {
        QTRY_VERIFY(client.body().size() > 1000000);
    } else {
        QTRY_COMPARE(client.head(), expectedHead);
        QTRY_COMPARE(client.body().size(), expectedBodyBytes);
        QTRY_COMPARE(client.closed, serverCloses);
        QTRY_COMPARE(server.openConnectionCount(), serverCloses ? 0 : 1);
        QCOMPARE(server.bodyBytesSent(), expectedBodyBytes);
        QVERIFY(client.body() == ScriptedHttpServer::patternBytes(0, expectedBodyBytes)
            || response.generatedSize < 0);
    }
    QCOMPARE(server.requestCount(), 1);
    client.socket.close();
    QTRY_COMPARE(server.openConnectionCount(), 0);
    // A client that goes away stops the sending.
    QVERIFY(expectedBodyBytes >= 0 || server.bodyBytesSent() < response.generatedSize);

    // And it still serves.
    server.setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(10); });
    RawClient next(server.port(), getRequest("/small"));
    QTRY_COMPARE(next.body(), ScriptedHttpServer::patternBytes(0, 10));
}

QTEST_GUILESS_MAIN(TestScriptedHttpServer)

#include "tst_scriptedhttpserver.moc"
