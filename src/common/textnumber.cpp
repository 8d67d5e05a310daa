#include "textnumber.h"

#include <cmath>

namespace TextNumber {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipDigits(const QString &text, qsizetype i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

bool isSign(const QString &text, qsizetype i)
{
    return i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'));
}

} // namespace

std::optional<double> leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (isSign(text, i))
        ++i;
    const qsizetype integerStart = i;
    i = skipDigits(text, i);
    bool anyDigit = i > integerStart;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        const qsizetype fractionStart = i + 1;
        i = skipDigits(text, fractionStart);
        anyDigit = anyDigit || i > fractionStart;
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (isSign(text, j))
            ++j;
        const qsizetype exponentEnd = skipDigits(text, j);
        if (exponentEnd > j)
            i = exponentEnd;
    }
    // Digits too many for a double come back as infinity: still a number, just not a usable one.
    bool ok = false;
    const double value = QStringView(text).mid(start, i - start).toDouble(&ok);
    if (!ok && !std::isinf(value))
        return std::nullopt;
    return value;
}

double leadingValue(const QString &text)
{
    const std::optional<double> value = leadingNumber(text);
    return value && std::isfinite(*value) ? *value : 0;
}

double roundHalfEven(double value)
{
    // Exact in binary floating point, and independent of the rounding mode someone may have set.
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace TextNumber
