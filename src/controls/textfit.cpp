#include "textfit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace TextFit {

Fitted fit(const QFont &font, const QString &text, const QSize &box)
{
    // A pixel stays clear at the end, so the text never touches what stands beside the box.
    const int width = box.width() - 1;
    const auto fits = [&](const QFontMetrics &metrics) {
        return metrics.horizontalAdvance(text) <= width && metrics.height() <= box.height();
    };
    if (fits(QFontMetrics(font)))
        return {font, text};
    const QFontInfo shown(font);
    const int stored = shown.pixelSize();
    const int smallest = std::max(1, (stored * 2 + 2) / 3);
    QFont smaller = font;
    // A bitmap face has no smaller sizes: its scalable stand-in is drawn smaller instead.
    if (!QFontDatabase::isSmoothlyScalable(shown.family(), shown.styleName()))
        smaller.setFamily(QFont::substitute(font.family()));
    for (int size = stored - 1; size >= smallest; --size) {
        smaller.setPixelSize(size);
        if (fits(QFontMetrics(smaller)))
            return {smaller, text};
    }
    return {smaller, QFontMetrics(smaller).elidedText(text, Qt::ElideRight, width)};
}

} // namespace TextFit
