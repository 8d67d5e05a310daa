#include "clocktext.h"

namespace ClockText {

QString date(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

QString time(const QTime &time, const QLocale &locale)
{
    // The long form is the one that has seconds; it also names the zone ("t"), which we drop.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        withoutZone += c;
    }
    return locale.toString(time, withoutZone.trimmed());
}

} // namespace ClockText
