#include "transfer/eventpump.h"

#include <QSemaphore>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

// The event pass a transfer runs after every read: cheap passes in between, a full one (input, due
// timers) once an interval has passed, and a wait that data arriving ends. The clock is the caller's,
// so passes are counted against a clock the test moves.
class TestEventPump : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullPasses_data();
    void fullPasses();
    void waitEndsWhenWoken();
    void eventsRunBesideAWait();
};

void TestEventPump::fullPasses_data()
{
    QTest::addColumn<int>("readMicroseconds"); // how long one read takes on the moved clock
    QTest::addColumn<int>("reads");

    QTest::newRow("fast reads") << 5 << 4000;
    QTest::newRow("reads of a tenth of the interval") << 100 << 400;
}

// A zero-interval timer fires once per full pass: the count of those stays well under the reads, and a
// due timer still runs within an interval's worth of reads although nothing ever waits.
void TestEventPump::fullPasses()
{
    QFETCH(int, readMicroseconds);
    QFETCH(int, reads);

    int fullPasses = 0;
    QTimer due;
    due.setInterval(0);
    connect(&due, &QTimer::timeout, this, [&] { ++fullPasses; });
    due.start();
    // Past whatever an earlier row left the pass's clock at: the first pass is a full one, and the count
    // starts after it.
    static EventPump::Clock::time_point now = EventPump::Clock::now();
    now = std::max(now, EventPump::Clock::now()) + EventPump::inputInterval;
    EventPump::pumpOnce(now);
    fullPasses = 0;
    const auto step = std::chrono::microseconds(readMicroseconds);
    const int readsPerInterval = int(EventPump::inputInterval / step);
    int firstFiredAt = -1;
    for (int read = 0; read < reads; ++read) {
        now += step;
        EventPump::pumpOnce(now);
        if (fullPasses > 0 && firstFiredAt < 0)
            firstFiredAt = read;
    }
    QVERIFY2(fullPasses < reads / 4, qPrintable(u"%1 full passes in %2 reads"_qs.arg(fullPasses).arg(reads)));
    QVERIFY2(firstFiredAt >= 0 && firstFiredAt <= readsPerInterval + 1,
        qPrintable(u"the due timer ran after read %1"_qs.arg(firstFiredAt)));
    QVERIFY2(fullPasses >= reads / readsPerInterval - 1, qPrintable(u"%1 full passes"_qs.arg(fullPasses)));
}

// Data that arrives while a wait delivers what was posted must end that wait, else it sleeps with the data
// already there and nothing else comes to wake it. Here the data comes with an event posted by an event,
// whose own wake-up a wait before has already used up (Qt's own dispatcher; GLib's returns after any
// dispatch).
void TestEventPump::waitEndsWhenWoken()
{
    bool rescued = false;
    QTimer rescue; // bounds the test: only a wait nobody woke lasts this long
    rescue.setSingleShot(true);
    connect(&rescue, &QTimer::timeout, this, [&] { rescued = true; });
    rescue.start(5s);
    bool arrived = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            QMetaObject::invokeMethod(
                this,
                [&] {
                    arrived = true;
                    EventPump::wake();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    while (!arrived && !rescued)
        EventPump::waitForMoreEvents();
    QVERIFY(!rescued);
}

// A call that waits on the system runs on a thread of its own, beside the window's events: here the one
// that ends its wait.
void TestEventPump::eventsRunBesideAWait()
{
    QSemaphore released;
    QMetaObject::invokeMethod(
        this, [&] { released.release(); }, Qt::QueuedConnection);
    bool ended = false;
    EventPump::runBeside([&] { ended = released.tryAcquire(1, 5000); });
    QVERIFY(ended);
}

QTEST_GUILESS_MAIN(TestEventPump)
#include "tst_eventpump.moc"
