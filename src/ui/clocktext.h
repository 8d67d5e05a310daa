#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <functional>

class QFont;

namespace ClockText {

// The date in the locale's short form.
QString date(const QDate &date, const QLocale &locale);

// The time of day with hours, minutes and seconds in the locale's form, without a time-zone name.
QString time(const QTime &time, const QLocale &locale);

// The same in the locale's short form with the seconds after the minutes, as they follow the hours: the
// shorter standard form of a clock that has seconds ("H:mm:ss" where the long form is "H時mm分ss秒").
QString shortTime(const QTime &time, const QLocale &locale);

// A clock label's text, and the widest text it shows in its form, which its face and size are chosen for:
// the label keeps them all month or all day, instead of changing them on the tenth or at ten o'clock.
struct Shown
{
    QString text;
    QString sizing;
};

// The date, sized for the widest date of its month in `font`.
Shown dateShown(const QDate &date, const QLocale &locale, const QFont &font);

// The time in its long form where the widest time of the day `fitsWhole` the label, else in the short
// form with seconds; sized for the widest time of the day in that form.
Shown timeShown(const QTime &time, const QLocale &locale, const QFont &font,
    const std::function<bool(const QString &)> &fitsWhole);

} // namespace ClockText
