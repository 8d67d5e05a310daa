#include "transfermath.h"

#include "common/textnumber.h"

namespace TransferMath {

qint64 expectedSize(const QString &contentLength)
{
    const double rounded = TextNumber::roundHalfEven(TextNumber::leadingValue(contentLength));
    if (!(rounded > 0) || rounded >= sizeLimit)
        return 0;
    return qint64(rounded);
}

int percent(qint64 received, qint64 expected)
{
    const double rounded = TextNumber::roundHalfEven(double(received) / double(expected) * 100.0);
    return rounded >= 100.0 ? 100 : int(rounded);
}

} // namespace TransferMath
