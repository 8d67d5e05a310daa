#pragma once

#include "download/downloadcommands.h"

#include <QObject>
#include <QTimer>
#include <QVariantMap>

namespace DBusCall {
class Bus;
}

// Shows a running transfer's progress on the program's task bar or dock entry, as docks read it from
// `com.canonical.Unity.LauncherEntry` signals on the session bus; a minimised window still shows how far
// the download is. Signals only, so nothing ever waits; without a session bus nothing is sent. A fast
// transfer passes a percent every few milliseconds: the dock hears at most about ten a second, always the
// last of them, and that the transfer is over.
class LauncherEntry final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LauncherEntry)

public:
    // Follows the transfers `commands` runs.
    explicit LauncherEntry(DownloadCommands *commands, QObject *parent = nullptr);

private:
    void progressReported(const QString &percentage);
    void update(const QVariantMap &properties);
    // Sends the percent not yet sent, if any.
    void flush();

    static constexpr int intervalMs = 100;

    DBusCall::Bus *m_bus = nullptr;
    QTimer *m_pause = nullptr; // running while the dock has just heard
    int m_percent = -1;
    bool m_pending = false;
};
