#include "plainlabel.h"

#include "textfit.h"

#include <QPainter>

PlainLabel::PlainLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setAutoFillBackground(true);
}

void PlainLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const TextFit::Fitted fitted = TextFit::fit(font(), text(), area.size());
    painter.setFont(fitted.font);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine, fitted.text);
}
