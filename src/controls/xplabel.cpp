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
    setAccessibleName(caption);
    update();
}

void XpLabel::setForeColor(const QColor &color)
{
    m_foreColor = color;
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

void XpLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area(0, 0, m_textWidth < 0 ? width() : std::min(m_textWidth, width()), height());
    const TextFit::Fitted fitted = TextFit::fit(font(), m_caption, area.size());
    painter.setFont(fitted.font);
    painter.setPen(m_foreColor);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fitted.text);
}
