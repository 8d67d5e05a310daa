#pragma once

#include "download/downloadcommands.h"

#include <QCoreApplication>
#include <QString>

// The words the window uses for how a transfer ended: a message for one that did not complete, and a
// line for the progress bar that tells the last outcome until the next transfer starts.
class FailureMessage final
{
    Q_DECLARE_TR_FUNCTIONS(FailureMessage)

public:
    // Empty for a complete or cancelled transfer.
    static QString text(const QString &toolName, const TransferResult &result);
    // A few words for any outcome, e.g. "Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads".
    static QString outcome(const QString &toolName, const TransferResult &result);

    // `path` with "~" for the home folder.
    static QString homeShortened(const QString &path);
};
