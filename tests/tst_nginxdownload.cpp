#include "catalog/toolcatalog.h"
#include "support/scriptedhttpserver.h"
#include "support/windowtest.h"
#include "transfer/inet.h"
#include "ui/form1.h"
#include "wording/failuremessage.h"

#include <QFile>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The nginx that the CTest fixture started with scripts/demo-server.
QString fixturePath(const QString &name)
{
    return QDir(qEnvironmentVariable("VORN_NGINX_STATE")).filePath(name);
}

// The catalog's own URL for a tool, with another download key in it.
QString urlWithKey(const QByteArray &key)
{
    const CatalogEntry &entry = ToolCatalog::entries().first();
    return QString(entry.url).replace(entry.downloadKey, QString::fromLatin1(key));
}

} // namespace

// The real thing: Debian's nginx serving the catalog's keys, fetched through the Download button.
class TestNginxDownload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void downloadButtonFetchesExactBytes_data();
    void downloadButtonFetchesExactBytes();
    void onlyCatalogShapedKeysAreServed_data();
    void onlyCatalogShapedKeysAreServed();

private:
    QTemporaryDir m_programFolder;
    QHash<int, std::pair<qint64, qint64>> m_served; // each key's size and place in the pattern
};

void TestNginxDownload::initTestCase()
{
    const QUrl server(QString::fromLatin1(readFile(fixturePath(QStringLiteral("url"))).trimmed()));
    QVERIFY2(server.isValid() && server.port() > 0,
        "no nginx: run this test through ctest, whose fixture starts it");
    for (int position = 1; position <= ToolCatalog::count(); ++position) {
        const QByteArray key = ToolCatalog::entries().at(position - 1).downloadKey.toLatin1();
        // Sizes around the chunk and buffer boundaries, and one of several MiB; each key its own bytes.
        const qint64 size = position == 1 ? 5 * 1024 * 1024 + 3 : 1000 * position + (position % 3);
        const qint64 offset = 7919 * position;
        QVERIFY(writeFile(fixturePath(u"files/"_qs + QString::fromLatin1(key)),
            ScriptedHttpServer::patternBytes(offset, size)));
        m_served.insert(position, {size, offset});
    }
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, server.host(), quint16(server.port())));
}

void TestNginxDownload::cleanupTestCase()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void TestNginxDownload::downloadButtonFetchesExactBytes_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("several MiB") << 1;
    QTest::newRow("small") << 2;
    QTest::newRow("last entry") << 11;
}

void TestNginxDownload::downloadButtonFetchesExactBytes()
{
    QFETCH(int, position);
    Form1 form(m_programFolder.path());
    const DownloadRun run = downloadFromWindow(form, position);
    QCOMPARE(run.results.size(), 1);
    const TransferResult result = run.result();
    QVERIFY2(result.outcome == TransferResult::Outcome::Complete,
        qPrintable(FailureMessage::text(ToolCatalog::displayName(position), result) + QLatin1Char('\n')
            + QString::fromLocal8Bit(readFile(fixturePath(QStringLiteral("nginx/error.log"))))));

    const QString archive = ToolCatalog::destinationPath(m_programFolder.path(), position);
    const auto [size, offset] = m_served.value(position);
    QString mismatch;
    QVERIFY2(ScriptedHttpServer::fileMatchesPattern(archive, size, offset, &mismatch), qPrintable(mismatch));
    // nginx answers the range request with 206, which is a success like 200.
    QVERIFY(form.Inet1->statusCode() == 206 || form.Inet1->statusCode() == 200);
}

void TestNginxDownload::onlyCatalogShapedKeysAreServed_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("status");
    const QByteArray catalogKey = ToolCatalog::entries().at(1).downloadKey.toLatin1();
    QTest::newRow("catalog key") << catalogKey << 206;
    QTest::newRow("parent folder") << QByteArray("../etc/passwd") << 404;
    QTest::newRow("slash inside") << QByteArray("218:../../etc/passwd") << 404;
    QTest::newRow("encoded slash") << QByteArray("218%3A..%2F..%2Fetc%2Fpasswd") << 404;
    QTest::newRow("no number") << catalogKey.mid(catalogKey.indexOf(':') + 1) << 404;
    QTest::newRow("empty") << QByteArray() << 404;
}

void TestNginxDownload::onlyCatalogShapedKeysAreServed()
{
    QFETCH(QByteArray, key);
    QFETCH(int, status);
    Inet inet;
    inet.setUrl(urlWithKey(key));
    inet.execute(QStringLiteral("GET"), QStringLiteral("Range: bytes=0-\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!inet.stillExecuting(), 60000);
    QCOMPARE(inet.statusCode(), status);
    inet.cancel();
}

QTEST_MAIN(TestNginxDownload)
#include "tst_nginxdownload.moc"
