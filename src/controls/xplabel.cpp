#include "xplabel.h"

#include "textfit.h"

#include <QPainter>

#include <algorithm>

XpLabel::XpLabel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void XpLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    // Read through its accessible interface (Accessibility), without a name change event: the clock
    // would announce every second.
    update();
}

void XpLabel::setForeColor(const QColor &color)
{
    m_foreColor = color;
    update();
}

void XpLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void XpLabel::setTextWidth(int width)
{
    m_textWidth = width;
    update();
}

QSize XpLabel::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, m_caption);
}

void XpLabel::setSizingText(const QString &text)
{
    if (text == m_sizingText)
        return;
    m_sizingText = text;
    update();
}

bool XpLabel::showsWhole(const QString &text) const
{
    return TextFit::fitsWhole(font(), text, textArea().size());
}

QRect XpLabel::textArea() const
{
    return QRect(0, 0, m_textWidth < 0 ? width() : std::min(m_textWidth, width()), height());
}

void XpLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A painter reads text in the application's direction, not the widget's: a caption reads as its
    // window does, also where the language is written right to left.
    painter.setLayoutDirection(layoutDirection());
    painter.setPen(m_foreColor);
    TextFit::draw(painter, textArea(), m_alignment, font(), m_caption, m_sizingText);
}
