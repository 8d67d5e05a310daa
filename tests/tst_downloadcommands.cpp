#include "catalog/toolcatalog.h"
#include "common/datasize.h"
#include "controls/ccrpprogressbar.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "support/scriptedhttpserver.h"
#include "support/smalldisk.h"
#include "transfer/inet.h"
#include "ui/failuremessage.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// A body of `size` bytes that arrives `bytes` at a time, `intervalMs` apart.
ScriptedHttpServer::Responder trickled(qint64 size, qint64 bytes, int intervalMs)
{
    return [=](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(size);
        response.trickleBytes = bytes;
        response.trickleIntervalMs = intervalMs;
        return response;
    };
}

QByteArray keyOf(const ScriptedRequest &request)
{
    return request.queryItem("download");
}

} // namespace

// Runs the Download and Cancel buttons of a real main window against a scripted server.
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
    void cancel_data();
    void cancel();
    void cancelWhenIdle();
    void stoppedBeforeTheRequestStarts_data();
    void stoppedBeforeTheRequestStarts();
    void secondPressIsIgnored();
    void serverRefusal_data();
    void serverRefusal();
    void notTheArchive_data();
    void notTheArchive();
    void networkFailure();
    void truncatedBody_data();
    void truncatedBody();
    void failureWording_data();
    void failureWording();
    void oneWindowPerTool();
    void lastOutcome_data();
    void lastOutcome();
    void readoutDuringTransfer();
    void queuedWorkRunsDuringFastTransfer();
    void destination_data();
    void destination();
    void cannotWrite_data();
    void cannotWrite();
    void unknownSize_data();
    void unknownSize();
    void longerThanAnnounced();
    void closingTheWindowCancels();
    void largerThan4GiB();

private:
    void pick(const QString &name);
    QString archivePath(int position) const;
    QMessageBox *failureBox() const;

    std::unique_ptr<ScriptedHttpServer> m_server;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<Form1> m_form;
};

void TestDownloadCommands::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    QNetworkProxy::setApplicationProxy(m_server->proxy());
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    // A home of its own, so that the download folder is one the test made and watches.
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
    qunsetenv("XDG_CONFIG_HOME");
    m_form = std::make_unique<Form1>(m_folder->path());
}

void TestDownloadCommands::cleanup()
{
    m_form.reset();
    m_server.reset();
    m_folder.reset();
    m_home.reset();
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void TestDownloadCommands::pick(const QString &name)
{
    const int index = m_form->Combo1->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY2(index >= 0, qPrintable(name));
    m_form->Combo1->setCurrentIndex(index);
    QCOMPARE(m_form->Combo1->text(), name);
}

QString TestDownloadCommands::archivePath(int position) const
{
    return ToolCatalog::destinationPath(m_folder->path(), position);
}

QMessageBox *TestDownloadCommands::failureBox() const
{
    return m_form->findChild<QMessageBox *>(QStringLiteral("transferFailureBox"));
}

void TestDownloadCommands::reportsEveryRead_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QStringList>("reports");

    QTest::newRow("2500 bytes") << qint64(2500) << QStringList{u"41"_qs, u"82"_qs, u"100"_qs, u"100"_qs};
    QTest::newRow("2048 bytes") << qint64(2048) << QStringList{u"50"_qs, u"100"_qs, u"100"_qs};
    // The one-byte read ends the loop after it is written and reported.
    QTest::newRow("last read one byte") << qint64(2049) << QStringList{u"50"_qs, u"100"_qs, u"100"_qs};
}

void TestDownloadCommands::reportsEveryRead()
{
    QFETCH(qint64, size);
    QFETCH(QStringList, reports);

    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    QSignalSpy progress(&m_form->commands(), &DownloadCommands::progressReported);
    QSignalSpy finished(&m_form->commands(), &DownloadCommands::transferFinished);
    pick(ToolCatalog::displayName(2));
    m_form->xpButton4->click();

    QStringList seen;
    for (const QList<QVariant> &args : std::as_const(progress))
        seen.append(args.first().toString());
    QCOMPARE(seen, reports);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(1).value<TransferResult>().outcome, TransferResult::Outcome::Complete);
    QCOMPARE(readFile(archivePath(2)), ScriptedHttpServer::patternBytes(0, size));
    QVERIFY(!QFile::exists(archivePath(2) + QLatin1String(".part")));
    // Only the one picked tool was fetched, and the window is idle again.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{u"Vorn Scanner V1.40.rar"_qs});
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_form->Label1->isHidden());
    QCOMPARE(m_form->Label1->caption(), u" Download in Progress  >>> "_qs);
    QVERIFY(!m_form->ProgressBar1->isHidden());
    QCOMPARE(m_form->ProgressBar1->value(), 0);
    QVERIFY(!m_form->xpLabel1->isHidden());
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
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(3000); });
    pick(ToolCatalog::displayName(position));
    m_form->xpButton4->click();

    QCOMPARE(m_server->requestCount(), 1);
    const ScriptedRequest request = m_server->requests().first();
    QCOMPARE(request.rawHead.left(request.rawHead.indexOf("\r\n")),
        "GET " + ToolCatalog::url(position).toLatin1() + " HTTP/1.1");
    QCOMPARE(request.header("Range"), QByteArray("bytes=0-"));
    QVERIFY(QFile::exists(archivePath(position)));
}

void TestDownloadCommands::alwaysAsksFromByteZero()
{
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(1500); });
    // A stale partial file longer than the new body: none of its tail may end up in the archive.
    QVERIFY(writeFile(archivePath(1) + QLatin1String(".part"), QByteArray(3000, 'p')));
    QVERIFY(writeFile(archivePath(1), QByteArray(5000, 'a')));
    pick(ToolCatalog::displayName(1));
    m_form->xpButton4->click();

    QCOMPARE(m_server->requests().first().header("Range"), QByteArray("bytes=0-"));
    // The new archive holds exactly the new body, however long the old one was.
    QCOMPARE(readFile(archivePath(1)), ScriptedHttpServer::patternBytes(0, 1500));
}

void TestDownloadCommands::initialTextFetchesNothing()
{
    QCOMPARE(m_form->Combo1->text(), u"VORN Tools Downloader"_qs);
    m_form->xpButton4->click();
    QCOMPARE(m_server->requestCount(), 0);
    // Nothing matched, so the idle caption stays hidden.
    QVERIFY(m_form->xpLabel1->isHidden());
    QVERIFY(m_form->Label1->isHidden());
}

void TestDownloadCommands::unlistedEntryOnlyByExactText()
{
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(100); });
    m_form->Combo1->setText(ToolCatalog::displayName(6).toLower());
    m_form->xpButton4->click();
    QCOMPARE(m_server->requestCount(), 0);

    m_form->Combo1->setText(ToolCatalog::displayName(6));
    m_form->xpButton4->click();
    QCOMPARE(m_server->requestCount(), 1);
    QCOMPARE(keyOf(m_server->requests().first()), QByteArray("234:vorn-k3-k4-pc-list-editor-v2_0"));
    QCOMPARE(readFile(archivePath(6)).size(), 100);
}

void TestDownloadCommands::pickingAnotherEntryDuringTransfer_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("thenCancel");
    QTest::addColumn<QByteArrayList>("fetched");

    QTest::newRow("later entry") << 3 << 9 << false
                                 << QByteArrayList{
                                        "270:vorn-relay-file-editor-v1.0", "231:vorn-pc-code-editor-1.47"};
    QTest::newRow("earlier entry") << 9 << 3 << false << QByteArrayList{"231:vorn-pc-code-editor-1.47"};
    // Cancel ends the whole command: the tool picked meanwhile is not fetched instead.
    QTest::newRow("later entry, then Cancel")
        << 3 << 9 << true << QByteArrayList{"270:vorn-relay-file-editor-v1.0"};
}

void TestDownloadCommands::pickingAnotherEntryDuringTransfer()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, thenCancel);
    QFETCH(QByteArrayList, fetched);

    m_server->setResponder(trickled(20 * 1024, 1024, 5));
    pick(ToolCatalog::displayName(first));
    // The user picks another tool while the first transfer runs.
    bool cancelled = false;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        if (m_form->Combo1->text() != ToolCatalog::displayName(second)) {
            pick(ToolCatalog::displayName(second));
        } else if (thenCancel && !cancelled) {
            cancelled = true;
            m_form->xpButton3->click();
        }
    });
    m_form->xpButton4->click();

    QByteArrayList keys;
    for (const ScriptedRequest &request : m_server->requests())
        keys.append(keyOf(request));
    QCOMPARE(keys, fetched);
}

void TestDownloadCommands::cancel_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape") << true;
}

void TestDownloadCommands::cancel()
{
    QFETCH(bool, escape);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(1 << 20);
        response.stallAfterBodyBytes = 10 * 1024;
        return response;
    });
    QVERIFY(writeFile(archivePath(1), "the good old archive"));
    QSignalSpy finished(&m_form->commands(), &DownloadCommands::transferFinished);
    int reports = 0;
    bool busyWhileRunning = true;
    bool resetAtOnce = false;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        if (++reports > 10)
            return;
        busyWhileRunning
            = busyWhileRunning && QGuiApplication::overrideCursor() && !m_form->Label1->isHidden();
        if (reports == 10) {
            // As a person presses it: the button, or Escape in the active window.
            if (escape)
                QTest::keyClick(m_form->windowHandle(), Qt::Key_Escape);
            else
                m_form->xpButton3->click();
            // The progress display resets at once, before the transfer returns.
            resetAtOnce = m_form->ProgressBar1->value() == 0 && !QGuiApplication::overrideCursor()
                && m_form->Label1->isHidden() && m_form->xpLabel1->isHidden();
        }
    });
    pick(ToolCatalog::displayName(1));
    m_form->xpButton4->click();

    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(1).value<TransferResult>().outcome, TransferResult::Outcome::Cancelled);
    QVERIFY(busyWhileRunning);
    QVERIFY(resetAtOnce);
    QVERIFY(!m_form->xpLabel1->isHidden());
    // The earlier archive is untouched; what arrived stays in the .part file.
    QCOMPARE(readFile(archivePath(1)), QByteArray("the good old archive"));
    QCOMPARE(
        readFile(archivePath(1) + QLatin1String(".part")), ScriptedHttpServer::patternBytes(0, 10 * 1024));
    QVERIFY(!failureBox());
}

void TestDownloadCommands::cancelWhenIdle()
{
    m_form->ProgressBar1->setValue(30);
    m_form->xpButton3->click();
    QCOMPARE(m_form->ProgressBar1->value(), 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_form->Label1->isHidden());
    QVERIFY(!m_form->xpLabel1->isHidden());
}

void TestDownloadCommands::stoppedBeforeTheRequestStarts_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("Cancel") << false;
    QTest::newRow("window closed") << true;
}

void TestDownloadCommands::stoppedBeforeTheRequestStarts()
{
    QFETCH(bool, closeWindow);
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(5000); });
    QVERIFY(writeFile(archivePath(9), "kept"));
    m_form->show();
    // A click already queued when Download is pressed runs in the transfer's first event pump.
    if (closeWindow)
        QMetaObject::invokeMethod(m_form.get(), &QWidget::close, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(m_form->xpButton3, &XpButton::click, Qt::QueuedConnection);
    pick(ToolCatalog::displayName(9));
    m_form->xpButton4->click();

    QCOMPARE(m_server->requestCount(), 0);
    QCOMPARE(readFile(archivePath(9)), QByteArray("kept"));
    QVERIFY(!m_form->xpLabel1->isHidden());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestDownloadCommands::secondPressIsIgnored()
{
    m_server->setResponder(trickled(8 * 1024, 1024, 5));
    int presses = 0;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        if (presses++ < 3)
            m_form->xpButton4->click();
    });
    pick(ToolCatalog::displayName(4));
    m_form->xpButton4->click();
    QCOMPARE(m_server->requestCount(), 1);
    QCOMPARE(readFile(archivePath(4)).size(), 8 * 1024);
}

void TestDownloadCommands::serverRefusal_data()
{
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<QString>("shown");

    QTest::newRow("404")
        << QByteArray("404 Not Found")
        << u"the server answered \"404 Not Found\". The earlier archive, if any, is unchanged."_qs;
    // Server text is never markup: no big green "success" and no live link in the message.
    QTest::newRow("markup in the reason")
        << QByteArray("500 <h2><font color=green>Download complete - all OK</font></h2>"
                      "<a href=\"http://evil.example/fix\">Click here</a>")
        << u"\"500 <h2><font color=green>Download complete - all OK</font></h2><a href="_qs;
    QTest::newRow("control characters")
        << QByteArray("503 Busy\x1b[2J\x07\x08 again") << u"the server answered \"503 Busy[2J again\""_qs;
    QTest::newRow("a page-long reason") << "502 " + QByteArray(5000, 'x') << u"\"502 xxxx"_qs;
}

void TestDownloadCommands::serverRefusal()
{
    QFETCH(QByteArray, statusLine);
    QFETCH(QString, shown);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response;
        response.status = statusLine.left(3).toInt();
        response.reason = statusLine.mid(4);
        response.body = "<html><body>No such file</body></html>";
        return response;
    });
    QVERIFY(writeFile(archivePath(2), "kept"));
    pick(ToolCatalog::displayName(2));
    m_form->xpButton4->click();

    // Never written anywhere: neither as the archive nor as a partial file.
    QCOMPARE(readFile(archivePath(2)), QByteArray("kept"));
    QVERIFY(!QFile::exists(archivePath(2) + QLatin1String(".part")));
    QMessageBox *box = failureBox();
    QVERIFY(box);
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY2(box->text().contains(QLatin1String("Vorn Scanner V1.40")), qPrintable(box->text()));
    QVERIFY2(box->text().contains(shown), qPrintable(box->text()));
    QVERIFY2(box->text().size() < 400, qPrintable(box->text()));
    for (const QChar c : box->text())
        QVERIFY2(c.category() != QChar::Other_Control, qPrintable(box->text()));
    // The message does not hold the main window: Exit, Cancel and Download stay usable.
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!m_form->xpLabel1->isHidden());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestDownloadCommands::notTheArchive_data()
{
    QTest::addColumn<int>("status");
    // "Name: value"; "Content-Length: -" leaves it out, and "Reset: -" ends the body with a reset
    QTest::addColumn<QByteArrayList>("headers");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("refusal"); // empty: the answer is the whole archive
    QTest::addColumn<qint64>("written"); // into the .part file when refused

    // The rules themselves are tst_answercheck's; these are the ways from the server's answer to them.
    // Header names are read whatever their case.
    QTest::newRow("gzip-encoded, header name in lower case")
        << 200 << QByteArrayList{"content-encoding: gzip"} << qint64(500) << u"encoded (gzip)"_qs
        << qint64(0);
    // The rest of a body that runs on past its size is not fetched.
    QTest::newRow("206 running on past its range")
        << 206 << QByteArrayList{"Content-Range: bytes 0-99/100", "Content-Length: -"} << qint64(5000)
        << u"more than the 100 bytes it announced"_qs << DownloadCommands::chunkSize;
    // Not "20 of 10 bytes arrived".
    QTest::newRow("206 running on past its range, then cut off")
        << 206 << QByteArrayList{"Content-Range: bytes 0-9/10", "Content-Length: -", "Reset: -"} << qint64(20)
        << u"more than the 10 bytes it announced"_qs << qint64(20);
    const QByteArray reprDigest
        = "Repr-Digest: sha-256=:" + ScriptedHttpServer::patternSha256(500).toBase64() + ':';
    QTest::newRow("digest the body matches")
        << 200 << QByteArrayList{reprDigest} << qint64(500) << QString() << qint64(0);
    QTest::newRow("digest the body does not match")
        << 200 << QByteArrayList{reprDigest} << qint64(501)
        << u"did not match the checksum the server gave"_qs << qint64(501);
}

// Only the whole archive ever replaces the earlier one; anything else is told, and what was written
// stays in the .part file.
void TestDownloadCommands::notTheArchive()
{
    QFETCH(int, status);
    QFETCH(QByteArrayList, headers);
    QFETCH(qint64, size);
    QFETCH(QString, refusal);
    QFETCH(qint64, written);

    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(size);
        response.status = status;
        response.reason = "Whatever";
        for (const QByteArray &header : std::as_const(headers)) {
            const qsizetype colon = header.indexOf(':');
            const QByteArray name = header.left(colon);
            const QByteArray value = header.mid(colon + 2);
            if (name == "Reset") {
                response.resetOnClose = true;
            } else if (name != "Content-Length") {
                response.headers.removeIf([&](const auto &existing) { return existing.first == name; });
                response.headers.append({name, value});
            } else if (value == "-")
                response.length = ScriptedResponse::Length::Omit;
            else
                response.length = ScriptedResponse::Length::Custom, response.contentLengthValue = value;
        }
        return response;
    });
    QVERIFY(writeFile(archivePath(3), "kept"));
    QSignalSpy finished(&m_form->commands(), &DownloadCommands::transferFinished);
    pick(ToolCatalog::displayName(3));
    m_form->xpButton4->click();

    QCOMPARE(finished.size(), 1);
    const TransferResult result = finished.first().at(1).value<TransferResult>();
    QMessageBox *box = failureBox();
    if (refusal.isEmpty()) {
        QVERIFY2(!box, qPrintable(box ? box->text() : QString()));
        QCOMPARE(readFile(archivePath(3)), ScriptedHttpServer::patternBytes(0, size));
        // Told to the user when the archive is complete.
        QCOMPARE(result.verified, true);
        return;
    }
    QVERIFY(box);
    QVERIFY2(box->text().contains(refusal), qPrintable(box->text()));
    QCOMPARE(result.verified, false);
    QCOMPARE(readFile(archivePath(3)), QByteArray("kept"));
    QCOMPARE(readFile(archivePath(3) + QLatin1String(".part")), ScriptedHttpServer::patternBytes(0, written));
}

void TestDownloadCommands::networkFailure()
{
    m_server->close();
    pick(ToolCatalog::displayName(5));
    m_form->xpButton4->click();
    QVERIFY(!QFile::exists(archivePath(5)));
    QVERIFY(!QFile::exists(archivePath(5) + QLatin1String(".part")));
    QMessageBox *box = failureBox();
    QVERIFY(box);
    // Our own sentence with the system's few words, not libcurl's with its port and milliseconds.
    QCOMPARE(box->text(),
        u"VORN Delta PC List Editor V2_0 could not be downloaded: could not reach the server "
        "(Connection refused)."_qs);
    QVERIFY(!m_form->xpLabel1->isHidden());
}

void TestDownloadCommands::truncatedBody_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said"); // what the message says went wrong, before the sizes
    QTest::newRow("closed early") << u"closed"_qs << u"the server closed the connection"_qs;
    QTest::newRow("connection reset")
        << u"reset"_qs << u"the server closed the connection (Connection reset by peer)"_qs;
    QTest::newRow("server falls silent") << u"silent"_qs << u"no answer from the server for 1 s"_qs;
    QTest::newRow("bad chunk framing") << u"framing"_qs << u"the server's answer could not be read"_qs;
}

void TestDownloadCommands::truncatedBody()
{
    QFETCH(QString, fault);
    QFETCH(QString, said);

    m_form->Inet1->setRequestTimeout(1);
    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(10000);
        if (fault == QLatin1String("framing")) {
            response = {};
            response.length = ScriptedResponse::Length::Omit;
            response.headers = {{"Transfer-Encoding", "chunked"}};
            response.body = "zz\r\nnot a chunk\r\n0\r\n\r\n";
        } else if (fault == QLatin1String("silent")) {
            response.stallAfterBodyBytes = 6000;
        } else {
            response.closeAfterBodyBytes = 6000;
        }
        response.resetOnClose = fault == QLatin1String("reset");
        return response;
    });
    QVERIFY(writeFile(archivePath(3), "kept"));
    pick(ToolCatalog::displayName(3));
    m_form->xpButton4->click();

    QCOMPARE(readFile(archivePath(3)), QByteArray("kept"));
    const QByteArray part = readFile(archivePath(3) + QLatin1String(".part"));
    QCOMPARE(part, ScriptedHttpServer::patternBytes(0, part.size()));
    QMessageBox *box = failureBox();
    QVERIFY(box);
    const QLocale locale;
    const QString sizes = u"after "_qs
        + (fault == QLatin1String("framing") ? DataSize::text(part.size(), locale)
                                             : DataSize::partOf(part.size(), 10000, locale));
    const QString sentence = u"The download of VORN Relay File Editor V1.0 is incomplete: %1"_qs.arg(said);
    QVERIFY2(box->text().startsWith(sentence), qPrintable(box->text()));
    QVERIFY2(box->text().contains(sizes + u".\n"_qs), qPrintable(box->text()));
    // libcurl's own sentence, with its unformatted numbers, stays out.
    QVERIFY2(!box->text().contains(u"remaining"_qs), qPrintable(box->text()));
}

// The kinds of failure the scripted server cannot cause cheaply (a name, a certificate), and the locale's
// numbers, as rows of the wording table.
void TestDownloadCommands::failureWording_data()
{
    using Failure = Inet::Failure;
    using Outcome = TransferResult::Outcome;
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    const QString tool = u"Vorn Scanner V1.40 could not be downloaded: "_qs;
    QTest::newRow("name not found") << int(Outcome::NetworkFailed) << int(Failure::NameNotFound)
                                    << u"Could not resolve host: downloads.invalid"_qs << u"C"_qs
                                    << tool
            + u"the server's name was not found (Could not resolve host: downloads.invalid)."_qs;
    QTest::newRow("certificate refused")
        << int(Outcome::NetworkFailed) << int(Failure::Tls)
        << u"SSL certificate problem: self-signed certificate"_qs << u"C"_qs
        << tool + u"the secure connection could not be set up (self-signed certificate)."_qs;
    QTest::newRow("closed mid-body, German numbers")
        << int(Outcome::Incomplete) << int(Failure::ConnectionClosed)
        << u"transfer closed with 600000 bytes remaining to read"_qs << u"de_DE"_qs
        << u"The download of Vorn Scanner V1.40 is incomplete: the server closed the connection after "
           "293,0 of 878,9 KiB.\nThe partial data is kept in /d/Vorn Scanner V1.40.rar.part."_qs;
    // The file's own reasons are clauses: the sentence around them ends them.
    QTest::newRow("cannot write")
        << int(Outcome::CannotWrite) << int(Failure::None) << u"another download is writing this file"_qs
        << u"C"_qs
        << u"Vorn Scanner V1.40 could not be saved to /d/Vorn Scanner V1.40.rar.part: "
           "another download is writing this file."_qs;
}

void TestDownloadCommands::failureWording()
{
    QFETCH(int, outcome);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    QFETCH(QString, locale);
    QFETCH(QString, text);

    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    TransferResult result;
    result.outcome = TransferResult::Outcome(outcome);
    result.failure = Inet::Failure(failure);
    result.reason = reason;
    result.received = 300000;
    result.expected = 900000;
    result.path = u"/d/Vorn Scanner V1.40.rar.part"_qs;
    QCOMPARE(FailureMessage::text(u"Vorn Scanner V1.40"_qs, result), text);
}

// A tool that fails again and again keeps one message window, showing its latest failure.
void TestDownloadCommands::oneWindowPerTool()
{
    const auto boxes
        = [this] { return m_form->findChildren<QMessageBox *>(QStringLiteral("transferFailureBox")); };
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::notFound(); });
    pick(ToolCatalog::displayName(5));
    m_form->xpButton4->click();
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"404"_qs), qPrintable(boxes().first()->text()));

    m_server->close();
    for (int press = 0; press < 3; ++press)
        m_form->xpButton4->click();
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"could not reach the server"_qs),
        qPrintable(boxes().first()->text()));
    QVERIFY(boxes().first()->isVisible());

    pick(ToolCatalog::displayName(2));
    m_form->xpButton4->click();
    QCOMPARE(boxes().size(), 2);
}

void TestDownloadCommands::lastOutcome_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("told"); // %1: the folder under the home folder, written with "~"

    QTest::newRow("complete") << u"complete"_qs << u"Vorn Scanner V1.40: 2.0 MiB saved in %1"_qs;
    QTest::newRow("cancelled")
        << u"cancelled"_qs
        << u"Vorn Scanner V1.40: cancelled, 10.0 KiB kept in %1/Vorn Scanner V1.40.rar.part"_qs;
    QTest::newRow("failed")
        << u"failed"_qs
        << u"Vorn Scanner V1.40: incomplete, 5.9 KiB kept in %1/Vorn Scanner V1.40.rar.part"_qs;
}

// Without a notification service the bar's tooltip is the one trace of how the last download ended.
void TestDownloadCommands::lastOutcome()
{
    QFETCH(QString, ending);
    QFETCH(QString, told);

    const QString folder = m_home->path() + u"/tools"_qs;
    QVERIFY(QDir().mkpath(folder));
    m_form = std::make_unique<Form1>(folder);
    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response
            = ScriptedResponse::generated(ending == QLatin1String("complete") ? 2 << 20 : 1 << 20);
        if (ending == QLatin1String("cancelled"))
            response.stallAfterBodyBytes = 10 * 1024;
        else if (ending == QLatin1String("failed"))
            response.closeAfterBodyBytes = 6000;
        return response;
    });
    int reports = 0;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        if (++reports == 10 && ending == QLatin1String("cancelled"))
            m_form->xpButton3->click();
    });
    pick(ToolCatalog::displayName(2));
    m_form->xpButton4->click();

    const QString text = told.arg(u"~/tools"_qs);
    QCOMPARE(m_form->ProgressBar1->toolTip(), text);
    QCOMPARE(m_form->ProgressBar1->accessibleDescription(), text);

    // The next download takes the place of the last outcome as soon as it starts.
    bool stale = true;
    connect(&m_form->commands(), &DownloadCommands::transferStarted, this, [&] {
        stale = m_form->ProgressBar1->toolTip() == text;
        m_form->xpButton3->click();
    });
    m_form->xpButton4->click();
    QVERIFY(!stale);
}

void TestDownloadCommands::readoutDuringTransfer()
{
    m_server->setResponder(trickled(100 * 1024, 4096, 40));
    QStringList seen;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        // The bar's own tooltip until the first measurement, then the readout in both places.
        const QString text = m_form->ProgressBar1->toolTip();
        if (text != QLatin1String("Progress") && !seen.contains(text))
            seen.append(
                text + (m_form->ProgressBar1->accessibleDescription() == text ? u""_qs : u" differs"_qs));
    });
    pick(ToolCatalog::displayName(1));
    m_form->xpButton4->click();

    QVERIFY2(seen.size() > 1, qPrintable(seen.join(u'\n')));
    // The speed joins in once there is enough of the transfer to measure it.
    const QRegularExpression form(uR"(^\d+\.\d of 100\.0 KiB(, [\d.]+ (bytes|KiB)/s(, \d+ s left)?)?$)"_qs);
    for (const QString &text : std::as_const(seen))
        QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
    QVERIFY2(seen.last().contains(u"/s"_qs), qPrintable(seen.join(u'\n')));
    // Afterwards the bar tells how the download ended, with nothing of the readout left.
    const QString outcome = ToolCatalog::displayName(1) + u": 100.0 KiB saved in "_qs + m_folder->path();
    QCOMPARE(m_form->ProgressBar1->toolTip(), outcome);
    QCOMPARE(m_form->ProgressBar1->accessibleDescription(), outcome);
}

// The copy asks the system for input only now and then, but what is already queued for the window
// runs in the pass after every read, and a timer that falls due still runs while the body comes.
void TestDownloadCommands::queuedWorkRunsDuringFastTransfer()
{
    const qint64 size = 16 << 20; // many times the read buffer
    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    int posted = 0;
    int delivered = 0;
    int lateDeliveries = 0;
    QTimer due;
    due.setSingleShot(true);
    bool timerRanBeforeTheEnd = false;
    connect(&due, &QTimer::timeout, this, [&] { timerRanBeforeTheEnd = m_form->commands().isRunning(); });
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&] {
        if (delivered != posted)
            ++lateDeliveries;
        ++posted;
        QMetaObject::invokeMethod(
            this, [&] { ++delivered; }, Qt::QueuedConnection);
        if (posted == 1)
            due.start(0);
    });
    pick(ToolCatalog::displayName(5));
    m_form->xpButton4->click();

    QCOMPARE(QFileInfo(archivePath(5)).size(), size);
    QCOMPARE(lateDeliveries, 0);
    QVERIFY(timerRanBeforeTheEnd);
}

void TestDownloadCommands::destination_data()
{
    QTest::addColumn<QString>("program"); // the program's folder
    QTest::addColumn<QString>("home"); // empty for the test's own, "file" or "unset"
    QTest::addColumn<QString>("downloadDir"); // XDG_DOWNLOAD_DIR in user-dirs.dirs, "-" for no such file
    QTest::addColumn<QString>("savedIn"); // "." for the program's folder, else a folder in the home
    QTest::addColumn<QString>("refusal"); // when nothing is saved, with %1 for the home

    const QString none = u"-"_qs;
    QTest::newRow("program folder writable") << u"writable"_qs << QString() << none << u"."_qs << QString();
    QTest::newRow("program folder read-only")
        << u"readonly"_qs << QString() << none << u"Downloads"_qs << QString();
    // Files cannot be made in a folder that cannot be searched, whatever its write permission says.
    QTest::newRow("program folder write-only")
        << u"writeonly"_qs << QString() << none << u"Downloads"_qs << QString();
    QTest::newRow("program folder gone") << u"gone"_qs << QString() << none << u"Downloads"_qs << QString();
    // A folder name the system could not turn into text comes back empty: not the root folder.
    QTest::newRow("program folder unknown")
        << u"unknown"_qs << QString() << none << u"Downloads"_qs << QString();
    QTest::newRow("installed copy, writable folder")
        << u"installed"_qs << QString() << none << u"Downloads"_qs << QString();
    QTest::newRow("download folder of the desktop's")
        << u"installed"_qs << QString() << u"$HOME/Fetched"_qs << u"Fetched"_qs << QString();
    // Told with the step that failed and the system's own reason.
    QTest::newRow("download folder cannot be made")
        << u"gone"_qs << u"file"_qs << none << QString()
        << u"%1/Downloads: the folder could not be created (Not a directory)"_qs;
    // Never made wherever the program happens to run.
    QTest::newRow("download folder relative")
        << u"installed"_qs << QString() << u"Downloads"_qs << QString()
        << u"\"Downloads\": the download folder set in %1/.config/user-dirs.dirs is not an absolute path"_qs;
    QTest::newRow("download folder empty")
        << u"installed"_qs << QString() << QString() << QString()
        << u"\"\": the download folder set in %1/.config/user-dirs.dirs is not an absolute path"_qs;
    // The account's own home, not "/Downloads".
    QTest::newRow("HOME unset") << u"installed"_qs << u"unset"_qs << none << u"Downloads"_qs << QString();
}

// Run by CTest a second time as an ordinary user, for whom a read-only folder really is one.
void TestDownloadCommands::destination()
{
    QFETCH(QString, program);
    QFETCH(QString, home);
    QFETCH(QString, downloadDir);
    QFETCH(QString, savedIn);
    QFETCH(QString, refusal);

    QString programFolder = m_folder->path();
    QString homeFolder = m_home->path();
    bool mounted = false;
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(
            m_folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_form.reset();
        if (mounted)
            SmallDisk::unmount(homeFolder);
    });
    if (program == QLatin1String("readonly") || program == QLatin1String("writeonly")) {
        if (::geteuid() == 0)
            QSKIP("root writes into and searches any folder");
        QVERIFY(QFile::setPermissions(programFolder,
            program == QLatin1String("readonly") ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                 : QFileDevice::WriteOwner));
    } else if (program == QLatin1String("installed")) {
        programFolder += QLatin1String("/bin");
        QVERIFY(QDir().mkpath(programFolder)
            && QDir().mkpath(m_folder->path() + QLatin1String("/share/applications")));
        QVERIFY(writeFile(
            m_folder->path() + QLatin1String("/share/applications/vorn-tools-downloader.desktop"), ""));
    } else if (program == QLatin1String("unknown")) {
        programFolder.clear();
    } else if (program == QLatin1String("gone")) {
        programFolder += QLatin1String("/missing");
    }
    if (downloadDir != QLatin1String("-")) {
        QVERIFY(QDir().mkpath(homeFolder + QLatin1String("/.config")));
        QVERIFY(writeFile(homeFolder + QLatin1String("/.config/user-dirs.dirs"),
            "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"" + downloadDir.toUtf8() + "\"\n"));
    }
    if (home == QLatin1String("file")) {
        homeFolder += QLatin1String("/file");
        QVERIFY(writeFile(homeFolder, "not a folder"));
        qputenv("HOME", QFile::encodeName(homeFolder));
    } else if (home == QLatin1String("unset")) {
        qunsetenv("HOME");
        const passwd *account = ::getpwuid(::geteuid());
        QVERIFY(account && account->pw_dir);
        homeFolder = QFile::decodeName(account->pw_dir);
        // As root, over a home of the test's own; as nobody, whose home does not exist, refused.
        if (::geteuid() == 0) {
            QVERIFY(mounted = SmallDisk::mountFull(homeFolder, 1024 * 1024));
        } else if (QFileInfo::exists(homeFolder)) {
            QSKIP("would write into this account's real home");
        } else {
            savedIn.clear();
            refusal = u"%1/Downloads: the folder could not be created"_qs;
        }
    }
    m_form = std::make_unique<Form1>(programFolder);
    m_server->setResponder([](const ScriptedRequest &) { return ScriptedResponse::generated(100000); });
    pick(ToolCatalog::displayName(7));
    m_form->xpButton4->click();

    if (savedIn.isEmpty()) {
        QVERIFY(failureBox());
        QVERIFY2(failureBox()->text().contains(refusal.arg(homeFolder)), qPrintable(failureBox()->text()));
        // Nothing is fetched that could not be saved, and nothing is made elsewhere.
        QCOMPARE(m_server->requestCount(), 0);
        QVERIFY(!QFileInfo::exists(u"Downloads"_qs));
        return;
    }
    const QString archive = ToolCatalog::destinationPath(
        savedIn == QLatin1String(".") ? m_folder->path() : homeFolder + QLatin1Char('/') + savedIn, 7);
    QCOMPARE(readFile(archive), ScriptedHttpServer::patternBytes(0, 100000));
    QVERIFY(!QFile::exists(archive + QLatin1String(".part")));
    QCOMPARE(
        QFileInfo::exists(homeFolder + QLatin1String("/Downloads")), savedIn == QLatin1String("Downloads"));
    QVERIFY(!QFile::exists(QStringLiteral("/VORN K5-K6 PC List Editor V2_0.rar.part")));
}

void TestDownloadCommands::cannotWrite_data()
{
    QTest::addColumn<qint64>("size");
    // What stands at the .part file's name and the other failures of writing are tst_partfile's.
    QTest::newRow("disk full") << qint64(32 * 1024 * 1024);
}

void TestDownloadCommands::cannotWrite()
{
    QFETCH(qint64, size);

    const QString folder = m_folder->path() + QLatin1String("/small-disk");
    const auto unmount = qScopeGuard([&] {
        m_form.reset();
        SmallDisk::unmount(folder);
    });
    if (!SmallDisk::mountFull(folder, 8 * 1024))
        QSKIP("needs root to mount a small filesystem");
    m_form = std::make_unique<Form1>(folder);
    const QString archive = ToolCatalog::destinationPath(folder, 7);
    QVERIFY(writeFile(archive, "kept"));
    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    pick(ToolCatalog::displayName(7));
    m_form->xpButton4->click();

    QMessageBox *box = failureBox();
    QVERIFY(box);
    QVERIFY2(box->text().contains(QLatin1String("VORN K5-K6 PC List Editor V2_0")), qPrintable(box->text()));
    QVERIFY2(box->text().contains(folder), qPrintable(box->text()));
    QVERIFY2(box->text().contains(u"No space left on device"_qs), qPrintable(box->text()));
    // The request is given up at the first failed write, not fetched to its end, and the window is
    // usable again.
    QVERIFY2(m_server->bodyBytesSent() < size / 2, qPrintable(QString::number(m_server->bodyBytesSent())));
    QVERIFY(!m_form->Inet1->stillExecuting());
    QVERIFY(!m_form->commands().isRunning());
    QVERIFY(!m_form->xpLabel1->isHidden());
    QCOMPARE(readFile(archive), QByteArray("kept"));
}

void TestDownloadCommands::unknownSize_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("no Content-Length, chunked") << 0 << true;
    QTest::newRow("no Content-Length, ends at close") << 1 << true;
    // Framing that cannot be read is refused, never guessed at.
    QTest::newRow("garbled Content-Length") << 2 << false;
}

void TestDownloadCommands::unknownSize()
{
    QFETCH(int, mode);
    QFETCH(bool, accepted);
    m_server->setResponder([&](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(50000);
        response.trickleBytes = 4096;
        response.trickleIntervalMs = 2;
        response.chunked = mode == 0;
        response.length = mode == 2 ? ScriptedResponse::Length::Custom : ScriptedResponse::Length::Omit;
        response.contentLengthValue = "lots";
        return response;
    });
    bool sawBusyBar = false;
    QSignalSpy progress(&m_form->commands(), &DownloadCommands::progressReported);
    connect(m_form->Inet1, &Inet::stateChanged, this,
        [&] { sawBusyBar = sawBusyBar || m_form->ProgressBar1->isBusy(); });
    pick(ToolCatalog::displayName(8));
    m_form->xpButton4->click();

    if (!accepted) {
        QVERIFY(!QFile::exists(archivePath(8)));
        QMessageBox *box = failureBox();
        QVERIFY(box);
        QVERIFY2(box->text().contains(QLatin1String("Content-Length")), qPrintable(box->text()));
        return;
    }
    QCOMPARE(readFile(archivePath(8)), ScriptedHttpServer::patternBytes(0, 50000));
    QVERIFY(sawBusyBar);
    QCOMPARE(progress.size(), 0);
    QVERIFY(!m_form->ProgressBar1->isBusy());
    QVERIFY(!failureBox());
}

void TestDownloadCommands::longerThanAnnounced()
{
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(5000);
        response.length = ScriptedResponse::Length::Custom;
        response.contentLengthValue = "2500 bytes";
        response.closeAfterBodyBytes = 5000;
        return response;
    });
    QSignalSpy progress(&m_form->commands(), &DownloadCommands::progressReported);
    pick(ToolCatalog::displayName(10));
    m_form->xpButton4->click();
    QStringList seen;
    for (const QList<QVariant> &args : std::as_const(progress))
        seen.append(args.first().toString());
    // Counted as 2500: the answer ends there, and what the server sends after it is not part of it.
    QCOMPARE(seen, (QStringList{u"41"_qs, u"82"_qs, u"100"_qs, u"100"_qs}));
    QCOMPARE(readFile(archivePath(10)), ScriptedHttpServer::patternBytes(0, 2500));
}

void TestDownloadCommands::closingTheWindowCancels()
{
    m_server->setResponder([](const ScriptedRequest &) {
        ScriptedResponse response = ScriptedResponse::generated(1 << 20);
        response.stallAfterBodyBytes = 4096;
        return response;
    });
    m_form->show();
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&](const QString &percentage) {
        if (percentage == QLatin1String("0") && m_form->isVisible())
            m_form->close();
    });
    pick(ToolCatalog::displayName(11));
    m_form->xpButton4->click();
    QVERIFY(!m_form->commands().isRunning());
    QVERIFY(m_form->Inet1->wasCancelled());
    QVERIFY(!QFile::exists(archivePath(11)));
    QCOMPARE(readFile(archivePath(11) + QLatin1String(".part")), ScriptedHttpServer::patternBytes(0, 1024));
}

void TestDownloadCommands::largerThan4GiB()
{
    if (qEnvironmentVariableIsSet("VORN_SKIP_LARGE"))
        QSKIP("VORN_SKIP_LARGE is set");
    const qint64 size = (qint64(4) << 30) + 1234567;
    m_server->setResponder([&](const ScriptedRequest &) { return ScriptedResponse::generated(size); });
    QList<int> percents;
    connect(&m_form->commands(), &DownloadCommands::progressReported, this, [&](const QString &percentage) {
        const int value = percentage.toInt();
        if (percents.isEmpty() || percents.last() != value)
            percents.append(value);
    });
    pick(ToolCatalog::displayName(1));
    m_form->xpButton4->click();

    QCOMPARE(QFileInfo(archivePath(1)).size(), size);
    // Every whole percentage from 0 to 100 appears once, in order: no wrap-around past 2 or 4 GiB.
    QList<int> expected;
    for (int i = 0; i <= 100; ++i)
        expected.append(i);
    QCOMPARE(percents, expected);
    QString mismatch;
    QVERIFY2(
        ScriptedHttpServer::fileMatchesPattern(archivePath(1), size, 0, &mismatch), qPrintable(mismatch));
    QFile::remove(archivePath(1));
}

QTEST_MAIN(TestDownloadCommands)
#include "tst_downloadcommands.moc"
