#include "progresstip.h"

#include <QCursor>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

ProgressTip::ProgressTip(QWidget *target, Text text, Step step, QObject *parent)
    : QObject(parent)
    , m_target(target)
    , m_text(std::move(text))
    , m_step(std::move(step))
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressTip::refresh);
}

void ProgressTip::start()
{
    // The last outcome goes as the next transfer starts; the widget's own texts stand until a first reading.
    if (m_holding && !m_timer.isActive())
        show(m_ownToolTip, m_ownDescription);
    hold();
    m_describedStep = -1;
    m_timer.start();
}

void ProgressTip::showOutcome(const QString &outcome)
{
    hold();
    m_timer.stop();
    // An outcome may quote the server, and a tooltip takes what looks like markup for markup.
    const QString toolTip = Qt::mightBeRichText(outcome)
        ? QLatin1String("<p style=\"white-space:pre\">") + outcome.toHtmlEscaped() + QLatin1String("</p>")
        : outcome;
    show(toolTip, outcome);
}

void ProgressTip::hold()
{
    if (m_holding || !m_target)
        return;
    m_ownToolTip = m_target->toolTip();
    m_ownDescription = m_target->accessibleDescription();
    m_holding = true;
}

void ProgressTip::refresh()
{
    const QString text = m_text();
    const qint64 step = m_step();
    const bool stepped = step != m_describedStep;
    m_describedStep = step;
    show(text, stepped || !m_target ? text : m_target->accessibleDescription());
}

void ProgressTip::show(const QString &toolTip, const QString &description)
{
    if (!m_target)
        return;
    m_target->setToolTip(toolTip);
    // Qt tells a reader of every description set, even the same one again.
    if (description != m_target->accessibleDescription())
        m_target->setAccessibleDescription(description);
    // A tooltip on screen would otherwise go on showing the text it was opened with.
    if (QToolTip::isVisible() && m_target->underMouse())
        QToolTip::showText(QCursor::pos(), toolTip, m_target);
}
