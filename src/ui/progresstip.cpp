#include "progresstip.h"

#include <QCursor>
#include <QToolTip>
#include <QWidget>

ProgressTip::ProgressTip(QWidget *target, Text text, QObject *parent)
    : QObject(parent)
    , m_target(target)
    , m_text(std::move(text))
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressTip::refresh);
}

void ProgressTip::start()
{
    if (m_target && !m_timer.isActive()) {
        m_ownToolTip = m_target->toolTip();
        m_ownDescription = m_target->accessibleDescription();
    }
    m_timer.start();
}

void ProgressTip::stop()
{
    if (m_timer.isActive())
        show(m_ownToolTip, m_ownDescription);
    m_timer.stop();
}

void ProgressTip::refresh()
{
    const QString text = m_text();
    show(text, text);
}

void ProgressTip::show(const QString &toolTip, const QString &description)
{
    if (!m_target)
        return;
    m_target->setToolTip(toolTip);
    m_target->setAccessibleDescription(description);
    // A tooltip on screen would otherwise go on showing the text it was opened with.
    if (QToolTip::isVisible() && m_target->underMouse())
        QToolTip::showText(QCursor::pos(), toolTip, m_target);
}
