#include "xpbutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

XpButton::XpButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

QColor XpButton::faceColor()
{
    return QColor(0xEC, 0xE9, 0xD8);
}

void XpButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

QSize XpButton::sizeHint() const
{
    return m_picture.isNull() ? QSize(49, 49) : m_picture.deviceIndependentSize().toSize() + QSize(17, 17);
}

void XpButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void XpButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void XpButton::keyPressEvent(QKeyEvent *event)
{
    // QAbstractButton presses on Space only; a focused button on the desktop also takes Return.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void XpButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool sunken = isDown();
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QPainterPath shape;
    shape.addRoundedRect(outer, 3, 3);
    painter.fillPath(shape, faceColor());

    // Bevel: light top-left and shaded bottom-right when raised, the other way round when pressed.
    const QColor light = sunken ? QColor(0xAC, 0xA8, 0x99) : QColor(Qt::white);
    const QColor shade = sunken ? QColor(Qt::white) : QColor(0xAC, 0xA8, 0x99);
    const QRectF bevel = outer.adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(light, 1.5));
    painter.drawLine(bevel.topLeft(), bevel.topRight());
    painter.drawLine(bevel.topLeft(), bevel.bottomLeft());
    painter.setPen(QPen(shade, 1.5));
    painter.drawLine(bevel.bottomLeft(), bevel.bottomRight());
    painter.drawLine(bevel.topRight(), bevel.bottomRight());

    if (m_hovered && isEnabled() && !sunken) {
        painter.setPen(QPen(QColor(0xF8, 0xB3, 0x30), 2));
        painter.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    }
    painter.setPen(QPen(QColor(0x00, 0x3C, 0x74), 1));
    painter.drawPath(shape);

    if (!m_picture.isNull()) {
        const QSize size = m_picture.deviceIndependentSize().toSize();
        QPoint topLeft((width() - size.width()) / 2, (height() - size.height()) / 2);
        if (sunken)
            topLeft += QPoint(1, 1);
        painter.setRenderHint(QPainter::Antialiasing, false);
        if (isEnabled()) {
            painter.drawPixmap(topLeft, m_picture);
        } else {
            painter.setOpacity(0.4);
            painter.drawPixmap(topLeft, m_picture);
            painter.setOpacity(1.0);
        }
    }

    if (hasFocus()) {
        // A dotted black frame inside the bevel, drawn by us: some styles draw only a faint tint.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}
