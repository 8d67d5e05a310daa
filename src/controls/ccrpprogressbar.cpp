#include "ccrpprogressbar.h"

#include <QAccessible>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>

CcrpProgressBar::CcrpProgressBar(QWidget *parent)
    : QWidget(parent)
{
    m_busyTimer.setInterval(60);
    connect(&m_busyTimer, &QTimer::timeout, this, [this] {
        m_busyPhase = (m_busyPhase + 1) % 40;
        update();
    });
    m_toldTimer.setSingleShot(true);
    m_toldTimer.setInterval(250);
    connect(&m_toldTimer, &QTimer::timeout, this, [this] {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    });
}

void CcrpProgressBar::setValue(int value)
{
    setBusy(false);
    value = std::clamp(value, 0, 100);
    if (value == m_value)
        return;
    m_value = value;
    update();
    // A screen reader follows the value only through these events, at most four a second: a fast
    // transfer's hundred steps in a moment would bury what the reader is told next (how it ended),
    // which readers drop from a queue that long. The value the bar has then is the one told.
    if (!m_toldTimer.isActive())
        m_toldTimer.start();
}

void CcrpProgressBar::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    m_busyPhase = 0;
    if (busy)
        m_busyTimer.start();
    else
        m_busyTimer.stop();
    update();
}

void CcrpProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    painter.fillRect(inner, palette().color(QPalette::Base));
    if (m_busy) {
        // A block a quarter of the bar wide sweeping across it.
        const int block = inner.width() / 4;
        const int travel = inner.width() + block;
        const int x = inner.left() - block + travel * m_busyPhase / 40;
        painter.fillRect(QRect(x, inner.top(), block, inner.height()).intersected(inner), m_fillColor);
    } else if (m_value > 0) {
        painter.fillRect(
            QRect(inner.topLeft(), QSize(inner.width() * m_value / 100, inner.height())), m_fillColor);
    }
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}
