#pragma once

#include "download/downloadcommands.h"

#include <QCoreApplication>
#include <QString>

// The words the window uses for a transfer that did not complete.
class FailureMessage final
{
    Q_DECLARE_TR_FUNCTIONS(FailureMessage)

public:
    // Empty for a complete or cancelled transfer.
    static QString text(const QString &toolName, const TransferResult &result);
};
