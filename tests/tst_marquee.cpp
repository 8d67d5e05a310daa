#include "ui/clocktext.h"
#include "ui/marquee.h"

#include <QTest>

namespace {

const QString Title
    = QStringLiteral("::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::");

const QLocale English(QLocale::English, QLocale::UnitedStates);
const QLocale German(QLocale::German, QLocale::Germany);
const QLocale French(QLocale::French, QLocale::France);
const QLocale Arabic(QLocale::Arabic, QLocale::Egypt);

QString blanks(qsizetype count)
{
    return QString(count, QLatin1Char(' '));
}

} // namespace

// The scrolling title and the clock texts of the main window.
class TestMarquee : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limit_data();
    void limit();
    void steps_data();
    void steps();
    void time_data();
    void time();
    void date_data();
    void date();
};

void TestMarquee::limit_data()
{
    QTest::addColumn<int>("outerWidth");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("expected");

    QTest::newRow("500 px, English: 7500 twips / 50") << 500 << English << 150.0;
    QTest::newRow("200 px, English") << 200 << English << 60.0;
    QTest::newRow("503 px, English keeps the fraction") << 503 << English << 150.9;
    QTest::newRow("503 px, German reads only the whole part") << 503 << German << 150.0;
    QTest::newRow("503 px, French reads only the whole part") << 503 << French << 150.0;
    QTest::newRow("4000 px, English, no group separator") << 4000 << English << 1200.0;
    QTest::newRow("4000 px, German, no group separator") << 4000 << German << 1200.0;
    QTest::newRow("4000 px, French, no group separator") << 4000 << French << 1200.0;
    QTest::newRow("500 px, Arabic, Western digits") << 500 << Arabic << 150.0;
    QTest::newRow("503 px, Arabic, decimal separator ends the number") << 503 << Arabic << 150.0;
}

void TestMarquee::limit()
{
    QFETCH(int, outerWidth);
    QFETCH(QLocale, locale);
    QFETCH(double, expected);

    QCOMPARE(Marquee::limit(outerWidth, locale), expected);
}

void TestMarquee::steps_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("outerWidth");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one step puts one blank in front") << Title << 500 << English << 1 << blanks(1) + Title;
    QTest::newRow("500 px: 65 steps grow to 149 characters")
        << Title << 500 << English << 65 << blanks(65) + Title;
    QTest::newRow("500 px: the 66th step reaches 150 and starts over")
        << Title << 500 << English << 66 << Title;
    QTest::newRow("500 px: after starting over it grows again")
        << Title << 500 << English << 67 << blanks(1) + Title;
    QTest::newRow("200 px: the title stands still") << Title << 200 << English << 1 << Title;
    QTest::newRow("200 px: still after many steps") << Title << 200 << English << 40 << Title;
    QTest::newRow("503 px, English: grows to 150 (limit 150.9)")
        << blanks(65) + Title << 503 << English << 1 << blanks(66) + Title;
    QTest::newRow("503 px, English: 151 starts over") << blanks(66) + Title << 503 << English << 1 << Title;
    QTest::newRow("503 px, German: 150 starts over (limit 150)")
        << blanks(65) + Title << 503 << German << 1 << Title;
    QTest::newRow("4000 px, English: grows past 150 (limit 1200, not 1)")
        << blanks(100) + Title << 4000 << English << 1 << blanks(101) + Title;
    QTest::newRow("4000 px, German: grows (limit 1200, not 1.2)")
        << Title << 4000 << German << 1 << blanks(1) + Title;
    QTest::newRow("500 px, Arabic: grows like anywhere else")
        << Title << 500 << Arabic << 65 << blanks(65) + Title;
    QTest::newRow("starting over trims blanks at both ends")
        << blanks(3) + Title + blanks(4) << 200 << English << 1 << Title;
    QTest::newRow("starting over keeps blanks inside")
        << QStringLiteral(" a  b ") << 20 << English << 1 << QStringLiteral("a  b");
}

void TestMarquee::steps()
{
    QFETCH(QString, caption);
    QFETCH(int, outerWidth);
    QFETCH(QLocale, locale);
    QFETCH(int, steps);
    QFETCH(QString, expected);

    for (int i = 0; i < steps; ++i)
        caption = Marquee::step(caption, outerWidth, locale);
    QCOMPARE(caption, expected);
}

void TestMarquee::time_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English US, afternoon") << English << QTime(13, 2, 3) << QStringLiteral("1:02:03 PM");
    QTest::newRow("English US, morning") << English << QTime(9, 45, 59) << QStringLiteral("9:45:59 AM");
    QTest::newRow("German") << German << QTime(13, 2, 3) << QStringLiteral("13:02:03");
    QTest::newRow("German, midnight") << German << QTime(0, 0, 0) << QStringLiteral("00:00:00");
    QTest::newRow("French") << French << QTime(13, 2, 3) << QStringLiteral("13:02:03");
    QTest::newRow("Catalan, zone in brackets")
        << QLocale(QLocale::Catalan, QLocale::Spain) << QTime(13, 2, 3) << QStringLiteral("13:02:03");
    QTest::newRow("Basque, zone in brackets")
        << QLocale(QLocale::Basque, QLocale::Spain) << QTime(13, 2, 3) << QStringLiteral("13:02:03");
    QTest::newRow("Belarusian, zone after a comma")
        << QLocale(QLocale::Byelorussian, QLocale::Belarus) << QTime(13, 2, 3) << QStringLiteral("13:02:03");
    QTest::newRow("Japanese") << QLocale(QLocale::Japanese, QLocale::Japan) << QTime(13, 2, 3)
                              << QStringLiteral("13時02分03秒");
    QTest::newRow("Chinese Hong Kong, zone in square brackets")
        << QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::HongKong) << QTime(13, 2, 3)
        << QStringLiteral("下午1:02:03");
}

void TestMarquee::time()
{
    QFETCH(QLocale, locale);
    QFETCH(QTime, time);
    QFETCH(QString, expected);

    QCOMPARE(ClockText::time(time, locale), expected);
}

void TestMarquee::date_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English US") << English << QDate(2024, 3, 9) << QStringLiteral("3/9/24");
    QTest::newRow("English UK") << QLocale(QLocale::English, QLocale::UnitedKingdom) << QDate(2024, 3, 9)
                                << QStringLiteral("09/03/2024");
    QTest::newRow("German") << German << QDate(2024, 3, 9) << QStringLiteral("09.03.24");
    QTest::newRow("French") << French << QDate(2024, 12, 31) << QStringLiteral("31/12/2024");
    QTest::newRow("Japanese") << QLocale(QLocale::Japanese, QLocale::Japan) << QDate(2024, 3, 9)
                              << QStringLiteral("2024/03/09");
}

void TestMarquee::date()
{
    QFETCH(QLocale, locale);
    QFETCH(QDate, date);
    QFETCH(QString, expected);

    QCOMPARE(ClockText::date(date, locale), expected);
}

QTEST_GUILESS_MAIN(TestMarquee)
#include "tst_marquee.moc"
