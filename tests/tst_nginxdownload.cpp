#include "catalog/toolcatalog.h"
#include "controls/eventpump.h"
#include "controls/inet.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "support/nginxfixture.h"
#include "ui/form1.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
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
    QTemporaryDir m_files;
    QTemporaryDir m_programFolder;
    QHash<int, QByteArray> m_sha256;
    QHash<int, qint64> m_sizes;
    std::unique_ptr<NginxFixture> m_nginx;
};

void TestNginxDownload::initTestCase()
{
    if (NginxFixture::nginxProgram().isEmpty())
        QFAIL("nginx is not installed (scripts/install-deps installs it)");
    for (int position = 1; position <= ToolCatalog::count(); ++position) {
        const QByteArray key = ToolCatalog::entries().at(position - 1).downloadKey.toLatin1();
        // Sizes around the chunk and buffer boundaries, and one of several MiB.
        const qint64 size = position == 1 ? 5 * 1024 * 1024 + 3 : 1000 * position + (position % 3);
        QString error;
        const QByteArray sha = NginxFixture::writeKeyFile(m_files.path(), key, size, &error);
        QVERIFY2(!sha.isEmpty(), qPrintable(error));
        m_sha256.insert(position, sha);
        m_sizes.insert(position, size);
    }
    m_nginx = std::make_unique<NginxFixture>(m_files.path());
    QVERIFY2(m_nginx->start(), qPrintable(m_nginx->errorString()));
    QNetworkProxy::setApplicationProxy(m_nginx->proxy());
}

void TestNginxDownload::cleanupTestCase()
{
    m_nginx.reset();
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
    form.Combo1->setCurrentIndex(form.Combo1->findText(ToolCatalog::displayName(position)));
    QCOMPARE(form.Combo1->text(), ToolCatalog::displayName(position));
    TransferResult result;
    result.outcome = TransferResult::Outcome::Cancelled;
    connect(&form.commands(), &DownloadCommands::transferFinished, this,
        [&](const QString &, const TransferResult &finished) { result = finished; });
    form.xpButton4->click();
    QVERIFY2(result.outcome == TransferResult::Outcome::Complete,
        qPrintable(DownloadCommands::failureMessage(ToolCatalog::displayName(position), result)
            + QLatin1Char('\n') + QString::fromLocal8Bit(m_nginx->errorLog())));

    const QString archive = ToolCatalog::destinationPath(m_programFolder.path(), position);
    QCOMPARE(QFileInfo(archive).size(), m_sizes.value(position));
    QCOMPARE(sha256Of(archive), m_sha256.value(position));
    // nginx answers the range request with 206, which is a success like 200.
    QVERIFY(form.Inet1->statusCode() == 206 || form.Inet1->statusCode() == 200);
}

void TestNginxDownload::onlyCatalogShapedKeysAreServed_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("status");
    QTest::newRow("catalog key") << QByteArray("217:vorn-scanner-v1.40") << 206;
    QTest::newRow("parent folder") << QByteArray("../etc/passwd") << 404;
    QTest::newRow("slash inside") << QByteArray("218:../../etc/passwd") << 404;
    QTest::newRow("encoded slash") << QByteArray("218%3A..%2F..%2Fetc%2Fpasswd") << 404;
    QTest::newRow("no number") << QByteArray("vorn-scanner-v1.40") << 404;
    QTest::newRow("empty") << QByteArray() << 404;
}

void TestNginxDownload::onlyCatalogShapedKeysAreServed()
{
    QFETCH(QByteArray, key);
    QFETCH(int, status);
    Inet inet;
    inet.setUrl(QString::fromLatin1(NginxFixture::downloadUrl(key).toEncoded()));
    inet.execute(QStringLiteral("GET"), QStringLiteral("Range: bytes=0-\r\n"));
    while (inet.stillExecuting())
        EventPump::waitForMoreEvents();
    QCOMPARE(inet.statusCode(), status);
    inet.cancel();
}

QTEST_MAIN(TestNginxDownload)
#include "tst_nginxdownload.moc"
