#pragma once

#include "download/downloadcommands.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>

namespace DBusCall {
class Bus;
}

// Tells the desktop that a download is complete: a notification with the tool's name, the size and the
// folder, whose "Show in folder" action opens the file manager at the archive, or else the folder. Every call
// is asynchronous; without a session bus or a notification service nothing waits, and the window is
// asked to tell the outcome itself.
class DoneNotifier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DoneNotifier)

public:
    explicit DoneNotifier(QObject *parent = nullptr);
    ~DoneNotifier() override;

    void transferFinished(const QString &toolName, const TransferResult &result);

Q_SIGNALS:
    // What the desktop did not show, for the window to show instead: a complete download no notification
    // service took, or "Show in folder" that found neither a file manager nor an opener that opened it.
    void untold(const QString &title, const QString &message);

private Q_SLOTS:
    // The notification service's signals; `signal` says who sent them.
    void actionInvoked(uint id, const QString &actionKey, const QDBusMessage &signal);
    void notificationClosed(uint id, uint reason, const QDBusMessage &signal);

private:
    void listen(QDBusConnection &bus);
    void notify(const QDBusConnection &bus, const QString &toolName, const TransferResult &result,
        const QStringList &capabilities);
    void tellWindow(const QString &toolName, const TransferResult &result);
    void showInFolder(const TransferResult &saved);

    DBusCall::Bus *m_bus = nullptr;
    QString m_service; // the unique name of the service that took the last notification
    QHash<uint, TransferResult> m_saved; // the downloads of the notifications on screen, by id
};
