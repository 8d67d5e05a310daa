#include "marquee.h"

#include "common/textnumber.h"
#include "windowdescription.h"

namespace Marquee {

namespace {

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

double limit(int outerWidth, const QLocale &locale)
{
    const float quotient = float(outerWidth * twipsPerPixel) / 50.0f;
    // Written the way a number becomes text here: Western digits and no grouping, only the decimal
    // separator is the locale's. Native digits (Arabic, Persian, Bengali) would read back as 0.
    QString written = QLocale::c().toString(double(quotient), 'g', 7);
    written.replace(QLatin1Char('.'), locale.decimalPoint());
    return TextNumber::leadingValue(written);
}

QString step(const QString &caption, int outerWidth, const QLocale &locale)
{
    QString grown = QLatin1Char(' ') + caption;
    if (limit(outerWidth, locale) <= double(grown.size()))
        return trimBlanks(grown);
    return grown;
}

} // namespace Marquee
