#pragma once

#include <QString>

#include <optional>

namespace TextNumber {

// Reads a decimal number from the start of a text: leading blanks skipped, then an optional sign,
// digits, a decimal point with digits and an exponent, up to the first character that cannot continue
// the number ("2500 bytes" is 2500, "150,3" is 150). Text without a leading number gives 0.
double leadingValue(const QString &text);
// The same, but says when there is no leading number at all; may be infinite when it has too many digits.
std::optional<double> leadingNumber(const QString &text);

// Rounds to the nearest whole number, halves to the even neighbour (0.5 is 0, 1.5 and 2.5 are 2).
double roundHalfEven(double value);

} // namespace TextNumber
