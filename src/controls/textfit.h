#pragma once

#include <QFont>
#include <QSize>
#include <QString>

// Text that keeps to its box: in the stored font when it fits, else a little smaller, else shortened
// with an ellipsis, so a label never shows a text cut through the middle of a character.
namespace TextFit {

struct Fitted
{
    QFont font;
    QString text;
};

// No smaller than two thirds of the stored size; below that the text is elided instead.
Fitted fit(const QFont &font, const QString &text, const QSize &box);

} // namespace TextFit
