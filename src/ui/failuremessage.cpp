#include "failuremessage.h"

#include "common/plaintext.h"

#include <QLocale>

QString FailureMessage::text(const QString &toolName, const TransferResult &result)
{
    const QLocale locale;
    // The reason may come from the server: only ever plain text, and not a page long.
    const QString reason = PlainText::fromServer(result.reason);
    const QString path = PlainText::clean(result.path);
    switch (result.outcome) {
    case TransferResult::Outcome::Complete:
    case TransferResult::Outcome::Cancelled:
        return {};
    case TransferResult::Outcome::ServerRefused:
        return tr("%1 could not be downloaded: the server answered \"%2\".").arg(toolName, reason);
    case TransferResult::Outcome::NetworkFailed:
        return tr("%1 could not be downloaded: %2").arg(toolName, reason);
    case TransferResult::Outcome::NotTheArchive:
        return tr("%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.")
            .arg(toolName, reason);
    case TransferResult::Outcome::Incomplete: {
        const QString sizes = result.expected > 0
            ? tr("%1 of %2 bytes arrived")
                  .arg(locale.toString(result.received), locale.toString(result.expected))
            : tr("%1 bytes arrived").arg(locale.toString(result.received));
        QString message = tr("The download of %1 is incomplete: %2.").arg(toolName, sizes);
        if (!reason.isEmpty())
            message += QLatin1Char(' ') + reason;
        return message + QLatin1Char('\n') + tr("The partial data is kept in %1.").arg(path);
    }
    case TransferResult::Outcome::CannotWrite:
        return tr("%1 could not be saved to %2: %3").arg(toolName, path, reason);
    }
    return {};
}
