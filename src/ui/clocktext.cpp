#include "clocktext.h"

#include <QFontMetrics>

#include <algorithm>

namespace ClockText {

namespace {

bool isSeparator(QChar c)
{
    return c.isSpace() || c == QLatin1Char(',');
}

bool closes(QChar open, QChar close)
{
    return (open == QLatin1Char('(') && close == QLatin1Char(')'))
        || (open == QLatin1Char('[') && close == QLatin1Char(']'));
}

QString widest(const QStringList &texts, const QFont &font)
{
    const QFontMetrics metrics(font);
    return *std::max_element(texts.begin(), texts.end(), [&](const QString &a, const QString &b) {
        return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
    });
}

using Form = QString (*)(const QTime &, const QLocale &);

// The widest time of the day in `form`: at each hour, with the widest minutes and seconds of most faces.
QString widestTime(Form form, const QLocale &locale, const QFont &font)
{
    QStringList day;
    for (int hour = 0; hour < 24; ++hour)
        day.append(form(QTime(hour, 58, 58), locale));
    return widest(day, font);
}

} // namespace

QString date(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

QString time(const QTime &time, const QLocale &locale)
{
    // The long form is the one that has seconds; it also names the zone ("t"), which we drop together
    // with what only frames it: "H:mm:ss (t)" in Catalan, "APh:mm:ss [t]" in Cantonese, "h:mm:ss AP, t"
    // in Albanian would otherwise end in "()", "[]" or a comma.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            withoutZone += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t'))
            ++i;
        if (!withoutZone.isEmpty() && i + 1 < format.size() && closes(withoutZone.back(), format[i + 1])) {
            withoutZone.chop(1);
            ++i;
        }
    }
    // Only unquoted text can be at the ends here: a quoted literal ends in a quote, which is kept.
    qsizetype begin = 0;
    qsizetype end = withoutZone.size();
    while (begin < end && isSeparator(withoutZone[begin]))
        ++begin;
    while (end > begin && isSeparator(withoutZone[end - 1]))
        --end;
    return locale.toString(time, withoutZone.mid(begin, end - begin));
}

Shown dateShown(const QDate &today, const QLocale &locale, const QFont &font)
{
    QStringList month;
    for (int day = 1; day <= today.daysInMonth(); ++day)
        month.append(date(QDate(today.year(), today.month(), day), locale));
    return {date(today, locale), widest(month, font)};
}

Shown timeShown(const QTime &now, const QLocale &locale, const QFont &font,
    const std::function<bool(const QString &)> &fitsWhole)
{
    const Form form = fitsWhole(widestTime(time, locale, font)) ? time : shortTime;
    return {form(now, locale), widestTime(form, locale, font)};
}

QString shortTime(const QTime &time, const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype minutes = format.indexOf(QLatin1String("mm"));
    if (minutes < 0 || format.contains(QLatin1String("ss")))
        return locale.toString(time, format);
    // What stands between the hours and the minutes, after the last letter of the hours.
    qsizetype separator = minutes;
    while (separator > 0 && !format[separator - 1].isLetter())
        --separator;
    format.insert(minutes + 2, format.mid(separator, minutes - separator) + QLatin1String("ss"));
    return locale.toString(time, format);
}

} // namespace ClockText
