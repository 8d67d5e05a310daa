#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QObject;

// The proxy a request goes through, chosen as curl chooses it: `http_proxy` (`https_proxy` for https),
// then `all_proxy`, each also in capitals but `HTTP_PROXY`, unless `no_proxy` covers the host. Only when none
// of them is set does Qt's configuration decide (the application's proxy, or the desktop's settings).
namespace ProxyRules {

// The value of the named environment variable; empty when it is not set.
using Environment = std::function<QByteArray(const char *name)>;

struct Choice
{
    QByteArray address; // as libcurl takes it; empty for a direct connection
    QByteArray user;
    QByteArray password;
    // The variable the address came from, e.g. "http_proxy"; empty for Qt's configuration.
    QString source;
    // Why the setting cannot be read; a request must then fail rather than go direct.
    QString error;

    bool operator==(const Choice &) const = default;
};

Choice choose(const QUrl &url, const Environment &environment);

// What the environment decides, as choose() does; nothing when only Qt's configuration can tell.
std::optional<Choice> decide(const QUrl &url, const Environment &environment);

// choose()'s answer, given to `answered` at once where the environment decides. Qt's configuration may
// download and run the desktop's proxy script, which takes as long as its server does: it is asked on a
// thread of its own, and `answered` runs on the window thread later, unless `context` is gone by then.
void ask(const QUrl &url, QObject *context, std::function<void(const Choice &)> answered);

// The process's own environment.
QByteArray processEnvironment(const char *name);

} // namespace ProxyRules
