#include "launcherentry.h"

#include "dbuscall.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>

LauncherEntry::LauncherEntry(DownloadCommands *commands, QObject *parent)
    : QObject(parent)
    , m_bus(new DBusCall::Bus(QDBusConnection::SessionBus, this))
{
    connect(commands, &DownloadCommands::transferStarted, this, [this] { m_percent = -1; });
    connect(commands, &DownloadCommands::progressReported, this, &LauncherEntry::progressReported);
    connect(commands, &DownloadCommands::transferFinished, this, [this] {
        update({{QStringLiteral("progress-visible"), false}});
    });
}

void LauncherEntry::progressReported(const QString &percentage)
{
    // Every chunk reports; the dock hears of each whole percent once.
    const int percent = percentage.toInt();
    if (percent == m_percent)
        return;
    m_percent = percent;
    update({{QStringLiteral("progress"), percent / 100.0}, {QStringLiteral("progress-visible"), true}});
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
