#include "support/nginxfixture.h"
#include "support/scriptedhttpserver.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray servedKey = QByteArrayLiteral("218:vorn-tandem-loader-v1.30");
constexpr qint64 servedSize = 3 * 1024 * 1024 + 17;

struct RawExchange
{
    QByteArray head;
    QByteArray body;
};

// One request with Connection: close, read to the end, so the test sees
// exactly what nginx sent.
RawExchange exchange(quint16 port, const QByteArray &requestHead)
{
    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &socket, [&] { closed = true; });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(requestHead);
    if (!QTest::qWaitFor([&] { return closed; }, 60000))
        return {};
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return {received, {}};
    return {received.left(end + 4), received.mid(end + 4)};
}

QByteArray proxyGet(const QByteArray &target, const QByteArray &extra = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: downloads.vorn.example\r\nConnection: close\r\n" + extra + "\r\n";
}

QByteArray catalogTarget(const QByteArray &download)
{
    return "http://downloads.vorn.example/index.php?option=com_phocadownload&view=category&id=3:v.o.r.n-tools"
           "&download="
            + download + "&Itemid=10";
}

} // namespace

class TestNginxConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void servesCatalogKey_data();
    void servesCatalogKey();
    void refusesEverythingElse_data();
    void refusesEverythingElse();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<NginxFixture> m_nginx;
    QByteArray m_sha256;
};

void TestNginxConfig::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString files = m_dir.filePath(u"files"_s);
    QVERIFY(QDir().mkpath(files));
    QString error;
    m_sha256 = NginxFixture::writeKeyFile(files, servedKey, servedSize, &error);
    QVERIFY2(!m_sha256.isEmpty(), qPrintable(error));
    // What the traversal attempts below aim at.
    QFile secret(m_dir.filePath(u"secret"_s));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("secret\n");
    secret.close();
    QVERIFY(QDir(files).mkpath(u"219:folder"_s));

    m_nginx = std::make_unique<NginxFixture>(files);
    QVERIFY2(m_nginx->start(), qPrintable(m_nginx->errorString()));
}

void TestNginxConfig::servesCatalogKey_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("statusLine");

    QTest::newRow("as the program asks")
            << proxyGet(catalogTarget(servedKey), "Range: bytes=0-\r\nAccept-Encoding: identity\r\n")
            << "HTTP/1.1 206 Partial Content"_ba;
    QTest::newRow("without range, gzip welcome")
            << proxyGet(catalogTarget(servedKey), "Accept-Encoding: gzip, deflate\r\n") << "HTTP/1.1 200 OK"_ba;
    QTest::newRow("origin form, other host")
            << "GET /index.php?download=218:vorn-tandem-loader-v1.30 HTTP/1.1\r\nHost: elsewhere.example\r\n"
               "Connection: close\r\n\r\n"_ba
            << "HTTP/1.1 200 OK"_ba;
}

void TestNginxConfig::servesCatalogKey()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, statusLine);

    const RawExchange reply = exchange(m_nginx->port(), request);
    QVERIFY2(reply.head.startsWith(statusLine + "\r\n"), reply.head.constData());
    const QByteArray head = reply.head.toLower();
    QVERIFY(head.contains("\r\ncontent-length: " + QByteArray::number(servedSize) + "\r\n"));
    QVERIFY(head.contains("\r\ncontent-type: application/octet-stream\r\n"));
    QVERIFY(!head.contains("content-encoding"));
    QCOMPARE(reply.body.size(), servedSize);
    QVERIFY(reply.body == ScriptedHttpServer::patternBytes(NginxFixture::keyPatternOffset(servedKey), servedSize));
}

void TestNginxConfig::refusesEverythingElse_data()
{
    QTest::addColumn<QByteArray>("target");

    QTest::newRow("missing key") << catalogTarget("217:vorn-scanner-v1.40");
    QTest::newRow("no download item") << "http://downloads.vorn.example/index.php?option=com_phocadownload"_ba;
    QTest::newRow("empty key") << catalogTarget("");
    QTest::newRow("dot dot") << catalogTarget("../secret");
    QTest::newRow("dot dot after key number") << catalogTarget("218:../../secret");
    QTest::newRow("encoded dot dot") << catalogTarget("%2e%2e%2fsecret");
    QTest::newRow("encoded slash in slug") << catalogTarget("218:..%2f..%2fsecret");
    QTest::newRow("upper case") << catalogTarget("218:VORN-TANDEM-LOADER-V1.30");
    QTest::newRow("slug starts with dot") << catalogTarget("218:.x");
    QTest::newRow("folder") << catalogTarget("219:folder");
    QTest::newRow("key as path") << "http://downloads.vorn.example/218:vorn-tandem-loader-v1.30"_ba;
    QTest::newRow("other script") << "http://downloads.vorn.example/index.php/x?download=218:vorn-tandem-loader-v1.30"_ba;
    QTest::newRow("config") << "http://downloads.vorn.example/../nginx.conf"_ba;
}

void TestNginxConfig::refusesEverythingElse()
{
    QFETCH(QByteArray, target);

    const RawExchange reply = exchange(m_nginx->port(), proxyGet(target));
    QVERIFY2(reply.head.startsWith("HTTP/1.1 404 ") || reply.head.startsWith("HTTP/1.1 400 "), reply.head.constData());
    QVERIFY(!reply.body.contains("secret"));
}

QTEST_GUILESS_MAIN(TestNginxConfig)

#include "tst_nginxconfig.moc"
