#include "download/progressreadout.h"

#include <QTest>

#include <chrono>
#include <limits>

using namespace std::chrono_literals;
using Clock = ProgressReadout::Clock;

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;

// Bytes arriving as a server sends them: `burst` bytes at once every `period`, from `from` until `until`.
struct Arrivals
{
    qint64 burst = 0;
    Clock::duration period{};
    Clock::duration from{};
    Clock::duration until{};
};

} // namespace

class TestProgressReadout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void text_data();
    void text();
    void rateUnderUnevenArrivals_data();
    void rateUnderUnevenArrivals();
    void textAfterALongStall();
};

void TestProgressReadout::text_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("locale");
    const auto row = [](const char *tag, qint64 received, qint64 expected, double rate, const QString &text,
                         const QLocale &locale = QLocale::c()) {
        QTest::newRow(tag) << received << expected << rate << text << locale;
    };
    row("seconds left", qint64(12.3 * MiB), 64 * MiB, 2.0 * MiB,
        u"12.3 of 64.0 MiB, 2.0 MiB/s, 26 s left"_qs);
    row("minutes left", 0, 1024 * MiB, 1.0 * MiB, u"0.0 of 1.0 GiB, 1.0 MiB/s, 17 min 4 s left"_qs);
    row("a minute left", 0, 60 * MiB, 1.0 * MiB, u"0.0 of 60.0 MiB, 1.0 MiB/s, 1 min 0 s left"_qs);
    row("hours left", 5 * 1024 * MiB, 15 * 1024 * MiB, 1.0 * MiB,
        u"5.0 of 15.0 GiB, 1.0 MiB/s, 2 h 50 min left"_qs);
    const double unmeasured = ProgressReadout::unmeasured;
    row("bytes", 300, 500, unmeasured, u"300 of 500 bytes"_qs);
    // Below a KiB the count is in bytes too; from a KiB on in the size's unit.
    row("just under a KiB", 700, 1023, unmeasured, u"700 of 1023 bytes"_qs);
    row("one KiB", 512, KiB, unmeasured, u"0.5 of 1.0 KiB"_qs);
    row("unknown size", 5 * MiB, 0, 1.0 * MiB, u"5.0 MiB, 1.0 MiB/s"_qs);
    row("all there", 64 * MiB, 64 * MiB, 2.0 * MiB, u"64.0 of 64.0 MiB, 2.0 MiB/s"_qs);
    row("beyond 4 GiB", 4500 * MiB, 9000 * MiB, 100.0 * MiB, u"4.4 of 8.8 GiB, 100.0 MiB/s, 45 s left"_qs);
    // Next to nothing a second is no speed to count time by: a stall, not years or an overflow.
    row("stalled", 0, 1024 * MiB, 0.04, u"0.0 of 1.0 GiB, stalled"_qs);
    row("stalled, nothing at all", 0, 1024 * MiB, 0.0, u"0.0 of 1.0 GiB, stalled"_qs);
    row("stalled, next to nothing", 0, 1024 * MiB, 1e-300, u"0.0 of 1.0 GiB, stalled"_qs);
    // The largest figures are held at what fits in 64 bits before they become whole numbers.
    row("largest size at a byte a second", 0, std::numeric_limits<qint64>::max(), 1.0,
        u"0.0 of 8.0 EiB, 1 bytes/s, 2562047788015215 h 13 min left"_qs);
    row("speed beyond counting", 0, MiB, 1e300, u"0.0 of 1.0 MiB, 8.0 EiB/s, 1 s left"_qs);
    // One digit system per sentence: the time left too, not only the sizes.
    const QLocale arabic(QStringLiteral("ar_EG"));
    row("Arabic digits, seconds", 8 * MiB, 64 * MiB, 2.0 * MiB,
        u"%1 of %2, %3/s, %4 s left"_qs.arg(arabic.toString(8.0, 'f', 1),
            arabic.formattedDataSize(64 * MiB, 1), arabic.formattedDataSize(2 * MiB, 1), arabic.toString(28)),
        arabic);
}

void TestProgressReadout::text()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(double, rate);
    QFETCH(QString, text);
    QFETCH(QLocale, locale);
    const QString shown = ProgressReadout::text(received, expected, rate, locale);
    QCOMPARE(shown, text);
    const char16_t zero = locale.zeroDigit().at(0).unicode();
    for (const QChar c : shown)
        QVERIFY2(!c.isDigit() || (c.unicode() >= zero && c.unicode() <= zero + 9), qPrintable(shown));
}

// The speed shown is the true one, read at uneven moments while bytes come in bursts, after stalls, or
// after a long wait for the answer's head.
void TestProgressReadout::rateUnderUnevenArrivals_data()
{
    QTest::addColumn<QList<Arrivals>>("arrivals");
    QTest::addColumn<Clock::duration>("readFrom");
    QTest::addColumn<Clock::duration>("readUntil");
    QTest::addColumn<double>("truth"); // bytes per second
    QTest::addColumn<double>("tolerance"); // share of the truth

    const auto row = [](const char *tag, const QList<Arrivals> &arrivals, Clock::duration readFrom,
                         Clock::duration readUntil, double truth, double tolerance) {
        QTest::newRow(tag) << arrivals << readFrom << readUntil << truth << tolerance;
    };
    // A rate-limited server: 2 MiB/s as 128 KiB every 62.5 ms, or as one 2 MiB burst a second.
    row("steady small bursts", {{128 * KiB, 62500us, 0s, 30s}}, 5s, 30s, 2.0 * MiB, 0.05);
    row("one burst a second", {{2 * MiB, 1s, 0s, 30s}}, 5s, 30s, 2.0 * MiB, 0.10);
    // Where the bursts change their rhythm one burst comes early, which the window shows for a while.
    row("irregular bursts", {{512 * KiB, 250ms, 0s, 10s}, {1536 * KiB, 750ms, 10s, 20s}}, 5s, 20s, 2.0 * MiB,
        0.15);
    // Ten seconds of waiting for the head are no part of the speed.
    row("slow head", {{64 * KiB, 31250us, 10s, 20s}}, 11s, 20s, 2.0 * MiB, 0.15);
    // The speed follows a change within the window.
    row("slows down", {{64 * KiB, 31250us, 0s, 10s}, {16 * KiB, 31250us, 10s, 20s}}, 15s, 20s, 0.5 * MiB,
        0.05);
    // Less than half a second of data is no speed yet, however fast it came.
    row("under half a second", {{64 * KiB, 31250us, 0s, 450ms}}, 0s, 450ms, ProgressReadout::unmeasured, 0.0);
    // A server that stops sending: after the window no speed is claimed at all.
    row("stalled", {{64 * KiB, 31250us, 0s, 5s}}, 9500ms, 60s, 0.0, 0.0);
}

void TestProgressReadout::rateUnderUnevenArrivals()
{
    QFETCH(QList<Arrivals>, arrivals);
    QFETCH(Clock::duration, readFrom);
    QFETCH(Clock::duration, readUntil);
    QFETCH(double, truth);
    QFETCH(double, tolerance);

    // Reads at uneven moments, as a busy window's timer ticks: 137 ms, 411 ms, 137 ms ...
    const Clock::time_point origin{};
    ProgressReadout readout;
    readout.start();
    qint64 received = 0;
    Clock::duration read = 0s;
    bool odd = false;
    for (const Arrivals &run : std::as_const(arrivals)) {
        for (Clock::duration at = run.from; at < run.until; at += run.period) {
            for (; read <= at; read += (odd = !odd) ? 137ms : 411ms) {
                if (read < readFrom || read > readUntil)
                    continue;
                const double rate = readout.bytesPerSecond(origin + read);
                QVERIFY2(std::abs(rate - truth) <= truth * tolerance + 1e-9,
                    qPrintable(u"%1 B/s at %2 ms, truly %3"_qs.arg(rate).arg(read / 1ms).arg(truth)));
            }
            received += run.burst;
            readout.update(received, origin + at);
        }
    }
    for (; read <= readUntil; read += (odd = !odd) ? 137ms : 411ms) {
        if (read >= readFrom)
            QCOMPARE(readout.bytesPerSecond(origin + read), truth);
    }
    QCOMPARE(readout.received(), received);
}

// The tooltip of a transfer that has sent nothing for a while, read every so often.
void TestProgressReadout::textAfterALongStall()
{
    const Clock::time_point origin{};
    ProgressReadout readout;
    readout.start();
    readout.setExpected(64 * MiB);
    for (Clock::duration at = 0s; at <= 5s; at += 100ms)
        readout.update(qint64(at / 100ms) * MiB, origin + at);
    for (Clock::duration silence = 10s; silence <= 60s; silence += 7s)
        QCOMPARE(readout.text(origin + 5s + silence, QLocale::c()), u"50.0 of 64.0 MiB, stalled"_qs);
}

QTEST_APPLESS_MAIN(TestProgressReadout)
#include "tst_progressreadout.moc"
