#include "datasize.h"

#include <QCoreApplication>

#include <bit>

namespace DataSize {

namespace {

constexpr int precision = 1;

// The binary unit formattedDataSize() picks for `bytes`: 0 for bytes, 1 for KiB, 2 for MiB...
int unitPower(qint64 bytes)
{
    return bytes > 0 ? (std::bit_width(quint64(bytes)) - 1) / 10 : 0;
}

} // namespace

QString text(qint64 bytes, const QLocale &locale)
{
    return locale.formattedDataSize(bytes, precision);
}

QString partOf(qint64 part, qint64 whole, const QLocale &locale)
{
    const int power = unitPower(whole);
    const QString shown = power == 0
        ? locale.toString(part)
        : locale.toString(double(part) / double(1LL << (10 * power)), 'f', precision);
    return QCoreApplication::translate("DataSize", "%1 of %2").arg(shown, text(whole, locale));
}

} // namespace DataSize
