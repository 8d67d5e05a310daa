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

    const auto addRow = [](const char *tag, qint64 capacity, const QList<qint64> &writes, qint64 readSize,
                            qint64 total, bool pauses, qint64 capacityAfter) {
        QTest::newRow(tag) << capacity << writes << readSize << total << pauses << capacityAfter;
    };
    addRow("writes that fill it exactly", 16, {4}, 4, 64, true, 16);
    addRow("reads that wrap around", 10, {3}, 4, 60, true, 10);
    addRow("odd sizes", 16, {5, 7, 3}, 6, 100, true, 16);
    addRow("one byte at a time", 7, {1}, 3, 50, true, 7);
    addRow("reads larger than the writes", 64, {5}, 24, 200, true, 64);
    // Taken rather than stalled: the ring grows to the block.
    addRow("a block larger than the ring", 8, {20, 3}, 8, 40, true, 20);
    // A reader that wants more than the ring holds would wait for ever on a paused network.
    addRow("a read larger than the ring", 8, {3}, 20, 60, true, 24);
    addRow("nothing to read", 8, {3}, 4, 0, false, 8);
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
