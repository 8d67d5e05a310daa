#include "catalog/toolcatalog.h"
#include "download/downloadcommands.h"
#include "download/partfile.h"
#include "support/downloadrun.h"
#include "support/scriptedhttpserver.h"
#include "support/smalldisk.h"
#include "transfer/inet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <numeric>

#include <sys/xattr.h>

namespace {

using Outcome = TransferResult::Outcome;
using Step = std::function<void()>;
using ReportStep = std::function<void(int report)>;

QByteArray keyOf(const ScriptedRequest &request)
{
    return request.queryItem("download");
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(ReportStep)

// The Download and Cancel commands and the transfer routine, against a scripted server, with the tool
// list's text as a plain string and no window.
class TestDownloadCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void reportsEveryRead_data();
    void reportsEveryRead();
    void requestLinePerEntry_data();
    void requestLinePerEntry();
    void alwaysAsksFromByteZero();
    void initialTextFetchesNothing();
    void unlistedEntryOnlyByExactText();
    void pickingAnotherEntryDuringTransfer_data();
    void pickingAnotherEntryDuringTransfer();
    void endsWithNothingSaved_data();
    void endsWithNothingSaved();
    void secondPressIsIgnored();
    void serverRefusal_data();
    void serverRefusal();
    void notTheArchive_data();
    void notTheArchive();
    void truncatedBody_data();
    void truncatedBody();
    void queuedWorkRunsDuringFastTransfer();
    void destination_data();
    void destination();
    void cannotWrite_data();
    void cannotWrite();
    void garbledContentLength();
    void mislabelledByBusybox();
    void largerThan4GiB_data();
    void largerThan4GiB();

private:
    // Presses Download with the tool at `position` picked.
    DownloadRun press(int position, const std::function<void(int report)> &duringTransfer = {});
    QString archivePath(int position) const;
    void useProgramFolder(const QString &folder);

    // A home of its own, so that the download folder is one the test made and watches.
    std::unique_ptr<ServedHome> m_served;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Inet> m_inet;
    std::unique_ptr<DownloadCommands> m_commands;
    QString m_programFolder;
    QString m_choice; // the tool list's text
};

void TestDownloadCommands::init()
{
    m_served = std::make_unique<ServedHome>();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_served->isValid() && m_folder->isValid());
    m_inet = std::make_unique<Inet>();
    m_inet->setRequestTimeout(60);
    useProgramFolder(m_folder->path());
}

void TestDownloadCommands::cleanup()
{
    m_commands.reset();
    m_inet.reset();
    m_served.reset();
    m_folder.reset();
}

void TestDownloadCommands::useProgramFolder(const QString &folder)
{
    m_programFolder = folder;
    m_commands = std::make_unique<DownloadCommands>(
        m_inet.get(), [this] { return m_choice; }, folder);
}

DownloadRun TestDownloadCommands::press(int position, const std::function<void(int report)> &duringTransfer)
{
    m_choice = ToolCatalog::displayName(position);
    DownloadRun run = runDownload(
        *m_commands, [this] { m_commands->downloadPressed(); }, duringTransfer);
    [&] { QVERIFY2(!run.timedOut, "the download command did not end within its time"); }();
    return run;
}

QString TestDownloadCommands::archivePath(int position) const
{
    return ToolCatalog::destinationPath(m_programFolder, position);
}

void TestDownloadCommands::reportsEveryRead_data()
{
    QTest::addColumn<ScriptedResponse>("answer");
    QTest::addColumn<qint64>("size"); // of the archive
    QTest::addColumn<qint64>("announced"); // as the size known; 0: unknown
    QTest::addColumn<QStringList>("reports");

    const QStringList thirds{u"41"_qs, u"82"_qs, u"100"_qs, u"100"_qs};
    const QStringList halves{u"50"_qs, u"100"_qs, u"100"_qs};
    const auto addRow
        = [](const char *tag, const ScriptedResponse &answer, qint64 size, qint64 announced,
              const QStringList &reports) { QTest::newRow(tag) << answer << size << announced << reports; };
    addRow("2500 bytes", ScriptedResponse::generated(2500), 2500, 2500, thirds);
    addRow("2048 bytes", ScriptedResponse::generated(2048), 2048, 2048, halves);
    // The one-byte read ends the loop after it is written and reported.
    addRow("last read one byte", ScriptedResponse::generated(2049), 2049, 2049, halves);
    // Counted as 2500: the answer ends there, and what the server sends after it is not part of it.
    addRow("longer than announced", withLength(closedAfter(5000, 5000), "2500 bytes"), 2500, 2500, thirds);
    // The window shows a busy bar instead of percentages.
    const ScriptedResponse unannounced = withLength(trickled(50000, 4096, 2), {});
    ScriptedResponse chunked = unannounced;
    chunked.chunked = true;
    addRow("no Content-Length, chunked", chunked, 50000, 0, {});
    addRow("no Content-Length, ends at close", unannounced, 50000, 0, {});
}

void TestDownloadCommands::reportsEveryRead()
{
    QFETCH(ScriptedResponse, answer);
    QFETCH(qint64, size);
    QFETCH(qint64, announced);
    QFETCH(QStringList, reports);

    m_served->server.setResponder(answering(answer));
    const DownloadRun run = press(2);

    QCOMPARE(run.sizes, QList<qint64>{announced});
    QCOMPARE(run.reports, reports);
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.result().outcome, Outcome::Complete);
    // Nothing vouched for the bytes, so they are not said to be checked.
    QCOMPARE(run.result().verified, false);
    QCOMPARE(readFile(archivePath(2)), ScriptedHttpServer::patternBytes(0, size));
    QVERIFY(!QFile::exists(archivePath(2) + QLatin1String(".part")));
    // Only the one picked tool was fetched.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{u"Vorn Scanner V1.40.rar"_qs});
    QVERIFY(!m_commands->isRunning());
}

void TestDownloadCommands::requestLinePerEntry_data()
{
    QTest::addColumn<int>("position");
    for (int position = 1; position <= ToolCatalog::count(); ++position) {
        if (ToolCatalog::entries().at(position - 1).listed)
            QTest::addRow("%d", position) << position;
    }
}

void TestDownloadCommands::requestLinePerEntry()
{
    QFETCH(int, position);
    m_served->server.setResponder(answering(ScriptedResponse::generated(3000)));
    press(position);

    QCOMPARE(m_served->server.requestCount(), 1);
    const ScriptedRequest request = m_served->server.requests().first();
    QCOMPARE(request.rawHead.left(request.rawHead.indexOf("\r\n")),
        "GET " + ToolCatalog::url(position).toLatin1() + " HTTP/1.1");
    QCOMPARE(request.header("Range"), QByteArray("bytes=0-"));
    QVERIFY(QFile::exists(archivePath(position)));
}

void TestDownloadCommands::alwaysAsksFromByteZero()
{
    m_served->server.setResponder(answering(ScriptedResponse::generated(1500)));
    // A stale partial file longer than the new body: none of its tail may end up in the archive.
    QVERIFY(writeFile(archivePath(1) + QLatin1String(".part"), QByteArray(3000, 'p')));
    QVERIFY(writeFile(archivePath(1), QByteArray(5000, 'a')));
    press(1);

    QCOMPARE(m_served->server.requests().first().header("Range"), QByteArray("bytes=0-"));
    // The new archive holds exactly the new body, however long the old one was.
    QCOMPARE(readFile(archivePath(1)), ScriptedHttpServer::patternBytes(0, 1500));
}

void TestDownloadCommands::initialTextFetchesNothing()
{
    m_choice = u"VORN Tools Downloader"_qs;
    int commandStarted = 0;
    connect(m_commands.get(), &DownloadCommands::commandStarted, this, [&] { ++commandStarted; });
    const DownloadRun run = runDownload(*m_commands, [this] { m_commands->downloadPressed(); });
    QCOMPARE(m_served->server.requestCount(), 0);
    // The command started, so the idle caption goes; nothing matched, so no transfer brings it back.
    QCOMPARE(commandStarted, 1);
    QCOMPARE(run.started, 0);
    QCOMPARE(run.results.size(), 0);
}

void TestDownloadCommands::unlistedEntryOnlyByExactText()
{
    m_served->server.setResponder(answering(ScriptedResponse::generated(100)));
    m_choice = ToolCatalog::displayName(6).toLower();
    m_commands->downloadPressed();
    QCOMPARE(m_served->server.requestCount(), 0);

    press(6);
    QCOMPARE(m_served->server.requestCount(), 1);
    QCOMPARE(keyOf(m_served->server.requests().first()), QByteArray("234:vorn-k3-k4-pc-list-editor-v2_0"));
    QCOMPARE(readFile(archivePath(6)).size(), 100);
}

void TestDownloadCommands::pickingAnotherEntryDuringTransfer_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("thenCancel");
    QTest::addColumn<QByteArrayList>("fetched");

    const QByteArray third = "270:vorn-relay-file-editor-v1.0";
    const QByteArray ninth = "231:vorn-pc-code-editor-1.47";
    QTest::newRow("later entry") << 3 << 9 << false << QByteArrayList{third, ninth};
    QTest::newRow("earlier entry") << 9 << 3 << false << QByteArrayList{ninth};
    // Cancel ends the whole command: the tool picked meanwhile is not fetched instead.
    QTest::newRow("later entry, then Cancel") << 3 << 9 << true << QByteArrayList{third};
}

void TestDownloadCommands::pickingAnotherEntryDuringTransfer()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, thenCancel);
    QFETCH(QByteArrayList, fetched);

    m_served->server.setResponder(answering(trickled(20 * 1024, 1024, 5)));
    // The user picks another tool while the first transfer runs.
    bool cancelled = false;
    press(first, [&](int) {
        if (m_choice != ToolCatalog::displayName(second)) {
            m_choice = ToolCatalog::displayName(second);
        } else if (thenCancel && !cancelled) {
            cancelled = true;
            m_commands->cancel();
        }
    });

    QByteArrayList keys;
    for (const ScriptedRequest &request : m_served->server.requests())
        keys.append(keyOf(request));
    QCOMPARE(keys, fetched);
}

// Ways a download ends with nothing saved: the earlier archive, if any, is untouched, and what arrived
// went with the transfer.
void TestDownloadCommands::endsWithNothingSaved_data()
{
    QTest::addColumn<Step>("before"); // before Download is pressed
    QTest::addColumn<ReportStep>("during");
    QTest::addColumn<QByteArray>("earlier"); // the archive already there; empty for none
    QTest::addColumn<int>("requests");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<TransferFailure::Kind>("failure");
    QTest::addColumn<QString>("systemReason");

    const auto cancelAt10 = [this](int report) {
        if (report == 10)
            m_commands->cancel();
    };
    // A Cancel already queued when Download is pressed runs in the transfer's first event pump.
    const auto queueCancel = [this] {
        QMetaObject::invokeMethod(m_commands.get(), &DownloadCommands::cancel, Qt::QueuedConnection);
    };
    const auto refused = [this] { m_served->server.close(); };
    // A server that takes the request and never answers; the user gives up before its head arrives.
    const auto neverAnswered = [this] {
        m_served->server.setResponder([this](const ScriptedRequest &) {
            QMetaObject::invokeMethod(m_commands.get(), &DownloadCommands::cancel, Qt::QueuedConnection);
            return ScriptedResponse{.neverRespond = true};
        });
    };
    using Kind = TransferFailure::Kind;
    QTest::newRow("cancel") << Step([] {}) << ReportStep(cancelAt10) << QByteArray("the good old archive")
                            << 1 << Outcome::Cancelled << Kind::None << QString();
    QTest::newRow("stopped before the request starts")
        << Step(queueCancel) << ReportStep() << QByteArray("kept") << 0 << Outcome::Cancelled << Kind::None
        << QString();
    QTest::newRow("cancel while the answer is awaited")
        << Step(neverAnswered) << ReportStep() << QByteArray("kept") << 1 << Outcome::Cancelled << Kind::None
        << QString();
    QTest::newRow("network failure") << Step(refused) << ReportStep() << QByteArray() << 0
                                     << Outcome::NetworkFailed << Kind::CouldNotConnect
                                     << u"Connection refused"_qs;
}

void TestDownloadCommands::endsWithNothingSaved()
{
    QFETCH(Step, before);
    QFETCH(ReportStep, during);
    QFETCH(QByteArray, earlier);
    QFETCH(int, requests);
    QFETCH(Outcome, outcome);
    QFETCH(TransferFailure::Kind, failure);
    QFETCH(QString, systemReason);

    const QString archive = archivePath(9);
    QVERIFY(earlier.isEmpty() || writeFile(archive, earlier));
    m_served->server.setResponder(answering(stalled(1 << 20, 10 * 1024)));
    before();
    const DownloadRun run = press(9, during);

    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.result().outcome, outcome);
    QCOMPARE(run.result().failure.kind, failure);
    QCOMPARE(run.result().failure.systemReason, systemReason);
    QCOMPARE(m_served->server.requestCount(), requests);
    QVERIFY(!m_commands->isRunning());
    QCOMPARE(QFile::exists(archive), !earlier.isEmpty());
    QCOMPARE(readFile(archive), earlier);
    QVERIFY(!QFile::exists(archive + QLatin1String(".part")));
}

void TestDownloadCommands::secondPressIsIgnored()
{
    m_served->server.setResponder(answering(trickled(8 * 1024, 1024, 5)));
    press(4, [this](int report) {
        if (report <= 3)
            m_commands->downloadPressed();
    });
    QCOMPARE(m_served->server.requestCount(), 1);
    QCOMPARE(readFile(archivePath(4)).size(), 8 * 1024);
}

void TestDownloadCommands::serverRefusal_data()
{
    QTest::addColumn<QByteArray>("statusLine");
    // The server's own phrase goes to the log only; what the message makes of the status is
    // tst_failuremessage's.
    QTest::newRow("404") << QByteArray("404 Not Found");
    QTest::newRow("markup in the reason")
        << QByteArray("500 <h2><font color=green>Download complete - all OK</font></h2>"
                      "<a href=\"http://evil.example/fix\">Click here</a>");
    QTest::newRow("control characters") << QByteArray("503 Busy\x1b[2J\x07\x08 again");
    QTest::newRow("a page-long reason") << "502 " + QByteArray(5000, 'x');
    // Read as if part of the archive came, were the phrase believed.
    QTest::newRow("a misleading reason") << QByteArray("500 Partial Content");
    QTest::newRow("the proxy asks for a password") << QByteArray("407 Proxy Authentication Required");
}

void TestDownloadCommands::serverRefusal()
{
    QFETCH(QByteArray, statusLine);

    const ScriptedResponse response{.status = statusLine.left(3).toInt(),
        .reason = statusLine.mid(4),
        .body = "<html><body>No such file</body></html>"};
    m_served->server.setResponder(answering(response));
    QVERIFY(writeFile(archivePath(2), "kept"));
    const DownloadRun run = press(2);

    QCOMPARE(run.result().outcome, Outcome::ServerRefused);
    QCOMPARE(run.result().status, response.status);
    // The scripted server is the desktop's proxy here: named, should it ask for a password.
    QVERIFY(run.result().failure.proxy.endsWith(u':' + QString::number(m_served->server.proxy().port())));
    // Never written anywhere: neither as the archive nor as a partial file.
    QCOMPARE(readFile(archivePath(2)), QByteArray("kept"));
    QVERIFY(!QFile::exists(archivePath(2) + QLatin1String(".part")));
}

void TestDownloadCommands::notTheArchive_data()
{
    QTest::addColumn<ScriptedResponse>("answer");
    QTest::addColumn<Refusal>("refusal"); // none: the answer is the whole archive
    QTest::addColumn<qint64>("written"); // into the .part file when refused
    QTest::addColumn<bool>("verified");

    // The rules themselves are tst_answercheck's; these are the ways from the server's answer to them.
    // One byte past a block of the file as it is read back for its digest.
    const qint64 size = PartFile::bufferSize + 1;
    const ScriptedResponse plain = ScriptedResponse::generated(size);
    // Header names are read whatever their case.
    QTest::newRow("gzip-encoded, header name in lower case")
        << withHeader(plain, "content-encoding", "gzip")
        << Refusal{.kind = Refusal::Kind::Encoded, .serverText = u"gzip"_qs} << qint64(0) << false;
    ScriptedResponse partial = withLength(ScriptedResponse::generated(5000), {});
    partial.status = 206;
    // The rest of a body that runs on past its size is not fetched.
    QTest::newRow("206 running on past its range")
        << withHeader(partial, "Content-Range", "bytes 0-99/100")
        << Refusal{.kind = Refusal::Kind::MoreThanAnnounced, .size = 100} << DownloadCommands::chunkSize
        << false;
    // Not "20 of 10 bytes arrived".
    ScriptedResponse cutOff = withHeader(partial, "Content-Range", "bytes 0-9/10");
    cutOff.generatedSize = 20;
    cutOff.resetOnClose = true;
    QTest::newRow("206 running on past its range, then cut off")
        << cutOff << Refusal{.kind = Refusal::Kind::MoreThanAnnounced, .size = 10} << qint64(20) << false;
    // A page is told by its first bytes as well as its label, before anything is written.
    const ScriptedResponse page{
        .headers = {{"Content-Type", "text/html"}}, .body = "\r\n<!DOCTYPE html><title>Sign in</title>"};
    QTest::newRow("a web page") << page << Refusal{Refusal::Kind::WebPage} << qint64(0) << false;
    QTest::newRow("an archive labelled a page")
        << withHeader(plain, "Content-Type", "text/html") << Refusal() << qint64(0) << false;
    // An empty archive reads the same from every server.
    ScriptedResponse emptyFile = withHeader(ScriptedResponse::generated(0), "Content-Range", "bytes */0");
    emptyFile.status = 416;
    QTest::newRow("416 for an empty file")
        << emptyFile << Refusal{Refusal::Kind::Empty} << qint64(0) << false;
    const QByteArray digest = "sha-256=:" + ScriptedHttpServer::patternSha256(size).toBase64() + ':';
    QTest::newRow("digest the body matches")
        << withHeader(plain, "Repr-Digest", digest) << Refusal() << qint64(0) << true;
    QTest::newRow("digest the body does not match")
        << withHeader(ScriptedResponse::generated(size + 1), "Repr-Digest", digest)
        << Refusal{Refusal::Kind::DigestMismatch} << size + 1 << false;
}

// Only the whole archive ever replaces the earlier one; anything else is told, and what was written
// stays in the .part file.
void TestDownloadCommands::notTheArchive()
{
    QFETCH(ScriptedResponse, answer);
    QFETCH(Refusal, refusal);
    QFETCH(qint64, written);
    QFETCH(bool, verified);

    answer.reason = "Whatever";
    m_served->server.setResponder(answering(answer));
    QVERIFY(writeFile(archivePath(3), "kept"));
    const DownloadRun run = press(3);

    QCOMPARE(run.results.size(), 1);
    // Told to the user when the archive is complete.
    QCOMPARE(run.result().verified, verified);
    if (!refusal.refused()) {
        QCOMPARE(run.result().outcome, Outcome::Complete);
        QCOMPARE(readFile(archivePath(3)), ScriptedHttpServer::patternBytes(0, answer.generatedSize));
        return;
    }
    QCOMPARE(run.result().outcome, Outcome::NotTheArchive);
    QCOMPARE(run.result().refusal, refusal);
    QCOMPARE(readFile(archivePath(3)), QByteArray("kept"));
    QCOMPARE(readFile(archivePath(3) + QLatin1String(".part")), ScriptedHttpServer::patternBytes(0, written));
}

// busybox httpd labels every partial answer a web page; what it sends is saved all the same.
void TestDownloadCommands::mislabelledByBusybox()
{
    const QString busybox = QStandardPaths::findExecutable(u"busybox"_qs);
    const QString port = freePort();
    if (busybox.isEmpty() || port.isEmpty())
        QSKIP("needs Debian's busybox and a port on 127.0.0.1");
    const QString served = m_folder->path() + u"/served"_qs;
    const QByteArray bytes = ScriptedHttpServer::patternBytes(0, 100000);
    QVERIFY(QDir().mkpath(served) && writeFile(served + u"/tool.rar"_qs, bytes));
    QProcess httpd;
    httpd.start(busybox, {u"httpd"_qs, u"-f"_qs, u"-p"_qs, u"127.0.0.1:"_qs + port, u"-h"_qs, served});
    const auto stop = qScopeGuard([&] {
        httpd.kill();
        httpd.waitForFinished();
    });
    const auto listening = [&] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
        return socket.waitForConnected(100);
    };
    QTRY_VERIFY_WITH_TIMEOUT(listening(), 5000);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);

    const QString archive = m_folder->path() + u"/tool.rar"_qs;
    const TransferResult result
        = m_commands->DownloadFile(u"http://127.0.0.1:"_qs + port + u"/tool.rar"_qs, archive);
    QCOMPARE(result.status, 206);
    QCOMPARE(result.outcome, Outcome::Complete);
    QCOMPARE(readFile(archive), bytes);
}

void TestDownloadCommands::truncatedBody_data()
{
    QTest::addColumn<ScriptedResponse>("answer");
    QTest::addColumn<TransferFailure::Kind>("failure");
    QTest::addColumn<qint64>("expected");

    for (const ShortAnswer &cut : shortAnswers())
        QTest::newRow(cut.tag) << cut.answer << cut.failure << cut.expected;
    // Nothing arrived, so nothing is kept.
    QTest::newRow("closed before the body")
        << closedAfter(10000, 0) << TransferFailure::Kind::ConnectionClosed << qint64(10000);
    // The size comes from the range alone, and a body that ends cleanly short of it is not the archive.
    ScriptedResponse range = withLength(closedAfter(10000, 6000), {});
    range.status = 206;
    // Every byte of its range, but its chunks never ended: not known to be whole.
    ScriptedResponse unended = withHeader(closedAfter(10000, 6000), "Content-Range", "bytes 0-5999/6000");
    unended.status = 206;
    unended.chunked = true;
    QTest::newRow("206 in chunks that never end")
        << unended << TransferFailure::Kind::ConnectionClosed << qint64(6000);
    QTest::newRow("206 without a length, closed cleanly short of its range") << withHeader(range,
        "Content-Range", "bytes 0-9999/10000") << TransferFailure::Kind::None << qint64(10000);
}

void TestDownloadCommands::truncatedBody()
{
    QFETCH(ScriptedResponse, answer);
    QFETCH(TransferFailure::Kind, failure);
    QFETCH(qint64, expected);

    m_inet->setRequestTimeout(1);
    m_served->server.setResponder(answering(answer));
    QVERIFY(writeFile(archivePath(3), "kept"));
    const DownloadRun run = press(3);

    QCOMPARE(run.result().outcome, Outcome::Incomplete);
    QCOMPARE(run.result().failure.kind, failure);
    QCOMPARE(run.result().expected, expected);
    QCOMPARE(readFile(archivePath(3)), QByteArray("kept"));
    QCOMPARE(QFile::exists(archivePath(3) + QLatin1String(".part")), run.result().received > 0);
    const QByteArray part = readFile(archivePath(3) + QLatin1String(".part"));
    QCOMPARE(part, ScriptedHttpServer::patternBytes(0, part.size()));
    QCOMPARE(run.result().received, part.size());
}

// The copy asks the system for input only now and then, but what is already queued runs in the pass
// after every read, and a timer that falls due still runs while the body comes.
void TestDownloadCommands::queuedWorkRunsDuringFastTransfer()
{
    const qint64 size = 16 << 20; // many times the read buffer
    m_served->server.setResponder(answering(ScriptedResponse::generated(size)));
    int posted = 0;
    int delivered = 0;
    int lateDeliveries = 0;
    QTimer due;
    due.setSingleShot(true);
    bool timerRanBeforeTheEnd = false;
    connect(&due, &QTimer::timeout, this, [&] { timerRanBeforeTheEnd = m_commands->isRunning(); });
    press(5, [&](int) {
        if (delivered != posted)
            ++lateDeliveries;
        ++posted;
        QMetaObject::invokeMethod(
            this, [&] { ++delivered; }, Qt::QueuedConnection);
        if (posted == 1)
            due.start(0);
    });

    QCOMPARE(QFileInfo(archivePath(5)).size(), size);
    QCOMPARE(lateDeliveries, 0);
    QVERIFY(timerRanBeforeTheEnd);
}

void TestDownloadCommands::destination_data()
{
    QTest::addColumn<bool>("homeIsAFile");
    QTest::addColumn<QString>("savedIn"); // under the home; empty when there is nowhere to save

    // Which folder is chosen is tst_destinationfolder's; these are what a download does with the choice.
    QTest::newRow("download folder") << false << u"Downloads"_qs;
    QTest::newRow("nowhere to save") << true << QString();
}

void TestDownloadCommands::destination()
{
    QFETCH(bool, homeIsAFile);
    QFETCH(QString, savedIn);

    QString home = m_served->home.path();
    if (homeIsAFile) {
        home += QLatin1String("/file");
        QVERIFY(writeFile(home, "not a folder"));
        qputenv("HOME", QFile::encodeName(home));
    }
    useProgramFolder(m_folder->path() + QLatin1String("/missing"));
    m_served->server.setResponder(answering(ScriptedResponse::generated(100000)));
    const DownloadRun run = press(7);

    if (savedIn.isEmpty()) {
        // Nothing is fetched that could not be saved.
        QCOMPARE(run.result().outcome, Outcome::CannotWrite);
        QCOMPARE(run.result().folder, home + QLatin1String("/Downloads"));
        QCOMPARE(run.result().refusal,
            (Refusal{.kind = Refusal::Kind::FolderNotMade,
                .systemReason = u"Not a directory"_qs,
                .path = home + QLatin1String("/Downloads")}));
        QCOMPARE(m_served->server.requestCount(), 0);
        return;
    }
    const QString archive = ToolCatalog::destinationPath(home + QLatin1Char('/') + savedIn, 7);
    QCOMPARE(readFile(archive), ScriptedHttpServer::patternBytes(0, 100000));
    QVERIFY(!QFile::exists(archive + QLatin1String(".part")));
    // It says where it came from.
    QByteArray origin(256, '\0');
    origin.truncate(std::max<ssize_t>(
        0, ::getxattr(QFile::encodeName(archive).constData(), "user.xdg.origin.url", origin.data(), 256)));
    QCOMPARE(origin, QUrl(ToolCatalog::url(7)).toEncoded());
}

void TestDownloadCommands::cannotWrite_data()
{
    QTest::addColumn<bool>("diskFull"); // else a folder has taken the archive's name
    QTest::addColumn<bool>("announced");

    QTest::newRow("size announced") << true << true;
    QTest::newRow("size unknown") << true << false;
    // The rename that would make it the archive fails: nothing is saved, whatever was written.
    QTest::newRow("archive's name taken by a folder") << false << true;
}

void TestDownloadCommands::cannotWrite()
{
    QFETCH(bool, diskFull);
    QFETCH(bool, announced);
    const qint64 size = 32 * 1024 * 1024;
    const QString folder = m_folder->path() + QLatin1String("/small-disk");
    const auto unmount = qScopeGuard([&] {
        m_commands.reset();
        SmallDisk::unmount(folder);
    });
    if (diskFull && !SmallDisk::mountFull(folder, 8 * 1024))
        QSKIP("needs root to mount a small filesystem");
    useProgramFolder(diskFull ? folder : m_folder->path());
    QVERIFY(diskFull ? writeFile(archivePath(7), "kept") : QDir().mkdir(archivePath(7)));
    const ScriptedResponse body = ScriptedResponse::generated(size);
    m_served->server.setResponder(answering(announced ? body : withLength(body, {})));
    const DownloadRun run = press(7);

    QCOMPARE(run.result().outcome, Outcome::CannotWrite);
    QCOMPARE(run.result().archive, archivePath(7));
    // Named where the body could not be written into it; not where nothing of it is left.
    QCOMPARE(run.result().partial.isEmpty(), !diskFull || announced);
    // Told before a byte of it is written, and nothing is left to fill the disk.
    const Refusal tooLarge{.kind = Refusal::Kind::TooLarge, .size = size, .path = folder};
    QCOMPARE(run.result().refusal,
        !diskFull       ? Refusal::system(EISDIR)
            : announced ? tooLarge
                        : Refusal::system(ENOSPC));
    QCOMPARE(QFile::exists(archivePath(7) + u".part"_qs), !diskFull || !announced);
    // The request is given up at the first failed write, not fetched to its end.
    QVERIFY2(!diskFull || m_served->server.bodyBytesSent() < size / 2,
        qPrintable(QString::number(m_served->server.bodyBytesSent())));
    QVERIFY(!m_inet->stillExecuting());
    QVERIFY(!m_commands->isRunning());
    QCOMPARE(readFile(archivePath(7)), diskFull ? QByteArray("kept") : QByteArray());
}

// Framing that cannot be read is refused, never guessed at.
void TestDownloadCommands::garbledContentLength()
{
    m_served->server.setResponder(answering(withLength(trickled(50000, 4096, 2), "lots")));
    const DownloadRun run = press(8);

    QVERIFY(!QFile::exists(archivePath(8)));
    // libcurl refuses it: a failure of the answer, told in its log detail.
    QCOMPARE(run.result().failure.kind, TransferFailure::Kind::Protocol);
    QVERIFY2(run.result().failure.detail.contains(QLatin1String("Content-Length")),
        qPrintable(run.result().failure.detail));
}

void TestDownloadCommands::largerThan4GiB_data()
{
    QTest::addColumn<qint64>("size"); // past 4 GiB, so any 32-bit offset or length shows
    QTest::addColumn<bool>("saved"); // by the Download command, else read off the wire by a slow reader
    QTest::newRow("streamed to a slow reader") << (qint64(9) << 29) + 4321 << false;
    QTest::newRow("saved with every percentage") << (qint64(4) << 30) + 1234567 << true;
}

void TestDownloadCommands::largerThan4GiB()
{
    if (qEnvironmentVariableIsSet("VORN_SKIP_LARGE"))
        QSKIP("VORN_SKIP_LARGE is set");
    QFETCH(qint64, size);
    QFETCH(bool, saved);
    ScriptedHttpServer &server = m_served->server;
    server.setResponder(answering(ScriptedResponse::generated(size)));
    if (saved) {
        QList<int> percents;
        connect(m_commands.get(), &DownloadCommands::progressReported, this, [&](const QString &percentage) {
            if (percents.isEmpty() || percents.last() != percentage.toInt())
                percents.append(percentage.toInt());
        });
        press(1);
        QCOMPARE(QFileInfo(archivePath(1)).size(), size);
        // Every whole percentage from 0 to 100 appears once, in order: no wrap-around past 2 or 4 GiB.
        QList<int> expected(101);
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(percents, expected);
        QString mismatch;
        QVERIFY2(
            ScriptedHttpServer::fileMatchesPattern(archivePath(1), size, 0, &mismatch), qPrintable(mismatch));
        QFile::remove(archivePath(1));
    } else {
        QTcpSocket socket;
        QByteArray head;
        qint64 bodyReceived = 0;
        qint64 firstMismatch = -1;
        connect(&socket, &QTcpSocket::readyRead, this, [&] {
            QByteArray data = socket.readAll();
            if (!head.endsWith("\r\n\r\n")) {
                head += data;
                const qsizetype end = head.indexOf("\r\n\r\n");
                data = end < 0 ? QByteArray() : head.mid(end + 4);
                head.truncate(end < 0 ? head.size() : end + 4);
            }
            for (qsizetype at = 0; at < data.size() && firstMismatch < 0;) {
                const qsizetype n
                    = std::min<qsizetype>(data.size() - at, ScriptedHttpServer::patternBlockSize);
                if (std::memcmp(
                        data.constData() + at, ScriptedHttpServer::patternData(bodyReceived + at), size_t(n))
                    != 0)
                    firstMismatch = bodyReceived + at;
                at += n;
            }
            bodyReceived += data.size();
        });
        socket.setReadBufferSize(ScriptedHttpServer::patternBlockSize);
        socket.connectToHost(QHostAddress::LocalHost, server.port());
        socket.write("GET http://downloads.vorn.example/ HTTP/1.1\r\nHost: downloads.vorn.example\r\n\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(bodyReceived >= size || firstMismatch >= 0, 600000);
        QVERIFY2(head.startsWith("HTTP/1.1 200 OK\r\n")
                && head.contains("\r\nContent-Length: " + QByteArray::number(size) + "\r\n"),
            head.constData());
        QCOMPARE(firstMismatch, qint64(-1));
        QCOMPARE(bodyReceived, size);
    }
    QCOMPARE(server.bodyBytesSent(), size);
    // Back-pressure: never more than a couple of MiB queued in the socket.
    QVERIFY2(server.peakBufferedBytes() <= 2 * 1024 * 1024,
        qPrintable(QString::number(server.peakBufferedBytes())));
}

QTEST_GUILESS_MAIN(TestDownloadCommands)
#include "tst_downloadcommands.moc"
