#include "transfermath.h"

#include "common/textnumber.h"

#include <limits>

namespace TransferMath {

int percent(qint64 received, qint64 expected)
{
    const double rounded = TextNumber::roundHalfEven(double(received) / double(expected) * 100.0);
    return rounded >= 100.0 ? 100 : int(rounded);
}

qint64 nextPercentChange(int percent, qint64 expected)
{
    if (percent >= 100)
        return std::numeric_limits<qint64>::max();
    // Below (percent + 0.5) % of the size the share rounds to `percent` at most; the margin, a
    // billionth and a byte, keeps the rounding of either division from pushing the change past it.
    const double edge = (percent + 0.5) / 100.0 * double(expected);
    return qint64(edge * (1.0 - 1e-9)) - 1;
}

} // namespace TransferMath
