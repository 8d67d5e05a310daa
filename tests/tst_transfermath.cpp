#include "download/transfermath.h"

#include <QTest>

class TestTransferMath : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expectedSize_data();
    void expectedSize();
    void percent_data();
    void percent();
    void nextPercentChange_data();
    void nextPercentChange();
};

void TestTransferMath::expectedSize_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<qint64>("size");

    QTest::newRow("plain") << QStringLiteral("2500") << qint64(2500);
    QTest::newRow("followed by letters") << QStringLiteral("2500abc") << qint64(2500);
    QTest::newRow("followed by a word") << QStringLiteral("2500 bytes") << qint64(2500);
    QTest::newRow("leading blanks") << QStringLiteral("   \t2500") << qint64(2500);
    QTest::newRow("blank inside stops the number") << QStringLiteral("25 00") << qint64(25);
    QTest::newRow("empty") << QString() << qint64(0);
    QTest::newRow("no number") << QStringLiteral("unknown") << qint64(0);
    QTest::newRow("sign only") << QStringLiteral("-") << qint64(0);
    QTest::newRow("negative is unknown") << QStringLiteral("-5") << qint64(0);
    QTest::newRow("half rounds to even, down") << QStringLiteral("2500.5") << qint64(2500);
    QTest::newRow("half rounds to even, up") << QStringLiteral("2501.5") << qint64(2502);
    QTest::newRow("exponent") << QStringLiteral("2.5e3") << qint64(2500);
    QTest::newRow("dangling exponent") << QStringLiteral("2500e") << qint64(2500);
    QTest::newRow("above 2 GiB") << QStringLiteral("2147483649") << qint64(2147483649LL);
    QTest::newRow("above 4 GiB") << QStringLiteral("5000000000") << qint64(5000000000LL);
    QTest::newRow("beyond 64 bits is unknown") << QStringLiteral("99999999999999999999") << qint64(0);
}

void TestTransferMath::expectedSize()
{
    QFETCH(QString, header);
    QFETCH(qint64, size);
    QCOMPARE(TransferMath::expectedSize(header), size);
}

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
