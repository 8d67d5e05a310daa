#include "download/transfermath.h"

#include <QTest>

class TestTransferMath : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void percent_data();
    void percent();
    void nextPercentChange_data();
    void nextPercentChange();
};

void TestTransferMath::percent_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<int>("percent");

    QTest::newRow("first of 2500") << qint64(1024) << qint64(2500) << 41;
    QTest::newRow("second of 2500") << qint64(2048) << qint64(2500) << 82;
    QTest::newRow("all of 2500") << qint64(2500) << qint64(2500) << 100;
    QTest::newRow("half of 2048") << qint64(1024) << qint64(2048) << 50;
    QTest::newRow("0.5 rounds to 0") << qint64(1) << qint64(200) << 0;
    QTest::newRow("1.5 rounds to 2") << qint64(3) << qint64(200) << 2;
    QTest::newRow("2.5 rounds to 2") << qint64(5) << qint64(200) << 2;
    QTest::newRow("longer than announced holds at 100") << qint64(5000) << qint64(2500) << 100;
    QTest::newRow("past 2 GiB") << qint64(3) * 1024 * 1024 * 1024 << qint64(4) * 1024 * 1024 * 1024 << 75;
    QTest::newRow("last byte of 5 GB") << qint64(4999999999LL) << qint64(5000000000LL) << 100;
}

void TestTransferMath::percent()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(int, percent);
    QCOMPARE(TransferMath::percent(received, expected), percent);
}

void TestTransferMath::nextPercentChange_data()
{
    QTest::addColumn<qint64>("expected");
    QTest::newRow("2500 bytes") << qint64(2500);
    QTest::newRow("3 bytes, percentages skipped") << qint64(3);
    QTest::newRow("200 bytes, halves on whole bytes") << qint64(200);
    QTest::newRow("past 4 GiB") << (qint64(4) << 30) + 1234567;
}

// Never after the first count that reports more, or a report would show a stale percentage.
void TestTransferMath::nextPercentChange()
{
    QFETCH(qint64, expected);
    for (int percent = 0; percent < 100; ++percent) {
        qint64 low = 0;
        qint64 high = expected;
        while (low < high) {
            const qint64 middle = low + (high - low) / 2;
            if (TransferMath::percent(middle, expected) > percent)
                high = middle;
            else
                low = middle + 1;
        }
        QVERIFY2(
            TransferMath::nextPercentChange(percent, expected) <= low, qPrintable(QString::number(percent)));
    }
}

QTEST_APPLESS_MAIN(TestTransferMath)
#include "tst_transfermath.moc"
