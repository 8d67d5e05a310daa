#pragma once

#include <QString>

namespace TransferMath {

// received / expected * 100 in double precision, rounded halves to even, held at 100.
// Only meaningful for expected > 0; an unknown size is shown differently.
int percent(qint64 received, qint64 expected);

// A count below which percent() stays at `percent` for this `expected`: a loop that reports after every
// read need not work the percentage out again before it gets there. Never later than the change itself.
qint64 nextPercentChange(int percent, qint64 expected);

} // namespace TransferMath
