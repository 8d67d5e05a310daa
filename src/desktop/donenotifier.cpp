#include "donenotifier.h"

#include "common/datasize.h"
#include "common/plaintext.h"
#include "dbuscall.h"
#include "wording/failuremessage.h"

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QUrl>

// The desktop's notification service. Declaring its signals here lets them be connected like any
// Qt signal; the base class asks the bus for them once somebody connects.
class NotificationsInterface final : public QDBusAbstractInterface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NotificationsInterface)

public:
    NotificationsInterface(const QDBusConnection &bus, QObject *parent)
        : QDBusAbstractInterface(QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"), "org.freedesktop.Notifications", bus, parent)
    { }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);
};

namespace {

const QString showInFolderKey = QStringLiteral("show-in-folder");
// A service that takes longer than this to answer is taken as none: the window tells the outcome.
constexpr int serviceTimeoutMs = 3000;

using DBusCall::whenFinished;

// Some services render markup while advertising only hyperlinks, which are markup too.
bool mayRenderMarkup(const QStringList &capabilities)
{
    return capabilities.contains(QLatin1String("body-markup"))
        || capabilities.contains(QLatin1String("body-hyperlinks"));
}

} // namespace

DoneNotifier::DoneNotifier(QObject *parent)
    : QObject(parent)
{ }

DoneNotifier::~DoneNotifier() = default;

void DoneNotifier::transferFinished(const QString &toolName, const TransferResult &result)
{
    if (result.outcome != TransferResult::Outcome::Complete)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        tellWindow(toolName, result);
        return;
    }
    if (!m_notifications) {
        m_notifications = new NotificationsInterface(bus, this);
        m_notifications->setTimeout(serviceTimeoutMs);
        connect(m_notifications, &NotificationsInterface::ActionInvoked, this, &DoneNotifier::actionInvoked);
        connect(m_notifications, &NotificationsInterface::NotificationClosed, this,
            [this](uint id) { m_saved.remove(id); });
    }
    // Whether the body may hold markup decides whether the folder's name is escaped.
    whenFinished(m_notifications->asyncCall(QStringLiteral("GetCapabilities")), this,
        [this, toolName, result](const QDBusPendingCall &call) {
            const QDBusPendingReply<QStringList> capabilities = call;
            if (capabilities.isValid())
                notify(toolName, result, mayRenderMarkup(capabilities.value()));
            else
                tellWindow(toolName, result);
        });
}

void DoneNotifier::notify(const QString &toolName, const TransferResult &result, bool markup)
{
    // A name that turns text around or breaks the line must not change what the path reads as.
    const QString folder = PlainText::clean(result.folder);
    const QString body
        = (result.verified ? tr("%1, verified, saved in %2") : tr("%1 saved in %2"))
              .arg(DataSize::text(result.received, QLocale()), markup ? folder.toHtmlEscaped() : folder);
    // "default" is what a click on the notification does: the same as the button.
    const QStringList actions{
        QStringLiteral("default"), tr("Show in folder"), showInFolderKey, tr("Show in folder")};
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName()},
        {QStringLiteral("category"), QStringLiteral("transfer.complete")},
    };
    const QDBusPendingCall call
        = m_notifications->asyncCall(QStringLiteral("Notify"), QCoreApplication::applicationName(), uint(0),
            QGuiApplication::desktopFileName(), tr("%1 downloaded").arg(toolName), body, actions, hints, -1);
    whenFinished(call, this, [this, toolName, result](const QDBusPendingCall &finished) {
        const QDBusPendingReply<uint> id = finished;
        if (id.isValid())
            m_saved.insert(id.value(), result);
        else
            tellWindow(toolName, result);
    });
}

void DoneNotifier::tellWindow(const QString &toolName, const TransferResult &result)
{
    Q_EMIT untold(tr("%1 downloaded").arg(toolName), FailureMessage::outcome(toolName, result));
}

void DoneNotifier::actionInvoked(uint id, const QString &actionKey)
{
    const auto saved = m_saved.constFind(id);
    if (saved == m_saved.cend())
        return;
    if (actionKey == QLatin1String("default") || actionKey == showInFolderKey)
        showInFolder(*saved);
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
    whenFinished(m_notifications->connection().asyncCall(showItems), this,
        [this, folder = saved.folder](const QDBusPendingCall &call) {
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
}

#include "donenotifier.moc"
