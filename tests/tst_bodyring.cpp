#include "transfer/bodyring.h"

#include <QTest>

namespace {

char patternByte(qint64 offset)
{
    return char('a' + offset % 23);
}

} // namespace

// The ring between the network and the reader, alone: one row per (capacity, write sizes, read size), the
// network writing what it may, pausing when refused and resuming when told, the reader asking the way
// Inet::readChunk does.
class TestBodyRing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transfer_data();
    void transfer();
};

void TestBodyRing::transfer_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<QList<qint64>>("writes"); // the last size repeats
    QTest::addColumn<qint64>("readSize");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<bool>("pauses"); // the network is held back at least once
    QTest::addColumn<qint64>("capacityAfter");

    QTest::newRow("writes that fill it exactly")
        << qint64(16) << QList<qint64>{4} << qint64(4) << qint64(64) << true << qint64(16);
    QTest::newRow("reads that wrap around")
        << qint64(10) << QList<qint64>{3} << qint64(4) << qint64(60) << true << qint64(10);
    QTest::newRow("odd sizes") << qint64(16) << QList<qint64>{5, 7, 3} << qint64(6) << qint64(100) << true
                               << qint64(16);
    QTest::newRow("one byte at a time")
        << qint64(7) << QList<qint64>{1} << qint64(3) << qint64(50) << true << qint64(7);
    QTest::newRow("reads larger than the writes")
        << qint64(64) << QList<qint64>{5} << qint64(24) << qint64(200) << true << qint64(64);
    // Taken rather than stalled: the ring grows to the block.
    QTest::newRow("a block larger than the ring")
        << qint64(8) << QList<qint64>{20, 3} << qint64(8) << qint64(40) << true << qint64(20);
    // A reader that wants more than the ring holds would wait for ever on a paused network.
    QTest::newRow("a read larger than the ring")
        << qint64(8) << QList<qint64>{3} << qint64(20) << qint64(60) << true << qint64(24);
    QTest::newRow("nothing to read") << qint64(8) << QList<qint64>{3} << qint64(4) << qint64(0) << false
                                     << qint64(8);
}

void TestBodyRing::transfer()
{
    QFETCH(qint64, capacity);
    QFETCH(QList<qint64>, writes);
    QFETCH(qint64, readSize);
    QFETCH(qint64, total);
    QFETCH(bool, pauses);
    QFETCH(qint64, capacityAfter);

    BodyRing ring(capacity);
    qint64 written = 0;
    qsizetype writeIndex = 0;
    bool paused = false;
    bool everPaused = false;
    QByteArray block;
    // The network, always ahead of the reader: one block, or the same block again after a refusal.
    const auto produce = [&] {
        const qint64 size = std::min(writes.at(std::min(writeIndex, writes.size() - 1)), total - written);
        block.resize(size);
        for (qint64 i = 0; i < size; ++i)
            block[i] = patternByte(written + i);
        const bool fits = ring.used() + size <= ring.capacity() || ring.used() == 0;
        QCOMPARE(ring.write(block.constData(), size), fits);
        paused = !fits;
        everPaused = everPaused || paused;
        QCOMPARE(ring.isPaused(), paused);
        if (fits) {
            written += size;
            ++writeIndex;
        }
    };

    QByteArray body;
    for (;;) {
        ring.growFor(readSize);
        if (ring.isResumeDue()) {
            QVERIFY(ring.capacity() - ring.used() >= ring.capacity() / 2);
            ring.resumed();
            paused = false;
        }
        while (!paused && written < total) {
            produce();
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY2(ring.used() >= readSize || written == total, "the reader waits on a paused network");
        const QByteArrayView chunk = ring.take(readSize);
        QCOMPARE(chunk.size(), std::min(readSize, total - body.size()));
        body.append(chunk);
        if (chunk.isEmpty())
            break;
    }
    QCOMPARE(body.size(), total);
    for (qint64 i = 0; i < total; ++i)
        QCOMPARE(body.at(i), patternByte(i));
    QCOMPARE(everPaused, pauses);
    QCOMPARE(ring.capacity(), capacityAfter);
}

QTEST_GUILESS_MAIN(TestBodyRing)
#include "tst_bodyring.moc"
