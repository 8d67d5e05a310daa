#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QPainter;
class QRect;

// Text that keeps to its box: in the font its description gives when it fits, else a little smaller, else in
// a narrow face, else shortened with an ellipsis, so a label never shows a text cut through the middle of a
// character, nor one too small to read.
namespace TextFit {

// The smallest size text is drawn at, in pixels at one device pixel to the pixel: 8.25 points, the size
// of the window's own smallest texts (the tool list, the tool tips), so nothing on the face reads smaller
// than what it was designed to be read at.
inline constexpr int smallestPixelSize = 11;

// The narrow face that stands in where a text does not fit its box at the smallest size.
inline constexpr char16_t narrowFamily[] = u"Arial Narrow";

struct Fitted
{
    QFont font;
    QString text;
};

// The font is chosen for `sizing` where given, the widest text the box will hold, so that a text that
// changes (a clock) keeps its face and size as it does.
Fitted fit(const QFont &font, const QString &text, const QSize &box, const QString &sizing = {});

// Whether `text` is drawn whole, without an ellipsis.
bool fitsWhole(const QFont &font, const QString &text, const QSize &box);

// Draws `text` fitted to `box`, on the baseline the given `font` has there with `alignment`: a text
// drawn smaller stays on the line of its neighbours instead of rising to the top of its box.
void draw(QPainter &painter, const QRect &box, Qt::Alignment alignment, const QFont &font,
    const QString &text, const QString &sizing = {});

} // namespace TextFit
