#include "dbuscall.h"

#include <QByteArray>
#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace DBusCall {

namespace {

// Where the bus of `type` listens, as a socket address; nothing when it is named in a way only libdbus
// reads (several addresses, a launcher, none at all), and it is then left to Qt.
std::optional<std::pair<sockaddr_un, socklen_t>> busSocket(QDBusConnection::BusType type)
{
    QByteArray address = qgetenv(
        type == QDBusConnection::SystemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty() && type == QDBusConnection::SystemBus)
        address = "unix:path=/var/run/dbus/system_bus_socket";
    sockaddr_un socket{};
    socket.sun_family = AF_UNIX;
    // The first address is the one tried first; its keys are separated by commas.
    const QByteArray first = address.split(';').value(0);
    QByteArray path;
    if (first.startsWith("unix:")) {
        for (const QByteArray &key : first.mid(5).split(',')) {
            if (key.startsWith("path="))
                path = key.mid(5);
            else if (key.startsWith("abstract="))
                path = '\0' + key.mid(9);
        }
    }
    if (path.isEmpty() || path.contains('%') || size_t(path.size()) >= sizeof(socket.sun_path))
        return std::nullopt;
    std::memcpy(socket.sun_path, path.constData(), size_t(path.size()));
    // An abstract name is as long as it is, zeros and all.
    return std::pair{socket, socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size()))};
}

// Whether the daemon at `address` greets a client within the time-out: a wedged one accepts the
// connection and never says a word.
bool answers(const std::pair<sockaddr_un, socklen_t> &address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const QByteArray hello = QByteArray("\0AUTH EXTERNAL ", 15) + QByteArray::number(::geteuid()).toHex()
        + QByteArrayLiteral("\r\n");
    pollfd reply{fd, POLLIN, 0};
    char answer[3] = {};
    const bool greeted
        = ::connect(fd, reinterpret_cast<const sockaddr *>(&address.first), address.second) == 0
        && ::send(fd, hello.constData(), size_t(hello.size()), MSG_NOSIGNAL) == hello.size()
        && ::poll(&reply, 1, Bus::answerTimeoutMs) == 1 && ::recv(fd, answer, sizeof(answer), 0) > 0;
    ::close(fd);
    return greeted;
}

// The connecting threads still running. The program's end waits a while for them: Qt's D-Bus parts go
// with it, and a thread still inside them would find them gone.
struct Helpers
{
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

Helpers &helpers()
{
    static auto *const all = new Helpers; // never destroyed: a thread may still end after the program
    return *all;
}

void waitForHelpers()
{
    std::unique_lock lock(helpers().mutex);
    helpers().ended.wait_for(
        lock, std::chrono::milliseconds(2 * Bus::answerTimeoutMs), [] { return helpers().running == 0; });
}

} // namespace

Bus::Bus(QDBusConnection::BusType type, QObject *parent)
    : QObject(parent)
    , m_relay(std::make_shared<Relay>())
{
    m_relay->bus = this;
    static const bool waitedForAtEnd = (qAddPostRoutine(waitForHelpers), true);
    Q_UNUSED(waitedForAtEnd);
    {
        const std::lock_guard lock(helpers().mutex);
        ++helpers().running;
    }
    std::thread([type, relay = m_relay] {
        std::optional<QDBusConnection> bus;
        const auto socket = busSocket(type);
        if (!socket || answers(*socket))
            bus = type == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                                     : QDBusConnection::sessionBus();
        {
            const std::lock_guard lock(relay->mutex);
            if (relay->bus)
                QMetaObject::invokeMethod(
                    relay->bus, [relay, bus] { relay->bus->connected(bus); }, Qt::QueuedConnection);
        }
        const std::lock_guard lock(helpers().mutex);
        --helpers().running;
        helpers().ended.notify_all();
    }).detach();
}

Bus::~Bus()
{
    const std::lock_guard lock(m_relay->mutex);
    m_relay->bus = nullptr;
}

void Bus::use(const Use &use)
{
    if (!m_known)
        m_waiting.push_back(use);
    else
        use(m_bus ? &*m_bus : nullptr);
}

void Bus::connected(const std::optional<QDBusConnection> &bus)
{
    m_known = true;
    if (bus && bus->isConnected())
        m_bus = bus;
    for (const Use &waiting : std::exchange(m_waiting, {}))
        use(waiting);
}

} // namespace DBusCall
