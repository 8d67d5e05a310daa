#include "clocktext.h"

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

} // namespace ClockText
