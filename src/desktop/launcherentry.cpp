#include "launcherentry.h"

#include "dbuscall.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>

#include <utility>

LauncherEntry::LauncherEntry(DownloadCommands *commands, QObject *parent)
    : QObject(parent)
    , m_bus(new DBusCall::Bus(QDBusConnection::SessionBus, this))
    , m_pause(new QTimer(this))
{
    m_pause->setSingleShot(true);
    m_pause->setInterval(intervalMs);
    connect(m_pause, &QTimer::timeout, this, &LauncherEntry::flush);
    connect(commands, &DownloadCommands::transferStarted, this, [this] { m_percent = -1; });
    connect(commands, &DownloadCommands::progressReported, this, &LauncherEntry::progressReported);
    connect(commands, &DownloadCommands::transferFinished, this, [this] {
        flush();
        m_pause->stop();
        update({{QStringLiteral("progress-visible"), false}});
    });
}

void LauncherEntry::progressReported(const QString &percentage)
{
    // Every chunk reports; the dock hears of a whole percent at most once.
    const int percent = percentage.toInt();
    if (percent == m_percent)
        return;
    m_percent = percent;
    m_pending = true;
    if (!m_pause->isActive())
        flush();
}

void LauncherEntry::flush()
{
    if (!std::exchange(m_pending, false))
        return;
    update({{QStringLiteral("progress"), m_percent / 100.0}, {QStringLiteral("progress-visible"), true}});
    m_pause->start();
}

void LauncherEntry::update(const QVariantMap &properties)
{
    QDBusMessage signal
        = QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/vorn"),
            QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    // The dock matches the entry by its desktop file.
    signal << QLatin1String("application://") + QGuiApplication::desktopFileName() + QLatin1String(".desktop")
           << properties;
    m_bus->use([signal](QDBusConnection *bus) {
        if (bus)
            bus->send(signal);
    });
}
