#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The desktop's services are asked without ever waiting for them.
namespace DBusCall {

// Runs `handle` with the finished call, once, as long as `context` lives.
template <typename Handler> void whenFinished(const QDBusPendingCall &call, QObject *context, Handler handle)
{
    auto *watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, handle] {
        watcher->deleteLater();
        handle(*watcher);
    });
}

// A connection to one of the desktop's buses, made on a thread of its own: the first connection to a bus
// waits for its daemon to answer, which a wedged one never does, and while Qt makes one it holds every
// other caller of QDBusConnection::sessionBus() and systemBus(), and every D-Bus signal connection. So
// the window's thread never asks for a bus itself, and a daemon that does not answer is not connected.
class Bus final : public QObject
{
public:
    // Null where there is no bus.
    using Use = std::function<void(QDBusConnection *bus)>;

    explicit Bus(QDBusConnection::BusType type, QObject *parent);
    ~Bus() override;

    // Runs `use` with the bus once it is there or known not to be: at once when it is.
    void use(const Use &use);

    // How long a daemon may take to answer before it counts as not there.
    static constexpr int answerTimeoutMs = 3000;

private:
    // Where the connecting thread, which may outlive the bus's user, hands the connection over.
    struct Relay
    {
        std::mutex mutex;
        Bus *bus = nullptr;
    };

    void connected(const std::optional<QDBusConnection> &bus);

    std::shared_ptr<Relay> m_relay;
    bool m_known = false;
    std::optional<QDBusConnection> m_bus;
    std::vector<Use> m_waiting;
};

} // namespace DBusCall
