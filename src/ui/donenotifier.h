#pragma once

#include "download/downloadcommands.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class NotificationsInterface;

// Tells the desktop that a download is complete: a notification with the tool's name, the size and the
// folder, whose "Show in folder" action opens the file manager at the archive, or else the folder. Every call
// is asynchronous; without a session bus or a notification service nothing is shown and nothing waits.
class DoneNotifier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DoneNotifier)

public:
    explicit DoneNotifier(QObject *parent = nullptr);
    ~DoneNotifier() override;

    void transferFinished(const QString &toolName, const TransferResult &result);

Q_SIGNALS:
    // "Show in folder" found neither a file manager nor a way to open the folder: `message` says so.
    void folderNotShown(const QString &message);

private:
    void notify(const QString &toolName, const TransferResult &result, bool markup);
    void actionInvoked(uint id, const QString &actionKey);
    void showInFolder(const QString &archive);

    QPointer<NotificationsInterface> m_notifications;
    QHash<uint, QString> m_archives; // of the notifications on screen, by id
};
