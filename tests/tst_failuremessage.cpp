#include "ui/failuremessage.h"

#include <QScopeGuard>
#include <QTest>

namespace {

const QString tool = u"Vorn Scanner V1.40"_qs;

TransferResult ending(TransferResult::Outcome outcome, const QString &reason = {})
{
    TransferResult result;
    result.outcome = outcome;
    result.reason = reason;
    result.received = 300000;
    result.expected = 900000;
    result.path = u"/d/Vorn Scanner V1.40.rar.part"_qs;
    return result;
}

} // namespace

// The window's words for how a transfer ended, as rows of the wording table.
class TestFailureMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wording_data();
    void wording();
    void serverText_data();
    void serverText();
    void outcome_data();
    void outcome();
};

// The kinds of failure the scripted server cannot cause cheaply (a name, a certificate), and the locale's
// numbers.
void TestFailureMessage::wording_data()
{
    using Kind = TransferFailure::Kind;
    using Outcome = TransferResult::Outcome;
    QTest::addColumn<TransferResult>("result");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    const QString failed = tool + u" could not be downloaded: "_qs;
    // libcurl's message is the detail, for the log: never shown, with its unformatted numbers.
    const auto failure = [](Outcome outcome, Kind kind, const QString &systemReason = {}) {
        TransferResult result = ending(outcome);
        result.failure = {.kind = kind, .systemReason = systemReason, .detail = u"libcurl: 600000 bytes"_qs};
        return result;
    };
    QTest::newRow("name not found") << failure(Outcome::NetworkFailed, Kind::NameNotFound) << u"C"_qs
                                    << failed + u"the server's name was not found."_qs;
    QTest::newRow("certificate refused")
        << failure(Outcome::NetworkFailed, Kind::Tls, u"self-signed certificate"_qs) << u"C"_qs
        << failed + u"the secure connection could not be set up (self-signed certificate)."_qs;
    // Each certificate failure says which; where the certificates to trust were named, it names them.
    const auto certificate = [&](const char *tag, Kind kind, const QString &reason, const QString &text) {
        TransferResult result = failure(Outcome::NetworkFailed, kind, reason);
        if (text.contains(u"CURL_CA_BUNDLE"_qs)) {
            result.failure.variable = u"CURL_CA_BUNDLE"_qs;
            result.failure.path = u"/tmp/ca\x1b.pem"_qs;
        }
        QTest::newRow(tag) << result << u"C"_qs << failed + text;
    };
    certificate("certificate file setting", Kind::CertificateFileSetting, {},
        u"the certificate setting CURL_CA_BUNDLE=/tmp/ca.pem does not name a file."_qs);
    certificate("certificate folder setting", Kind::CertificateFolderSetting, {},
        u"the certificate setting CURL_CA_BUNDLE=/tmp/ca.pem does not name a folder."_qs);
    certificate("certificate file unreadable", Kind::CertificateFileUnreadable, {},
        u"the certificates to trust could not be read from CURL_CA_BUNDLE=/tmp/ca.pem."_qs);
    certificate("certificate name", Kind::CertificateNameMismatch, {},
        u"the server's certificate is not made out to its name."_qs);
    certificate("certificate issuer", Kind::CertificateUntrusted, u"self-signed certificate"_qs,
        u"the server's certificate is not from an issuer trusted here (self-signed certificate)."_qs);
    certificate("certificate expired", Kind::CertificateExpired, u"certificate has expired"_qs,
        u"the server's certificate has expired."_qs);
    QTest::newRow("closed mid-body, German numbers")
        << failure(Outcome::Incomplete, Kind::ConnectionClosed) << u"de_DE"_qs
        << u"The download of Vorn Scanner V1.40 is incomplete: the server closed the connection after "
           "293,0 of 878,9 KiB.\nThe partial data is kept in /d/Vorn Scanner V1.40.rar.part."_qs;
    // The file's own reasons are clauses: the sentence around them ends them.
    QTest::newRow("cannot write") << ending(Outcome::CannotWrite, u"another download is writing this file"_qs)
                                  << u"C"_qs
                                  << tool
            + u" could not be saved to /d/Vorn Scanner V1.40.rar.part: another "
              "download is writing this file."_qs;
    // The proxy and the setting it came from are named, whether the setting cannot be read (malformed,
    // a port out of range) or the proxy fails.
    const auto atProxy
        = [&](Kind kind, const QString &source, const QString &address, const QString &why = {}) {
              TransferResult result = failure(Outcome::NetworkFailed, kind, why);
              result.failure.proxy = address;
              result.failure.proxySource = source;
              result.failure.atProxy = kind != Kind::ProxySetting;
              return result;
          };
    QTest::newRow("proxy port closed")
        << atProxy(
               Kind::CouldNotConnect, u"http_proxy"_qs, u"http://127.0.0.1:9"_qs, u"Connection refused"_qs)
        << u"C"_qs
        << failed + u"could not reach the proxy http_proxy=http://127.0.0.1:9 (Connection refused)."_qs;
    QTest::newRow("proxy name unknown")
        << atProxy(Kind::NameNotFound, u"HTTPS_PROXY"_qs, u"http://proxy.invalid:3128"_qs) << u"C"_qs
        << failed + u"the proxy's name in HTTPS_PROXY=http://proxy.invalid:3128 was not found."_qs;
    QTest::newRow("proxy setting out of range")
        << atProxy(Kind::ProxySetting, u"all_proxy"_qs, u"http://127.0.0.1:99999"_qs) << u"C"_qs
        << failed + u"the proxy setting all_proxy=http://127.0.0.1:99999 cannot be read."_qs;
    QTest::newRow("proxy with a password")
        << atProxy(Kind::CouldNotConnect, u"http_proxy"_qs, u"http://ann:se/cr@t@127.0.0.1:9"_qs) << u"C"_qs
        << failed + u"could not reach the proxy http_proxy=http://127.0.0.1:9."_qs;
    QTest::newRow("proxy without a scheme, with a user")
        << atProxy(Kind::ProxySetting, u"ALL_PROXY"_qs, u"ann:secret@127.0.0.1:99999"_qs) << u"C"_qs
        << failed + u"the proxy setting ALL_PROXY=127.0.0.1:99999 cannot be read."_qs;
    TransferResult refused = atProxy(Kind::Protocol, QString(), u"http://10.0.0.1:8080"_qs);
    refused.failure.serverText = u"403"_qs;
    QTest::newRow("proxy refuses CONNECT") << refused << u"C"_qs
                                           << failed
            + u"the proxy http://10.0.0.1:8080 from the desktop's settings refused to open a connection to "
              "the server (it answered 403)."_qs;
    QTest::newRow("head too large") << failure(Outcome::NetworkFailed, Kind::HeadTooLarge) << u"C"_qs
                                    << failed + u"the server's answer head is too large."_qs;
    TransferResult statusLine = failure(Outcome::NetworkFailed, Kind::BadStatusLine);
    statusLine.failure.serverText = u"HTTP/1.1 2000 \x1b[2JOK"_qs;
    QTest::newRow("status line") << statusLine << u"C"_qs
                                 << failed
            + u"the server's status line cannot be read: \"HTTP/1.1 2000 [2JOK\"."_qs;
}

void TestFailureMessage::wording()
{
    QFETCH(TransferResult, result);
    QFETCH(QString, locale);
    QFETCH(QString, text);

    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    QCOMPARE(FailureMessage::text(tool, result), text);
}

void TestFailureMessage::serverText_data()
{
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QString>("shown");

    QTest::newRow("404")
        << u"404 Not Found"_qs
        << u"the server answered \"404 Not Found\". The earlier archive, if any, is unchanged."_qs;
    // Server text is never markup: no big green "success" and no live link in the message, which shows
    // it as plain text.
    QTest::newRow("markup in the reason")
        << u"500 <h2><font color=green>Download complete - all OK</font></h2>"
           "<a href=\"http://evil.example/fix\">Click here</a>"_qs
        << u"\"500 <h2><font color=green>Download complete - all OK</font></h2><a href="_qs;
    QTest::newRow("control characters")
        << u"503 Busy\x1b[2J\x07\x08 again"_qs << u"the server answered \"503 Busy[2J again\""_qs;
    QTest::newRow("a page-long reason") << u"502 "_qs + QString(5000, u'x') << u"\"502 xxxx"_qs;
}

void TestFailureMessage::serverText()
{
    QFETCH(QString, statusLine);
    QFETCH(QString, shown);

    const QString text
        = FailureMessage::text(tool, ending(TransferResult::Outcome::ServerRefused, statusLine));
    QVERIFY2(text.startsWith(tool), qPrintable(text));
    QVERIFY2(text.contains(shown), qPrintable(text));
    QVERIFY2(text.size() < 400, qPrintable(text));
    for (const QChar c : text)
        QVERIFY2(c.category() != QChar::Other_Control, qPrintable(text));
}

// The progress bar's line for the last outcome, with the home folder written as "~".
void TestFailureMessage::outcome_data()
{
    using Outcome = TransferResult::Outcome;
    QTest::addColumn<int>("outcome");
    QTest::addColumn<qint64>("received");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("told");

    const QString part = u"/home/ann/tools/Vorn Scanner V1.40.rar.part"_qs;
    QTest::newRow("complete, under the home")
        << int(Outcome::Complete) << qint64(2 << 20) << u"/home/ann/tools/Vorn Scanner V1.40.rar"_qs
        << u"Vorn Scanner V1.40: 2.0 MiB saved in ~/tools"_qs;
    // Another account's home that starts with the same letters is not under this one.
    QTest::newRow("complete, beside the home")
        << int(Outcome::Complete) << qint64(2 << 20) << u"/home/ann2/Vorn Scanner V1.40.rar"_qs
        << u"Vorn Scanner V1.40: 2.0 MiB saved in /home/ann2"_qs;
    // Nothing of a cancelled download is kept, however much had arrived.
    QTest::newRow("cancelled mid-body")
        << int(Outcome::Cancelled) << qint64(10 * 1024) << part << u"Vorn Scanner V1.40: cancelled"_qs;
    QTest::newRow("cancelled before the body")
        << int(Outcome::Cancelled) << qint64(0) << part << u"Vorn Scanner V1.40: cancelled"_qs;
    QTest::newRow("incomplete") << int(Outcome::Incomplete) << qint64(6000) << part
                                << u"Vorn Scanner V1.40: incomplete, 5.9 KiB kept in ~/tools/Vorn Scanner "
                                   "V1.40.rar.part"_qs;
}

void TestFailureMessage::outcome()
{
    QFETCH(int, outcome);
    QFETCH(qint64, received);
    QFETCH(QString, path);
    QFETCH(QString, told);

    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/home/ann");
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
    TransferResult result = ending(TransferResult::Outcome(outcome));
    result.received = received;
    result.path = path;
    QCOMPARE(FailureMessage::outcome(tool, result), told);
}

QTEST_GUILESS_MAIN(TestFailureMessage)
#include "tst_failuremessage.moc"
