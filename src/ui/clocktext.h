#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace ClockText {

// The date in the locale's short form.
QString date(const QDate &date, const QLocale &locale);

// The time of day with hours, minutes and seconds in the locale's form, without a time-zone name.
QString time(const QTime &time, const QLocale &locale);

} // namespace ClockText
