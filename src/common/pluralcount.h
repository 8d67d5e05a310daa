#pragma once

#include <QtGlobal>

#include <limits>

// tr() picks a sentence's plural form by an int, which a count of bytes outgrows. Every language's
// plural rules look at the last few digits or at whether the count is small, so a count beyond an int
// keeps its last six digits, above a million.
constexpr int pluralCount(qint64 count)
{
    return count <= std::numeric_limits<int>::max() ? int(count) : int(1'000'000 + count % 1'000'000);
}
