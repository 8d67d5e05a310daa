#include "textfit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace TextFit {

namespace {

// How far the ink reaches past the text's advance: a face drawn bold without a bold design of its own
// spreads a pixel beyond it, and the fall-back faces' glyphs (CJK) reach further than their boxes say.
int overhang(const QFontMetrics &metrics, const QString &text)
{
    return std::max(0, metrics.tightBoundingRect(text).right() + 1 - metrics.horizontalAdvance(text));
}

// A pixel stays clear at the end, so the text never touches what stands beside the box.
bool fits(const QFontMetrics &metrics, const QString &text, const QSize &box)
{
    return metrics.horizontalAdvance(text) + overhang(metrics, text) <= box.width() - 1
        && metrics.height() <= box.height();
}

// The font `text` is drawn in: the stored one where it fits, else the first size down to the smallest
// that does, else the same in the narrow face; where none fits, the narrow face at the smallest size.
QFont face(const QFont &stored, const QString &text, const QSize &box)
{
    // A bitmap face without a bold design draws thin: the faces standing in for it (fall-backs, the
    // smaller scalable one) draw in its weight, not bold beside it.
    const QFontInfo shown(stored);
    const bool bitmap = !QFontDatabase::isSmoothlyScalable(shown.family(), shown.styleName());
    QFont font = stored;
    if (const int designed = QFontDatabase::weight(shown.family(), shown.styleName()); bitmap && designed > 0)
        font.setWeight(QFont::Weight(designed));
    if (fits(QFontMetrics(font), text, box))
        return font;
    const int designedSize = shown.pixelSize();
    const int smallest = std::min(designedSize, smallestPixelSize);
    QFont smaller = font;
    // A bitmap face has no smaller sizes: its scalable stand-in is drawn smaller instead.
    if (bitmap)
        smaller.setFamily(QFont::substitute(font.family()));
    QFont narrow = smaller;
    narrow.setFamily(QString::fromUtf16(narrowFamily));
    for (QFont *candidate : {&smaller, &narrow}) {
        for (int size = designedSize; size >= smallest; --size) {
            candidate->setPixelSize(size);
            if (fits(QFontMetrics(*candidate), text, box))
                return *candidate;
        }
    }
    return narrow;
}

} // namespace

Fitted fit(const QFont &stored, const QString &text, const QSize &box, const QString &sizing)
{
    const QFont font = face(stored, sizing.isEmpty() ? text : sizing, box);
    const QFontMetrics metrics(font);
    if (fits(metrics, text, box))
        return {font, text};
    return {font, metrics.elidedText(text, Qt::ElideRight, box.width() - 1 - overhang(metrics, text))};
}

bool fitsWhole(const QFont &font, const QString &text, const QSize &box)
{
    return fit(font, text, box).text == text;
}

void draw(QPainter &painter, const QRect &box, Qt::Alignment alignment, const QFont &font,
    const QString &text, const QString &sizing)
{
    const Fitted fitted = fit(font, text, box.size(), sizing);
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
