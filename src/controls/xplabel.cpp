#include "xplabel.h"

#include "textfit.h"

#include <QPainter>

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

QSize XpLabel::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, m_caption);
}

void XpLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TextFit::Fitted fitted = TextFit::fit(font(), m_caption, size());
    painter.setFont(fitted.font);
    painter.setPen(m_foreColor);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fitted.text);
}
