#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QPainter;
class QRect;

// Text that keeps to its box: in the font its description gives when it fits, else a little smaller, else
// shortened with an ellipsis, so a label never shows a text cut through the middle of a character.
namespace TextFit {

struct Fitted
{
    QFont font;
    QString text;
};

// No smaller than two thirds of the size the description gives; below that the text is elided instead.
Fitted fit(const QFont &font, const QString &text, const QSize &box);

// Draws `text` fitted to `box`, on the baseline the given `font` has there with `alignment`: a text
// drawn smaller stays on the line of its neighbours instead of rising to the top of its box.
void draw(
    QPainter &painter, const QRect &box, Qt::Alignment alignment, const QFont &font, const QString &text);

} // namespace TextFit
