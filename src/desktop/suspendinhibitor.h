#pragma once

#include "download/downloadcommands.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

#include <memory>

namespace DBusCall {
class Bus;
}

// Keeps the system from suspending while a transfer runs: a download never resumes, so a laptop that
// sleeps mid-way costs the whole of it. Asks the desktop's portal, or where none answers logind on the
// system bus, and lets go the moment the transfer ends, however it ends; without a session bus, neither.
// Every call is asynchronous and short-lived: a desktop that never answers neither slows the transfer nor
// holds the window.
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
