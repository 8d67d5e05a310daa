#pragma once

#include "download/downloadcommands.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace DBusCall {
class Bus;
}

// Keeps the system from suspending while a transfer runs: a download never resumes, so a laptop that
// sleeps mid-way costs the whole of it. Asks the desktop's portal, or where none answers logind on the
// system bus, and lets go the moment the transfer ends, however it ends; without a session bus, neither.
// A portal may take the request and then find no way to keep the system awake (most desktops but GNOME's
// only keep the screen on): its answer is heard, and refused, failed or not there in time, logind is
// asked. Every call is asynchronous: a desktop that never answers neither slows the transfer nor holds the
// window, and one that answers after the transfer ended has its hold withdrawn at once.
class SuspendInhibitor final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SuspendInhibitor)

public:
    // Follows the transfers `commands` runs.
    explicit SuspendInhibitor(DownloadCommands *commands, QObject *parent = nullptr);
    ~SuspendInhibitor() override;

    // How long a desktop service may take to answer before it counts as not there.
    static constexpr int answerTimeoutMs = 3000;
    // How long a portal's late answer is still listened for, to withdraw what it grants.
    static constexpr int lateAnswerMs = 120000;

private Q_SLOTS:
    // The portal's answer to a request; `signal` says which request.
    void portalResponse(uint response, const QVariantMap &results, const QDBusMessage &signal);

private:
    // One transfer's hold on the system, shared with the answers still on their way.
    struct Hold;

    void transferStarted(const QString &toolName);
    void transferFinished();
    void askPortal(const QDBusConnection &bus, const std::shared_ptr<Hold> &hold);
    void askLogind(const std::shared_ptr<Hold> &hold);
    void askLogind(QDBusConnection &bus, const std::shared_ptr<Hold> &hold);

    DBusCall::Bus *m_session = nullptr;
    DBusCall::Bus *m_system = nullptr; // once the portal did not answer
    std::shared_ptr<Hold> m_hold;
    int m_requests = 0;
};
