#include "suspendinhibitor.h"

#include "dbuscall.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

#include <utility>

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
    QString portalRequest; // where the portal puts the request, known before it answers
    bool portalAnswered = false;
    bool ended = false;
    bool logindAsked = false; // whether logind was asked
    QDBusUnixFileDescriptor logindLock; // closed at the end

    // Withdraws the portal's request at `path`; one not (or no longer) there answers with an error nobody
    // needs to hear.
    void withdraw(const QString &path) const
    {
        session->send(QDBusMessage::createMethodCall(
            portalService, path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")));
    }

    void release()
    {
        ended = true;
        if (session)
            withdraw(portalRequest);
        logindLock = {};
    }
};

SuspendInhibitor::SuspendInhibitor(DownloadCommands *commands, QObject *parent)
    : QObject(parent)
    , m_session(new DBusCall::Bus(QDBusConnection::SessionBus, this))
{
    // The portal's answer comes as a signal on the request, which may come before the call returns: heard
    // from any sender and on any path, so that the bus is never asked who owns a name, and matched to the
    // request by its path; a stranger's answer can only make logind asked too. Listened for as soon as
    // the bus is there, before any other bus is being connected: Qt waits for that to end before it
    // connects a signal.
    m_session->use([this](QDBusConnection *bus) {
        if (bus)
            bus->connect({}, {}, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                this, SLOT(portalResponse(uint, QVariantMap, QDBusMessage)));
    });
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
    hold->portalRequest = portalRequestPath(bus, token);
    QDBusMessage inhibit
        = QDBusMessage::createMethodCall(portalService, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    inhibit << QString() << suspendFlag
            << QVariantMap{{QStringLiteral("reason"), hold->reason}, {QStringLiteral("handle_token"), token}};
    // The answer is still heard long after logind was asked instead, to withdraw what it grants then.
    whenFinished(bus.asyncCall(inhibit, lateAnswerMs), this, [this, hold](const QDBusPendingCall &call) {
        const QDBusPendingReply<QDBusObjectPath> handle = call;
        hold->portalAnswered = true;
        if (!handle.isValid()) {
            askLogind(hold);
            return;
        }
        // A portal older than request tokens puts the request where it likes.
        hold->portalRequest = handle.value().path();
        if (hold->ended)
            hold->withdraw(hold->portalRequest);
    });
    QTimer::singleShot(answerTimeoutMs, this, [this, hold] {
        if (!hold->portalAnswered)
            askLogind(hold);
    });
}

void SuspendInhibitor::portalResponse(uint response, const QVariantMap &, const QDBusMessage &signal)
{
    // Anything but 0 means the portal does not keep the system awake after all.
    if (response != 0 && m_hold && m_hold->session && signal.path() == m_hold->portalRequest)
        askLogind(m_hold);
}

void SuspendInhibitor::askLogind(const std::shared_ptr<Hold> &hold)
{
    if (hold->ended || std::exchange(hold->logindAsked, true))
        return;
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
