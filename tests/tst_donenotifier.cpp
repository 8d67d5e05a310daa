#include "support/downloadrun.h"
#include "transfer/inet.h"
#include "ui/donenotifier.h"
#include "ui/launcherentry.h"
#include "ui/suspendinhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString desktopConnection = u"vorn-test-desktop"_qs;
const QString fileManagerService = u"org.freedesktop.FileManager1"_qs;

} // namespace

// The desktop's notification service, as much of it as a notification needs.
class FakeNotifications final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    QString body;
    int count = 0;

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &, uint, const QString &, const QString &, const QString &text,
        const QStringList &, const QVariantMap &, int)
    {
        body = text;
        ++count;
        return 7;
    }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
};

// A file manager that selects files.
class FakeFileManager final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &) { shown += uris; }
};

// The desktop's portal and logind, keeping a log of what they were asked beside the download's own end.
class FakeSleepKeepers final : public QObject
{
    Q_OBJECT

public:
    enum class Answer {
        Now,
        AfterTheEnd,
        Never,
    };
    Answer answer = Answer::Now;
    QStringList log;
    QDBusMessage pending;
    int lockRead = -1; // the other end of logind's lock

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &options, const QDBusMessage &call)
    {
        log << u"portal %1 %2"_qs.arg(flags).arg(options.value(u"reason"_qs).toString());
        // Where the portal puts its request: under the caller's name and the token it chose.
        const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_qs.arg(
            call.service().mid(1).replace(u'.', u'_'), options.value(u"handle_token"_qs).toString());
        QDBusConnection(desktopConnection)
            .registerObject(
                path, u"org.freedesktop.portal.Request"_qs, this, QDBusConnection::ExportAllSlots);
        call.setDelayedReply(answer != Answer::Now);
        pending = call.createReply(QVariant::fromValue(QDBusObjectPath(path)));
        return QDBusObjectPath(path);
    }
    void Close() { log << u"close"_qs; }
    QDBusUnixFileDescriptor Inhibit(
        const QString &what, const QString &, const QString &why, const QString &mode)
    {
        log << u"logind %1 %2 %3"_qs.arg(what, mode, why);
        int ends[2] = {-1, -1};
        QDBusUnixFileDescriptor lock(::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0 ? ends[1] : -1);
        ::close(ends[1]);
        lockRead = ends[0];
        return lock;
    }
};

Q_DECLARE_METATYPE(FakeSleepKeepers::Answer)

// The notification of a finished download, on the private session bus CTest starts for it, with the
// desktop's services on a connection of their own.
class TestDoneNotifier : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // Stands in for the desktop's own way of opening a folder.
    void openFile(const QUrl &url) { m_opened.append(url); }
    void launcherUpdate(const QString &app, const QVariantMap &properties)
    {
        m_updates << u"%1 %2 %3"_qs.arg(app, properties.value(u"progress"_qs).toString(),
            properties.value(u"progress-visible"_qs).toString());
    }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void notification_data();
    void notification();
    void keepsAwakeWhileTransferRuns_data();
    void keepsAwakeWhileTransferRuns();

private:
    FakeNotifications m_notifications;
    FakeFileManager m_fileManager;
    QList<QUrl> m_opened;
    FakeSleepKeepers m_keepers;
    QStringList m_updates;
};

void TestDoneNotifier::initTestCase()
{
    // logind lives on the system bus, which here is the test's own; named before the first bus is used.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    QVERIFY2(
        QDBusConnection::sessionBus().isConnected(), "needs a session bus of its own (dbus-run-session)");
    QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, desktopConnection);
    QVERIFY(desktop.registerObject(u"/org/freedesktop/Notifications"_qs, &m_notifications,
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(desktop.registerService(u"org.freedesktop.Notifications"_qs));
    QVERIFY(desktop.registerObject(
        u"/org/freedesktop/FileManager1"_qs, &m_fileManager, QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerObject(u"/org/freedesktop/portal/desktop"_qs,
        u"org.freedesktop.portal.Inhibit"_qs, &m_keepers, QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerObject(u"/org/freedesktop/login1"_qs, u"org.freedesktop.login1.Manager"_qs,
        &m_keepers, QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerService(u"org.freedesktop.login1"_qs));
    QGuiApplication::setDesktopFileName(u"vorn-tools-downloader"_qs);
    // The monitor of the dock's signals.
    QVERIFY(desktop.connect(QString(), QString(), u"com.canonical.Unity.LauncherEntry"_qs, u"Update"_qs, this,
        SLOT(launcherUpdate(QString, QVariantMap))));
}

void TestDoneNotifier::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(u"file"_qs);
    QDBusConnection::disconnectFromBus(desktopConnection);
}

void TestDoneNotifier::notification_data()
{
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<bool>("fileManager");
    QTest::addColumn<bool>("opens"); // whether the desktop opens a folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("verified");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("action"); // the one the user takes on the notification

    const QString marked = u"/tmp/a <b>&</b> folder"_qs;
    // A folder's name is the user's text, not markup, wherever the service would read markup.
    const QStringList markup{u"body"_qs, u"body-markup"_qs};
    const QStringList plain{u"body"_qs};
    QTest::newRow("markup service, file manager")
        << markup << true << true << marked << false
        << u"1.5 KiB saved in /tmp/a &lt;b&gt;&amp;&lt;/b&gt; folder"_qs << u"show-in-folder"_qs;
    // Without a file manager that selects files, the folder opens the ordinary way.
    QTest::newRow("plain service, no file manager")
        << plain << false << true << marked << false << u"1.5 KiB saved in /tmp/a <b>&</b> folder"_qs
        << u"show-in-folder"_qs;
    // Nor that way: the window says so.
    QTest::newRow("no file manager, folders not opened")
        << plain << false << false << u"/tmp"_qs << false << u"1.5 KiB saved in /tmp"_qs
        << u"show-in-folder"_qs;
    // A click on the notification itself does what its button does.
    QTest::newRow("click on the notification")
        << plain << true << true << marked << false << u"1.5 KiB saved in /tmp/a <b>&</b> folder"_qs
        << u"default"_qs;
    QTest::newRow("archive the server vouched for")
        << plain << true << true << marked << true << u"1.5 KiB, verified, saved in /tmp/a <b>&</b> folder"_qs
        << u"show-in-folder"_qs;
    // A service that offers links renders markup too; a direction override or a line break would
    // reorder or split the name shown.
    QTest::newRow("links service, override and line break")
        << QStringList{u"body"_qs, u"body-hyperlinks"_qs} << true << true
        << u"/srv/<b>&amp;\u202Eexe.txt\nx"_qs << false
        << u"1.5 KiB saved in /srv/&lt;b&gt;&amp;amp;exe.txtx"_qs << u"show-in-folder"_qs;
}

void TestDoneNotifier::notification()
{
    QFETCH(QStringList, capabilities);
    QFETCH(bool, fileManager);
    QFETCH(bool, opens);
    QFETCH(QString, folder);
    QFETCH(bool, verified);
    QFETCH(QString, body);
    QFETCH(QString, action);

    const QString archive = folder + u"/VORN Tool.rar"_qs;
    m_notifications.capabilities = capabilities;
    m_notifications.body.clear();
    m_notifications.count = 0;
    m_fileManager.shown.clear();
    m_opened.clear();
    QDBusConnection desktop(desktopConnection);
    QVERIFY(!fileManager || desktop.registerService(fileManagerService));
    const auto unregister = qScopeGuard([&] { desktop.unregisterService(fileManagerService); });

    DoneNotifier notifier;
    QSignalSpy notShown(&notifier, &DoneNotifier::folderNotShown);
    // A handler that is not there is a desktop that cannot open the folder.
    QDesktopServices::setUrlHandler(u"file"_qs, this, opens ? "openFile" : "noSuchHandler");
    if (!opens)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"noSuchHandler"_qs));
    TransferResult result;
    result.received = 1536;
    result.path = archive;
    result.verified = verified;
    // A download that did not complete is told in the window, never as saved.
    TransferResult incomplete = result;
    incomplete.outcome = TransferResult::Outcome::Incomplete;
    notifier.transferFinished(u"VORN Tool"_qs, incomplete);
    notifier.transferFinished(u"VORN Tool"_qs, result);
    QTRY_COMPARE(m_notifications.body, body);
    QCOMPARE(m_notifications.count, 1);

    Q_EMIT m_notifications.ActionInvoked(7, action);
    if (fileManager)
        QTRY_COMPARE(
            m_fileManager.shown, QStringList{QUrl::fromLocalFile(archive).toString(QUrl::FullyEncoded)});
    else if (opens)
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
    else
        QTRY_COMPARE(notShown.value(0).value(0).toString(),
            u"The folder /tmp could not be opened: the desktop has no file manager to show it."_qs);
}

void TestDoneNotifier::keepsAwakeWhileTransferRuns_data()
{
    QTest::addColumn<bool>("portal");
    QTest::addColumn<FakeSleepKeepers::Answer>("answer");
    QTest::addColumn<int>("cancelAt"); // report; 0: never
    QTest::addColumn<QStringList>("log");

    using A = FakeSleepKeepers::Answer;
    const QStringList released{u"portal 4 Downloading Vorn Scanner V1.40"_qs, u"finished"_qs, u"close"_qs};
    // Let go the moment it ends, however it ends.
    QTest::newRow("saved") << true << A::Now << 0 << released;
    QTest::newRow("cancelled") << true << A::Now << 500 << released;
    QTest::newRow("handle after the end") << true << A::AfterTheEnd << 0 << released;
    // Nothing waits for it: the request it may still make is withdrawn once the wait is over.
    QTest::newRow("portal never answers") << true << A::Never << 0 << released;
    QTest::newRow("no portal, logind")
        << false << A::Now << 0
        << QStringList{u"logind sleep block Downloading Vorn Scanner V1.40"_qs, u"finished"_qs, u"held"_qs};
}

void TestDoneNotifier::keepsAwakeWhileTransferRuns()
{
    QFETCH(bool, portal);
    QFETCH(FakeSleepKeepers::Answer, answer);
    QFETCH(int, cancelAt);
    QFETCH(QStringList, log);

    m_keepers.answer = answer;
    m_keepers.log.clear();
    m_keepers.lockRead = -1;
    m_updates.clear();
    QDBusConnection desktop(desktopConnection);
    const QString portalService = u"org.freedesktop.portal.Desktop"_qs;
    QVERIFY(!portal || desktop.registerService(portalService));
    const auto unregister = qScopeGuard([&] { desktop.unregisterService(portalService); });
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setResponder(answering(trickled(1 << 20, 128 << 10, 20)));
    QNetworkProxy::setApplicationProxy(server.proxy());
    TemporaryHome home;
    Inet inet;
    DownloadCommands commands(
        &inet, [] { return u"Vorn Scanner V1.40"_qs; }, home.workingFolder());
    // Told before the desktop is: what the end finds still held.
    connect(&commands, &DownloadCommands::transferFinished, this, [this] {
        char byte = 0;
        m_keepers.log << u"finished"_qs;
        if (::read(m_keepers.lockRead, &byte, 1) < 0 && errno == EAGAIN)
            m_keepers.log << u"held"_qs;
    });
    SuspendInhibitor inhibitor(&commands);
    LauncherEntry launcher(&commands);
    runDownload(
        commands, [&] { commands.downloadPressed(); },
        [&](int report) {
            if (report == cancelAt)
                commands.cancel();
        });
    if (answer == FakeSleepKeepers::Answer::AfterTheEnd)
        QVERIFY(desktop.send(m_keepers.pending));
    char byte = 0;
    QTRY_VERIFY(portal || ::read(m_keepers.lockRead, &byte, 1) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_keepers.log, log, SuspendInhibitor::answerTimeoutMs + 5000);
    // The dock hears of each whole percent once, and that the transfer is over.
    const QString app = u"application://vorn-tools-downloader.desktop "_qs;
    QTRY_COMPARE(m_updates.value(m_updates.size() - 1), app + u" false"_qs);
    if (cancelAt == 0) {
        QCOMPARE(m_updates.value(100), app + u"1 true"_qs);
        QCOMPARE(m_updates.size(), 102);
    }
}

QTEST_MAIN(TestDoneNotifier)
#include "tst_donenotifier.moc"
