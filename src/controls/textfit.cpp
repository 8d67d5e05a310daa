#include "textfit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace TextFit {

namespace {

// How far the ink reaches past the text's advance: a face drawn bold without a bold design of its own
// (the CJK fall-backs) spreads a pixel beyond it.
int overhang(const QFontMetrics &metrics, const QString &text)
{
    return std::max(0, metrics.boundingRect(text).right() + 1 - metrics.horizontalAdvance(text));
}

} // namespace

Fitted fit(const QFont &font, const QString &text, const QSize &box)
{
    // A pixel stays clear at the end, so the text never touches what stands beside the box.
    const int width = box.width() - 1;
    const auto fits = [&](const QFontMetrics &metrics) {
        return metrics.horizontalAdvance(text) + overhang(metrics, text) <= width
            && metrics.height() <= box.height();
    };
    if (fits(QFontMetrics(font)))
        return {font, text};
    const QFontInfo shown(font);
    const int designed = shown.pixelSize();
    const int smallest = std::max(1, (designed * 2 + 2) / 3);
    QFont smaller = font;
    // A bitmap face has no smaller sizes: its scalable stand-in is drawn smaller instead.
    if (!QFontDatabase::isSmoothlyScalable(shown.family(), shown.styleName()))
        smaller.setFamily(QFont::substitute(font.family()));
    for (int size = designed - 1; size >= smallest; --size) {
        smaller.setPixelSize(size);
        if (fits(QFontMetrics(smaller)))
            return {smaller, text};
    }
    const QFontMetrics metrics(smaller);
    return {smaller, metrics.elidedText(text, Qt::ElideRight, width - overhang(metrics, text))};
}

void draw(
    QPainter &painter, const QRect &box, Qt::Alignment alignment, const QFont &font, const QString &text)
{
    const Fitted fitted = fit(font, text, box.size());
    const QFontMetrics designed(font);
    int baseline = box.top() + designed.ascent();
    if (alignment & Qt::AlignBottom)
        baseline = box.top() + box.height() - designed.descent();
    else if (alignment & Qt::AlignVCenter)
        baseline = box.top() + (box.height() - designed.height()) / 2 + designed.ascent();
    const int advance = QFontMetrics(fitted.font).horizontalAdvance(fitted.text);
    int left = box.left();
    if (alignment & Qt::AlignRight)
        left = box.left() + box.width() - advance;
    else if (alignment & Qt::AlignHCenter)
        left = box.left() + (box.width() - advance) / 2;
    painter.setFont(fitted.font);
    // At a point rather than in a rectangle: laid out in a rectangle, a line sits as low as its tallest
    // fall-back face (CJK) asks, and leaves the line of its neighbours.
    painter.drawText(QPoint(left, baseline), fitted.text);
}

} // namespace TextFit
