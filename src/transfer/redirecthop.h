#pragma once

#include "transferfailure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QUrl>

// Where a request goes, hop after hop: the address it starts at, then each redirect's Location resolved
// against the hop it came from and judged once, whether libcurl follows the redirect on its handle or the
// program does on a handle of its own because the next hop needs another proxy. libcurl's own URL parser
// resolves it, as libcurl resolves the redirects it follows, and never guesses a scheme; only http and
// https are followed, never from https down to http, and never more than maxHops in all.
class RedirectHop final
{
public:
    // As many hops as Qt's network stack allowed before, whoever follows them.
    static constexpr int maxHops = 50;

    RedirectHop() = default;
    // `start` as the caller gave it.
    explicit RedirectHop(const QByteArray &start);

    // Moves on to where `location` leads when the rule allows it; otherwise stays, and refusal() says why.
    bool follow(QByteArrayView location);

    // As libcurl's URL parser spells it, scheme first: handed to libcurl as it is, with nothing left to
    // guess. It may hold a user name and password, which libcurl sends as the server asked.
    QByteArray address() const { return m_address; }
    // The same without a user name or password: for the proxy rules, the log, a message, and where the
    // archive came from.
    QUrl url() const;
    // The redirects followed since the start.
    int count() const { return m_count; }
    // Why the last redirect was not followed.
    const TransferFailure &refusal() const { return m_refusal; }

private:
    bool refuse(TransferFailure::Kind kind, const QString &detail, const QString &serverText = {});

    QByteArray m_address;
    int m_count = 0;
    TransferFailure m_refusal;
};
