#pragma once

#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QObject>

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

} // namespace DBusCall
