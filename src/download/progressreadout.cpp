#include "progressreadout.h"

#include "common/datasize.h"

#include <cmath>

namespace {

using Seconds = std::chrono::duration<double>;

// A quiet spell this short is a gap between bursts, not a slowdown: a rate-limited server sends in bursts.
constexpr auto burstGap = std::chrono::seconds(1);
// Less than this much of a transfer says nothing reliable about its speed.
constexpr auto shortestSpan = std::chrono::milliseconds(500);
// Slower than this a transfer is not moving: its speed and time left would be figures of nothing.
constexpr double stalledBelow = 1.0;
// The largest double below 2^63: any figure is held at it before it becomes a 64-bit integer.
constexpr double largestWhole = 9223372036854774784.0;

// Every number through `locale`, like the sizes beside it: one sentence, one digit system.
QString timeLeft(qint64 seconds, const QLocale &locale)
{
    if (seconds < 60)
        return ProgressReadout::tr("%1 s left").arg(locale.toString(seconds));
    if (seconds < 3600)
        return ProgressReadout::tr("%1 min %2 s left")
            .arg(locale.toString(seconds / 60), locale.toString(seconds % 60));
    return ProgressReadout::tr("%1 h %2 min left")
        .arg(locale.toString(seconds / 3600), locale.toString(seconds / 60 % 60));
}

// The readings one after the other: "12.3 of 64.0 MiB" and "2.0 MiB/s" make "12.3 of 64.0 MiB, 2.0 MiB/s".
QString followedBy(const QString &readings, const QString &next)
{
    //: Joins the readings of a download's progress: the amount so far, the speed, the time left.
    return ProgressReadout::tr("%1, %2").arg(readings, next);
}

} // namespace

void ProgressReadout::start()
{
    m_samples.clear();
    m_received = 0;
    m_expected = 0;
}

void ProgressReadout::update(qint64 received, Clock::time_point at)
{
    m_received = received;
    // The time spent waiting for the server before its first byte is no part of the speed: the samples
    // begin with that byte.
    // Most arrivals only move the newest sample on; the old ones need looking at once per new sample.
    if (m_samples.size() >= 2 && at - m_samples[m_samples.size() - 2].at < resolution) {
        m_samples.back() = {at, received};
        return;
    }
    m_samples.push_back({at, received});
    // The oldest sample kept is the last one at or before the window's start, where counting begins.
    while (m_samples.size() > 2 && m_samples[1].at <= at - window)
        m_samples.pop_front();
}

double ProgressReadout::bytesPerSecond(Clock::time_point now) const
{
    if (m_samples.size() < 2)
        return unmeasured;
    // Counting starts at the last arrival at or before the window's start, or at the first arrival.
    auto base = m_samples.begin();
    for (auto sample = m_samples.begin(); sample != m_samples.end() && sample->at <= now - window; ++sample)
        base = sample;
    const Sample &last = m_samples.back();
    if (now - m_samples.front().at < shortestSpan)
        return unmeasured;
    // Up to the last arrival; a silence longer than a gap between bursts counts as slowing down.
    const Clock::duration span = std::max(last.at - base->at, now - base->at - burstGap);
    if (span <= Clock::duration::zero())
        return unmeasured;
    return double(last.received - base->received) / Seconds(span).count();
}

QString ProgressReadout::text(Clock::time_point now, const QLocale &locale) const
{
    return text(m_received, m_expected, bytesPerSecond(now), locale);
}

QString ProgressReadout::text(qint64 received, qint64 expected, double bytesPerSecond, const QLocale &locale)
{
    QString readout
        = expected > 0 ? DataSize::partOf(received, expected, locale) : DataSize::text(received, locale);
    if (!(bytesPerSecond >= 0))
        return readout;
    if (bytesPerSecond < stalledBelow)
        return followedBy(readout, tr("stalled"));
    const double rate = std::min(bytesPerSecond, largestWhole);
    //: A speed: "2.0 MiB/s".
    readout = followedBy(readout, tr("%1/s").arg(DataSize::text(qint64(rate), locale)));
    if (expected > received)
        readout = followedBy(readout,
            timeLeft(qint64(std::min(std::ceil(double(expected - received) / rate), largestWhole)), locale));
    return readout;
}
