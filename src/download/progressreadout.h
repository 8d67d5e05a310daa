#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <chrono>
#include <deque>

// How far a transfer has got, in words such as "12.3 of 64.0 MiB, 2.0 MiB/s, 26 s left". The copying
// loop only hands over its count; the speed is measured over the last seconds of real time from the
// arrival times of the bytes, so bursts and uneven polling do not make it jump.
class ProgressReadout final
{
    Q_DECLARE_TR_FUNCTIONS(ProgressReadout)

public:
    using Clock = std::chrono::steady_clock;
    // The span the speed is measured over.
    static constexpr Clock::duration window = std::chrono::seconds(4);

    // A new transfer: nothing received, size unknown, no speed yet.
    void start();
    void setExpected(qint64 expected) { m_expected = expected; }
    // `received` bytes in all have arrived by `at`.
    void update(qint64 received, Clock::time_point at);

    qint64 received() const { return m_received; }
    qint64 expected() const { return m_expected; }
    // What bytesPerSecond() gives until there is enough to tell.
    static constexpr double unmeasured = -1;
    // Bytes per second over the window that ends `now`; `unmeasured` until there is enough to tell.
    double bytesPerSecond(Clock::time_point now) const;
    QString text(Clock::time_point now, const QLocale &locale) const;

    // `expected` 0 means unknown; `bytesPerSecond` may be `unmeasured`. Below about a byte a second the
    // transfer reads as stalled, with no time left to tell.
    static QString text(qint64 received, qint64 expected, double bytesPerSecond, const QLocale &locale);

private:
    struct Sample
    {
        Clock::time_point at;
        qint64 received = 0;
    };
    // Arrivals closer together than this share one sample, so a fast transfer keeps a few dozen.
    static constexpr Clock::duration resolution = std::chrono::milliseconds(50);

    std::deque<Sample> m_samples;
    qint64 m_received = 0;
    qint64 m_expected = 0;
};
