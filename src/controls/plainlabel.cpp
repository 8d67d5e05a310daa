#include "plainlabel.h"

#include "textfit.h"

#include <QPainter>

#include <algorithm>

PlainLabel::PlainLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setAutoFillBackground(true);
}

void PlainLabel::setTextWidth(int width)
{
    m_textWidth = width;
    update();
}

void PlainLabel::setSizingText(const QString &text)
{
    if (text == m_sizingText)
        return;
    m_sizingText = text;
    update();
}

void PlainLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // In the window's direction, as XpLabel's caption.
    painter.setLayoutDirection(layoutDirection());
    QRect area = contentsRect();
    if (m_textWidth >= 0)
        area.setWidth(std::min(m_textWidth, area.width()));
    painter.setPen(palette().color(foregroundRole()));
    TextFit::draw(painter, area, alignment(), font(), text(), m_sizingText);
}
