#pragma once

#include <QLocale>
#include <QString>

namespace Marquee {

// The longest the title may grow for a window `outerWidth` logical pixels wide, frame included:
// the width in twips over 50, as a single-precision number written out with `locale`'s decimal
// separator and read back from the start of that text (so with a decimal comma only the whole part counts).
double limit(int outerWidth, const QLocale &locale);

// One step of the title: one more blank in front; once that reaches the limit, back to the bare title.
QString step(const QString &caption, int outerWidth, const QLocale &locale);

} // namespace Marquee
