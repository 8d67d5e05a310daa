#include "donenotifier.h"

#include "common/datasize.h"
#include "common/plaintext.h"
#include "dbuscall.h"
#include "wording/failuremessage.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QUrl>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString servicePath = QStringLiteral("/org/freedesktop/Notifications");
const QString showInFolderKey = QStringLiteral("show-in-folder");
// A service that takes longer than this to answer is taken as none: the window tells the outcome.
constexpr int serviceTimeoutMs = 3000;

using DBusCall::whenFinished;

QDBusMessage serviceCall(const QString &method)
{
    return QDBusMessage::createMethodCall(service, servicePath, service, method);
}

// Some services render markup while advertising only hyperlinks, which are markup too.
bool mayRenderMarkup(const QStringList &capabilities)
{
    return capabilities.contains(QLatin1String("body-markup"))
        || capabilities.contains(QLatin1String("body-hyperlinks"));
}

} // namespace

DoneNotifier::DoneNotifier(QObject *parent)
    : QObject(parent)
    , m_bus(new DBusCall::Bus(QDBusConnection::SessionBus, this))
{
    m_bus->use([this](QDBusConnection *bus) {
        if (bus)
            listen(*bus);
    });
}

DoneNotifier::~DoneNotifier() = default;

void DoneNotifier::listen(QDBusConnection &bus)
{
    // The service's signals are taken from whoever sends them, and checked against the notification's
    // sender: matching them by the service's name would make the bus ask, and wait, who owns it. Qt
    // connects D-Bus signals only by the slot's name. Done as soon as the bus is there, before any other
    // bus is being connected: Qt waits for that to end before it connects a signal.
    bus.connect({}, servicePath, service, QStringLiteral("ActionInvoked"), this,
        SLOT(actionInvoked(uint, QString, QDBusMessage)));
    bus.connect({}, servicePath, service, QStringLiteral("NotificationClosed"), this,
        SLOT(notificationClosed(uint, uint, QDBusMessage)));
}

void DoneNotifier::transferFinished(const QString &toolName, const TransferResult &result)
{
    if (result.outcome != TransferResult::Outcome::Complete)
        return;
    m_bus->use([this, toolName, result](QDBusConnection *bus) {
        if (!bus) {
            tellWindow(toolName, result);
            return;
        }
        // Whether the body may hold markup decides whether the folder's name is escaped.
        whenFinished(bus->asyncCall(serviceCall(QStringLiteral("GetCapabilities")), serviceTimeoutMs), this,
            [this, bus = *bus, toolName, result](const QDBusPendingCall &call) {
                const QDBusPendingReply<QStringList> capabilities = call;
                if (capabilities.isValid())
                    notify(bus, toolName, result, capabilities.value());
                else
                    tellWindow(toolName, result);
            });
    });
}

void DoneNotifier::notify(const QDBusConnection &bus, const QString &toolName, const TransferResult &result,
    const QStringList &capabilities)
{
    // A name that turns text around or breaks the line must not change what the path reads as; the home
    // folder is written as the window writes it.
    const QString folder = FailureMessage::homeShortened(PlainText::clean(result.folder));
    const QString body = (result.verified ? tr("%1, verified, saved in %2") : tr("%1 saved in %2"))
                             .arg(DataSize::text(result.received, QLocale()),
                                 mayRenderMarkup(capabilities) ? folder.toHtmlEscaped() : folder);
    // "default" is what a click on the notification does: the same as the button. A service invokes only
    // the actions it was given, and takes them only where it says it has actions.
    QStringList actions;
    if (capabilities.contains(QLatin1String("actions")))
        actions = QStringList{
            QStringLiteral("default"), tr("Show in folder"), showInFolderKey, tr("Show in folder")};
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName()},
        {QStringLiteral("category"), QStringLiteral("transfer.complete")},
    };
    QDBusMessage call = serviceCall(QStringLiteral("Notify"));
    call << QCoreApplication::applicationName() << uint(0) << QGuiApplication::desktopFileName()
         << tr("%1 downloaded").arg(toolName) << body << actions << hints << -1;
    whenFinished(bus.asyncCall(call, serviceTimeoutMs), this,
        [this, toolName, result](const QDBusPendingCall &finished) {
            const QDBusPendingReply<uint> id = finished;
            if (!id.isValid()) {
                tellWindow(toolName, result);
                return;
            }
            m_service = id.reply().service();
            m_saved.insert(id.value(), result);
        });
}

void DoneNotifier::tellWindow(const QString &toolName, const TransferResult &result)
{
    Q_EMIT untold(tr("%1 downloaded").arg(toolName), FailureMessage::outcome(toolName, result));
}

void DoneNotifier::actionInvoked(uint id, const QString &actionKey, const QDBusMessage &signal)
{
    const auto saved = m_saved.constFind(id);
    if (signal.service() != m_service || saved == m_saved.cend())
        return;
    if (actionKey == QLatin1String("default") || actionKey == showInFolderKey)
        showInFolder(*saved);
}

void DoneNotifier::notificationClosed(uint id, uint, const QDBusMessage &signal)
{
    if (signal.service() == m_service)
        m_saved.remove(id);
}

void DoneNotifier::showInFolder(const TransferResult &saved)
{
    QDBusMessage showItems = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    showItems << QStringList{QUrl::fromLocalFile(saved.archive).toString(QUrl::FullyEncoded)} << QString();
    // Without a file manager that selects files, the folder is opened the ordinary way; failing that
    // too, the click would otherwise do nothing anybody sees. The opener says whether it found a way to
    // open the folder only by its exit code, so it runs as a process of its own, watched, never waited on.
    m_bus->use([this, folder = saved.folder, showItems](QDBusConnection *bus) {
        whenFinished(bus->asyncCall(showItems), this, [this, folder](const QDBusPendingCall &call) {
            if (!call.isError())
                return;
            auto *opener = new QProcess(this);
            opener->setProcessChannelMode(QProcess::ForwardedChannels);
            opener->setStandardInputFile(QProcess::nullDevice());
            const auto ended = [this, opener, folder](bool opened) {
                opener->deleteLater();
                if (!opened)
                    Q_EMIT untold(tr("Show in folder"),
                        tr("The folder %1 could not be opened: the desktop has no file manager to show it.")
                            .arg(PlainText::clean(folder)));
            };
            connect(opener, &QProcess::finished, this, [ended](int code, QProcess::ExitStatus status) {
                ended(status == QProcess::NormalExit && code == 0);
            });
            connect(opener, &QProcess::errorOccurred, this, [ended](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart)
                    ended(false);
            });
            opener->start(
                QStringLiteral("xdg-open"), {QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded)});
        });
    });
}
