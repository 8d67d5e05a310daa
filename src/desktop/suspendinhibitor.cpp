#include "suspendinhibitor.h"

#include "dbuscall.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
// The portal's flag for suspending; the screen may still lock and blank meanwhile.
constexpr uint suspendFlag = 4;

using DBusCall::whenFinished;

// Where the portal puts the request for `token`: known before it answers, so that a request it answers
// too late for us to hear is still withdrawn.
QString portalRequestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QLatin1String("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

} // namespace

struct SuspendInhibitor::Hold
{
    QString reason;
    std::optional<QDBusConnection> session;
    bool ended = false;
    QString portalRequest; // withdrawn at the end
    QDBusUnixFileDescriptor logindLock; // closed at the end

    void release()
    {
        ended = true;
        if (!portalRequest.isEmpty())
            session->send(QDBusMessage::createMethodCall(portalService, portalRequest,
                QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")));
        portalRequest.clear();
        logindLock = {};
    }
};

SuspendInhibitor::SuspendInhibitor(DownloadCommands *commands, QObject *parent)
    : QObject(parent)
    , m_session(new DBusCall::Bus(QDBusConnection::SessionBus, this))
{
    connect(commands, &DownloadCommands::transferStarted, this, &SuspendInhibitor::transferStarted);
    connect(commands, &DownloadCommands::transferFinished, this, &SuspendInhibitor::transferFinished);
}

SuspendInhibitor::~SuspendInhibitor()
{
    transferFinished();
}

void SuspendInhibitor::transferStarted(const QString &toolName)
{
    transferFinished();
    m_hold = std::make_shared<Hold>();
    m_hold->reason = tr("Downloading %1").arg(toolName);
    m_session->use([this, hold = m_hold](QDBusConnection *bus) {
        // Where no session bus is named the program uses no bus at all.
        if (bus && !hold->ended)
            askPortal(*bus, hold);
    });
}

void SuspendInhibitor::transferFinished()
{
    if (m_hold)
        m_hold->release();
    m_hold.reset();
}

void SuspendInhibitor::askPortal(const QDBusConnection &bus, const std::shared_ptr<Hold> &hold)
{
    hold->session = bus;
    const QString token = QLatin1String("vorn") + QString::number(++m_requests);
    QDBusMessage inhibit
        = QDBusMessage::createMethodCall(portalService, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    inhibit << QString() << suspendFlag
            << QVariantMap{{QStringLiteral("reason"), hold->reason}, {QStringLiteral("handle_token"), token}};
    const QString expected = portalRequestPath(bus, token);
    whenFinished(
        bus.asyncCall(inhibit, answerTimeoutMs), this, [this, hold, expected](const QDBusPendingCall &call) {
            const QDBusPendingReply<QDBusObjectPath> handle = call;
            // A portal that is there but slow may still make the request after we stopped listening.
            hold->portalRequest = handle.isValid()             ? handle.value().path()
                : handle.error().type() == QDBusError::NoReply ? expected
                                                               : QString();
            if (hold->ended)
                hold->release();
            else if (!handle.isValid())
                askLogind(hold);
        });
}

void SuspendInhibitor::askLogind(const std::shared_ptr<Hold> &hold)
{
    // The system bus is connected the first time it is needed, never waited for: a transfer that ends
    // before it is there needs it no more.
    if (!m_system)
        m_system = new DBusCall::Bus(QDBusConnection::SystemBus, this);
    m_system->use([this, hold](QDBusConnection *bus) {
        if (bus && !hold->ended)
            askLogind(*bus, hold);
    });
}

void SuspendInhibitor::askLogind(QDBusConnection &bus, const std::shared_ptr<Hold> &hold)
{
    QDBusMessage inhibit = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QCoreApplication::applicationName() << hold->reason
            << QStringLiteral("block");
    whenFinished(bus.asyncCall(inhibit, answerTimeoutMs), this, [hold](const QDBusPendingCall &call) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> lock = call;
        // Once the transfer is over, the descriptor closes with the answer.
        if (lock.isValid() && !hold->ended)
            hold->logindLock = lock.value();
    });
}
