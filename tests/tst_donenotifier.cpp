#include "desktop/donenotifier.h"
#include "desktop/launcherentry.h"
#include "desktop/suspendinhibitor.h"

#include "support/downloadrun.h"
#include "transfer/inet.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString desktopConnection = u"vorn-test-desktop"_qs;
const QString fileManagerService = u"org.freedesktop.FileManager1"_qs;
const QString portalService = u"org.freedesktop.portal.Desktop"_qs;

bool isOnBus(const QString &service)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(service);
}

} // namespace

// The desktop's notification service, as much of it as a notification needs.
class FakeNotifications final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    QString body;
    QStringList actions;
    int count = 0;

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &, uint, const QString &, const QString &, const QString &text,
        const QStringList &offered, const QVariantMap &, int)
    {
        body = text;
        actions = offered;
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

// The desktop's portal, with a log of what it was asked beside the download's end. Its answer waits for
// the test unless `answerNow`; a request withdrawn before it answered is noted as such, and stays.
class FakePortal final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    bool answerNow = true;
    bool answered = false;
    QStringList log;
    QDBusMessage answer;

    bool sendAnswer()
    {
        answered = true;
        return QDBusConnection(desktopConnection).send(answer);
    }

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &options, const QDBusMessage &call)
    {
        log << u"inhibit %1 %2"_qs.arg(flags).arg(options.value(u"reason"_qs).toString());
        // Where the portal puts the request: under the caller's name and the token it chose.
        QDBusObjectPath request(u"/org/freedesktop/portal/desktop/request/%1/%2"_qs.arg(
            call.service().mid(1).replace(u'.', u'_'), options.value(u"handle_token"_qs).toString()));
        QDBusConnection(desktopConnection)
            .registerObject(
                request.path(), u"org.freedesktop.portal.Request"_qs, this, QDBusConnection::ExportAllSlots);
        call.setDelayedReply(true);
        answer = call.createReply(QVariant::fromValue(request));
        answered = false;
        if (answerNow)
            sendAnswer();
        return request;
    }
    void Close() { log << (answered ? u"close"_qs : u"close before the answer"_qs); }
};

// logind, as much of it as a sleep lock needs, on a system bus of the test's own. The lock is a pipe's
// write end: its read end sees the end of the pipe once every copy of the lock is closed; `held` counts
// the locks not yet let go.
class FakeLogind final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList *log = nullptr;
    int held = 0;

Q_SIGNALS:
    void asked();

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(
        const QString &what, const QString &, const QString &why, const QString &mode)
    {
        *log << u"logind %1 %2 %3"_qs.arg(what, why, mode);
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        ++held;
        auto *released = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(released, &QSocketNotifier::activated, this, [this, released, end = ends[0]] {
            released->deleteLater();
            ::close(end);
            --held;
        });
        const QDBusUnixFileDescriptor lock(ends[1]);
        ::close(ends[1]);
        Q_EMIT asked();
        return lock;
    }
};

// Parts of a real desktop, each given as its service and command line, started on a display of their own
// (the bus would start them without one) and waited for until it owns its name on the bus.
class RealDesktop final
{
    Q_DISABLE_COPY_MOVE(RealDesktop)

public:
    explicit RealDesktop(const QList<QStringList> &parts)
    {
        m_display.start(u"Xvfb"_qs, {u"-displayfd"_qs, u"1"_qs, u"-nolisten"_qs, u"tcp"_qs});
        m_valid = m_display.waitForReadyRead(10000);
        m_environment.insert(u"DISPLAY"_qs, u':' + QString::fromLatin1(m_display.readLine().trimmed()));
        m_environment.insert(u"XDG_CURRENT_DESKTOP"_qs, u"XFCE"_qs);
        for (const QStringList &part : parts) {
            QProcess &process = *m_parts.emplace_back(std::make_unique<QProcess>());
            process.setProcessEnvironment(m_environment);
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start(part[1], part.mid(2));
            m_valid = m_valid && QTest::qWaitFor([&part] { return isOnBus(part[0]); }, 10000);
        }
    }
    ~RealDesktop()
    {
        for (auto part = m_parts.rbegin(); part != m_parts.rend(); ++part)
            ended(**part);
        ended(m_display);
    }

    static void ended(QProcess &process)
    {
        process.kill();
        process.waitForFinished(5000);
    }

    bool isValid() const { return m_valid; }
    // How many windows of `windowClass` the display shows.
    qsizetype windows(const QString &windowClass) const
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_environment);
        xdotool.start(u"xdotool"_qs, {u"search"_qs, u"--onlyvisible"_qs, u"--class"_qs, windowClass});
        return xdotool.waitForFinished(5000) ? xdotool.readAllStandardOutput().count('\n') : -1;
    }

private:
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QProcess m_display;
    std::vector<std::unique_ptr<QProcess>> m_parts;
    bool m_valid = false;
};

// The notification of a finished download, on the private session bus CTest starts for it, with the
// desktop's services on a connection of their own.
class TestDoneNotifier : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // The dock's view of the program's entry.
    void launcherUpdate(const QString &app, const QVariantMap &entry)
    {
        m_updates << app
                + u" %1 %2"_qs.arg(
                    entry[u"progress"_qs].toString(), entry[u"progress-visible"_qs].toString());
    }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void notification_data();
    void notification();
    void showInFolderWithThunar();
    void keepsAwakeWhileTransferRuns_data();
    void keepsAwakeWhileTransferRuns();

private:
    FakeNotifications m_notifications;
    FakeFileManager m_fileManager;
    // Where the desktop's opener, `xdg-open`, is found first: a stand-in that notes what it was asked to
    // open.
    QTemporaryDir m_opener;
    FakePortal m_portal;
    FakeLogind m_logind;
    QProcess m_systemBus;
    QStringList m_updates;
};

void TestDoneNotifier::initTestCase()
{
    // Before Qt's D-Bus parts start: they read where the buses are once.
    m_systemBus.start(u"dbus-daemon"_qs, {u"--session"_qs, u"--nofork"_qs, u"--print-address"_qs});
    QVERIFY(m_systemBus.waitForReadyRead(10000));
    const QByteArray systemBus = m_systemBus.readLine().trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus);
    m_logind.log = &m_portal.log;
    QDBusConnection system
        = QDBusConnection::connectToBus(QString::fromLatin1(systemBus), u"vorn-test-system"_qs);
    QVERIFY(system.registerObject(u"/org/freedesktop/login1"_qs, &m_logind, QDBusConnection::ExportAllSlots)
        && system.registerService(u"org.freedesktop.login1"_qs));
    QVERIFY2(
        QDBusConnection::sessionBus().isConnected(), "needs a session bus of its own (dbus-run-session)");
    QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, desktopConnection);
    QVERIFY(desktop.registerObject(u"/org/freedesktop/Notifications"_qs, &m_notifications,
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(desktop.registerService(u"org.freedesktop.Notifications"_qs));
    QVERIFY(desktop.registerObject(
        u"/org/freedesktop/FileManager1"_qs, &m_fileManager, QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerObject(
                u"/org/freedesktop/portal/desktop"_qs, &m_portal, QDBusConnection::ExportAllSlots)
        && desktop.registerService(u"org.freedesktop.portal.Desktop"_qs));
    QVERIFY(desktop.connect({}, {}, u"com.canonical.Unity.LauncherEntry"_qs, u"Update"_qs, this,
        SLOT(launcherUpdate(QString, QVariantMap))));
    QGuiApplication::setDesktopFileName(u"vorn-tools-downloader"_qs);
    // As xdg-open answers where it finds no way to open a folder: "no method available", exit 3.
    const QString opener = m_opener.filePath(u"xdg-open"_qs);
    QVERIFY(writeFile(opener, "#!/bin/sh\necho \"$1\" >\"$0.opened\"\nexit $VORN_TEST_OPENER_EXIT\n"));
    QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner));
    qputenv("PATH", QFile::encodeName(m_opener.path()) + ':' + qgetenv("PATH"));
}

void TestDoneNotifier::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(desktopConnection);
    QDBusConnection::disconnectFromBus(u"vorn-test-system"_qs);
    RealDesktop::ended(m_systemBus);
}

void TestDoneNotifier::notification_data()
{
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<bool>("fileManager");
    QTest::addColumn<bool>("opens"); // whether the desktop's opener opens a folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("verified");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("action"); // the one the user takes on the notification

    const QString marked = u"/tmp/a <b>&</b> folder"_qs;
    const QString saved = u"1.5 KiB saved in "_qs;
    const auto row = [](const char *tag, const QStringList &capabilities, bool fileManager, bool opens,
                         const QString &folder, const QString &body,
                         const QString &action = u"show-in-folder"_qs, bool verified = false) {
        QTest::newRow(tag) << capabilities << fileManager << opens << folder << verified << body << action;
    };
    // A folder's name is the user's text, not markup, wherever the service would read markup.
    const QStringList markup{u"body"_qs, u"body-markup"_qs, u"actions"_qs};
    const QStringList plain{u"body"_qs, u"actions"_qs};
    row("markup service, file manager", markup, true, true, marked,
        saved + u"/tmp/a &lt;b&gt;&amp;&lt;/b&gt; folder"_qs);
    // Without a file manager that selects files, the folder opens the ordinary way.
    row("plain service, no file manager", plain, false, true, marked, saved + marked);
    // Nor that way, the opener finding no way to open it: the window says so.
    row("no file manager, folders not opened", plain, false, false, u"/tmp"_qs, saved + u"/tmp"_qs);
    // A click on the notification itself does what its button does.
    row("click on the notification", plain, true, true, marked, saved + marked, u"default"_qs);
    row("archive the server vouched for", plain, true, true, marked,
        u"1.5 KiB, verified, saved in "_qs + marked, u"show-in-folder"_qs, true);
    // A service that offers links renders markup too; a direction override or a line break would
    // reorder or split the name shown.
    // The home folder is written as the window writes it; a service without actions is offered none.
    row("home folder, service without actions", {u"body"_qs}, true, true, QDir::homePath() + u"/Downloads"_qs,
        saved + u"~/Downloads"_qs, QString());
    row("links service, override and line break", {u"body"_qs, u"body-hyperlinks"_qs, u"actions"_qs}, true,
        true, u"/srv/<b>&amp;\u202Eexe.txt\nx"_qs, saved + u"/srv/&lt;b&gt;&amp;amp;exe.txtx"_qs);
    // No service takes the notification: the window tells the outcome instead.
    row("no notification service", plain, true, true, u"/tmp"_qs, QString(), QString());
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
    const QString opened = m_opener.filePath(u"xdg-open.opened"_qs);
    QFile::remove(opened);
    qputenv("VORN_TEST_OPENER_EXIT", opens ? "0" : "3");
    QDBusConnection desktop(desktopConnection);
    QVERIFY(!fileManager || desktop.registerService(fileManagerService));
    QVERIFY(!body.isNull() || desktop.unregisterService(u"org.freedesktop.Notifications"_qs));
    const auto unregister = qScopeGuard([&] {
        desktop.unregisterService(fileManagerService);
        desktop.registerService(u"org.freedesktop.Notifications"_qs);
    });

    DoneNotifier notifier;
    QSignalSpy untold(&notifier, &DoneNotifier::untold);
    TransferResult result;
    result.received = 1536;
    result.folder = folder;
    result.archive = archive;
    result.verified = verified;
    // A download that did not complete is told in the window, never as saved.
    TransferResult incomplete = result;
    incomplete.outcome = TransferResult::Outcome::Incomplete;
    notifier.transferFinished(u"VORN Tool"_qs, incomplete);
    notifier.transferFinished(u"VORN Tool"_qs, result);
    if (body.isNull()) {
        QTRY_COMPARE(untold.value(0),
            (QVariantList{u"VORN Tool downloaded"_qs, u"VORN Tool: 1.5 KiB saved in /tmp"_qs}));
        return;
    }
    QTRY_COMPARE(m_notifications.body, body);
    QCOMPARE(m_notifications.count, 1);
    // A click on the notification is "default", which a service invokes only when offered.
    const QStringList offered{
        u"default"_qs, u"Show in folder"_qs, u"show-in-folder"_qs, u"Show in folder"_qs};
    QCOMPARE(m_notifications.actions, action.isNull() ? QStringList() : offered);
    if (action.isNull())
        return;

    Q_EMIT m_notifications.ActionInvoked(7, action);
    if (fileManager)
        QTRY_COMPARE(
            m_fileManager.shown, QStringList{QUrl::fromLocalFile(archive).toString(QUrl::FullyEncoded)});
    else
        QTRY_COMPARE(
            readFile(opened), QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded).toUtf8() + '\n');
    if (!fileManager && !opens)
        QTRY_COMPARE(untold.value(0).value(1).toString(),
            u"The folder /tmp could not be opened: the desktop has no file manager to show it."_qs);
    // A notification taken, or a folder shown, leaves the window as it is.
    QCOMPARE(untold.size(), fileManager || opens ? 0 : 1);
}

// Thunar owns the file manager's name on XFCE: it shows the folder once, and the opener stays idle.
void TestDoneNotifier::showInFolderWithThunar()
{
    RealDesktop desktop({{fileManagerService, u"thunar"_qs, u"--daemon"_qs}});
    QVERIFY(desktop.isValid());
    const QString opened = m_opener.filePath(u"xdg-open.opened"_qs);
    QFile::remove(opened);
    qputenv("VORN_TEST_OPENER_EXIT", "0");
    m_notifications.capabilities = {u"actions"_qs};
    QTemporaryDir folder;
    TransferResult result;
    result.folder = folder.path();
    result.archive = folder.filePath(u"VORN Tool.rar"_qs);
    QVERIFY(writeFile(result.archive, "archive"));
    DoneNotifier notifier;
    const int count = m_notifications.count;
    notifier.transferFinished(u"VORN Tool"_qs, result);
    QTRY_COMPARE(m_notifications.count, count + 1);
    Q_EMIT m_notifications.ActionInvoked(7, u"default"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.windows(u"Thunar"_qs), 1, 10000);
    // Nothing else opens it: an opener run on Thunar's answer would have written within a second.
    QVERIFY(!QTest::qWaitFor([&opened] { return QFile::exists(opened); }, 1000));
    QCOMPARE(desktop.windows(u"Thunar"_qs), 1);
}

void TestDoneNotifier::keepsAwakeWhileTransferRuns_data()
{
    QTest::addColumn<QString>("portal"); // "real", or when the stand-in answers
    QTest::addColumn<QStringList>("log");

    const QString inhibit = u"inhibit 4 Downloading Vorn Scanner V1.40"_qs;
    const QString logind = u"logind sleep Downloading Vorn Scanner V1.40 block"_qs;
    const QString finished = u"finished"_qs;
    const QString early = u"close before the answer"_qs;
    QTest::newRow("portal answers") << u"at once"_qs << QStringList{inhibit, finished, u"close"_qs};
    QTest::newRow("handle after the end")
        << u"after the end"_qs << QStringList{inhibit, finished, early, u"close"_qs};
    // Not in time: logind keeps the system awake.
    QTest::newRow("portal never answers") << u"never"_qs << QStringList{inhibit, logind, finished, early};
    // Its late answer, after the transfer, is withdrawn as soon as it comes.
    QTest::newRow("portal answers late, after the end")
        << u"late, after the end"_qs << QStringList{inhibit, logind, finished, early, u"close"_qs};
    // The portal takes the request and then finds its backend keeps only the screen on.
    QTest::newRow("real portal, backend that cannot hold off suspending")
        << u"real"_qs << QStringList{logind, finished};
}

void TestDoneNotifier::keepsAwakeWhileTransferRuns()
{
    QFETCH(QString, portal);
    QFETCH(QStringList, log);

    // The portal's stand-in gives up its name meanwhile.
    std::optional<RealDesktop> real;
    if (portal == u"real") {
        QDBusConnection(desktopConnection).unregisterService(portalService);
        real.emplace(QList<QStringList>{
            {u"org.freedesktop.impl.portal.desktop.gtk"_qs, u"/usr/libexec/xdg-desktop-portal-gtk"_qs},
            {portalService, u"/usr/libexec/xdg-desktop-portal"_qs}});
    }
    const auto standIn
        = qScopeGuard([] { QDBusConnection(desktopConnection).registerService(portalService); });
    QVERIFY(!real || real->isValid());
    m_portal.answerNow = portal == u"at once";
    m_portal.log.clear();
    m_updates.clear();
    ServedHome served;
    QVERIFY(served.isValid());
    const bool untilLogind = log.contains(u"logind sleep Downloading Vorn Scanner V1.40 block"_qs);
    served.server.setResponder(
        answering(untilLogind ? stalled(1 << 20, 64 << 10) : trickled(1 << 20, 128 << 10, 20)));
    Inet inet;
    DownloadCommands commands(
        &inet, [] { return u"Vorn Scanner V1.40"_qs; }, served.home.workingFolder());
    connect(&commands, &DownloadCommands::transferFinished, this, [this] { m_portal.log << u"finished"_qs; });
    // The transfers that ask logind last until it is asked.
    connect(&m_logind, &FakeLogind::asked, &commands, &DownloadCommands::cancel, Qt::QueuedConnection);
    SuspendInhibitor inhibitor(&commands);
    LauncherEntry launcher(&commands);
    QElapsedTimer took;
    took.start();
    QVERIFY(!runDownload(
        commands, [&commands] { commands.downloadPressed(); }, {}, 30)
                 .timedOut);
    const qint64 tookMs = took.elapsed();
    if (portal.startsWith(u"after") || portal.startsWith(u"late")) {
        QTRY_VERIFY(m_portal.log.contains(u"close before the answer"_qs));
        QVERIFY(m_portal.sendAnswer());
    }
    // Let go once the transfer is over, and not before.
    QTRY_COMPARE_WITH_TIMEOUT(m_portal.log, log, SuspendInhibitor::answerTimeoutMs + 5000);
    QTRY_COMPARE(m_logind.held, 0);
    // The dock hears of the transfer's progress at most about ten times a second, and always that it
    // is over.
    const QString app = u"application://vorn-tools-downloader.desktop "_qs;
    QTRY_COMPARE(m_updates.value(m_updates.size() - 1), app + u" false"_qs);
    QVERIFY2(m_updates.size() <= tookMs / 100 + 3, qPrintable(m_updates.join(u'\n')));
    if (!untilLogind)
        QCOMPARE(m_updates.value(m_updates.size() - 2), app + u"1 true"_qs);
}

QTEST_MAIN(TestDoneNotifier)
#include "tst_donenotifier.moc"
