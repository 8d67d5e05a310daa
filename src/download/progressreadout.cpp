#include "progressreadout.h"

#include <QCursor>
#include <QToolTip>
#include <QWidget>

#include <bit>
#include <cmath>

namespace {

// The binary unit Qt's own size texts would pick for `bytes`: 0 for bytes, 1 for KiB, 2 for MiB...
int unitPower(qint64 bytes)
{
    return bytes > 0 ? (std::bit_width(quint64(bytes)) - 1) / 10 : 0;
}

QString timeLeft(qint64 seconds)
{
    if (seconds < 60)
        return ProgressReadout::tr("%1 s left").arg(seconds);
    if (seconds < 3600)
        return ProgressReadout::tr("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
    return ProgressReadout::tr("%1 h %2 min left").arg(seconds / 3600).arg(seconds / 60 % 60);
}

} // namespace

ProgressReadout::ProgressReadout(QWidget *target, QObject *parent)
    : QObject(parent)
    , m_target(target)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressReadout::refresh);
}

void ProgressReadout::start()
{
    m_received = m_expected = m_lastReceived = m_lastMs = 0;
    m_rate = 0;
    m_measured = false;
    if (m_target) {
        m_ownToolTip = m_target->toolTip();
        m_ownDescription = m_target->accessibleDescription();
    }
    m_clock.start();
    m_timer.start();
}

void ProgressReadout::stop()
{
    if (m_timer.isActive())
        show(m_ownToolTip, m_ownDescription);
    m_timer.stop();
}

void ProgressReadout::refresh()
{
    const qint64 now = m_clock.elapsed();
    // The time spent waiting for the server's answer is no part of the speed.
    if (m_received == 0 || now <= m_lastMs) {
        m_lastMs = now;
        return;
    }
    const double recent = double(m_received - m_lastReceived) * 1000.0 / double(now - m_lastMs);
    // Smoothed over about a second, so the time left does not jump with every burst.
    m_rate = m_measured ? 0.7 * m_rate + 0.3 * recent : recent;
    m_measured = true;
    m_lastReceived = m_received;
    m_lastMs = now;
    const QString readout = text(m_received, m_expected, m_rate, QLocale());
    show(readout, readout);
}

void ProgressReadout::show(const QString &toolTip, const QString &description)
{
    if (!m_target)
        return;
    m_target->setToolTip(toolTip);
    m_target->setAccessibleDescription(description);
    // A tooltip on screen would otherwise go on showing the text it was opened with.
    if (QToolTip::isVisible() && m_target->underMouse())
        QToolTip::showText(QCursor::pos(), toolTip, m_target);
}

QString ProgressReadout::text(qint64 received, qint64 expected, double bytesPerSecond, const QLocale &locale)
{
    QString readout;
    if (expected > 0) {
        const int power = unitPower(expected);
        const QString part = power == 0
            ? locale.toString(received)
            : locale.toString(double(received) / double(1LL << (10 * power)), 'f', 1);
        readout = tr("%1 of %2").arg(part, locale.formattedDataSize(expected, 1));
    } else {
        readout = locale.formattedDataSize(received, 1);
    }
    if (bytesPerSecond <= 0)
        return readout;
    readout += QLatin1String(", ") + tr("%1/s").arg(locale.formattedDataSize(qint64(bytesPerSecond), 1));
    if (expected > received)
        readout += QLatin1String(", ")
            + timeLeft(qint64(std::ceil(double(expected - received) / bytesPerSecond)));
    return readout;
}
