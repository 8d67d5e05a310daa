#pragma once

#include <QLocale>
#include <QString>

// Sizes as the program tells them, in the message, the progress bar's tooltip and the notification
// alike: Qt's binary units in the locale's digits, with one decimal.
namespace DataSize {

// "2.4 MiB", "500 bytes".
QString text(qint64 bytes, const QLocale &locale);

// "12.3 of 64.0 MiB": the part in the unit of the whole, so the two read as one figure against the other.
QString partOf(qint64 part, qint64 whole, const QLocale &locale);

} // namespace DataSize
