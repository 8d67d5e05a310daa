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

// One of the clock's texts, in a locale.
using Shown = std::function<QString(const QLocale &)>;

} // namespace

Q_DECLARE_METATYPE(Shown)

// The scrolling title and the clock texts of the main window.
class TestMarquee : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limit_data();
    void limit();
    void steps_data();
    void steps();
    void clock_data();
    void clock();
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

    const auto row = [](const char *tag, const QString &caption, int outerWidth, const QLocale &locale,
                         int steps, const QString &expected) {
        QTest::newRow(tag) << caption << outerWidth << locale << steps << expected;
    };
    row("one step puts one blank in front", Title, 500, English, 1, blanks(1) + Title);
    row("500 px: 65 steps grow to 149 characters", Title, 500, English, 65, blanks(65) + Title);
    row("500 px: the 66th step reaches 150 and starts over", Title, 500, English, 66, Title);
    row("500 px: after starting over it grows again", Title, 500, English, 67, blanks(1) + Title);
    row("200 px: the title stands still", Title, 200, English, 1, Title);
    row("200 px: still after many steps", Title, 200, English, 40, Title);
    row("503 px, English: grows to 150 (limit 150.9)", blanks(65) + Title, 503, English, 1,
        blanks(66) + Title);
    row("503 px, English: 151 starts over", blanks(66) + Title, 503, English, 1, Title);
    row("503 px, German: 150 starts over (limit 150)", blanks(65) + Title, 503, German, 1, Title);
    row("4000 px, English: grows past 150 (limit 1200, not 1)", blanks(100) + Title, 4000, English, 1,
        blanks(101) + Title);
    row("4000 px, German: grows (limit 1200, not 1.2)", Title, 4000, German, 1, blanks(1) + Title);
    row("500 px, Arabic: grows like anywhere else", Title, 500, Arabic, 65, blanks(65) + Title);
    row("starting over trims blanks at both ends", blanks(3) + Title + blanks(4), 200, English, 1, Title);
    row("starting over keeps blanks inside", QStringLiteral(" a  b "), 20, English, 1,
        QStringLiteral("a  b"));
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

// The clock's time and date in the desktop's own forms, without the time zone.
void TestMarquee::clock_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Shown>("shown");
    QTest::addColumn<QString>("expected");

    const auto time = [](int h, int m, int s) {
        return Shown([=](const QLocale &locale) { return ClockText::time(QTime(h, m, s), locale); });
    };
    const auto date = [](int y, int m, int d) {
        return Shown([=](const QLocale &locale) { return ClockText::date(QDate(y, m, d), locale); });
    };
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const auto row = [](const char *tag, const QLocale &locale, const Shown &shown, const QString &expected) {
        QTest::newRow(tag) << locale << shown << expected;
    };
    row("time, English US, afternoon", English, time(13, 2, 3), u"1:02:03 PM"_qs);
    row("time, English US, morning", English, time(9, 45, 59), u"9:45:59 AM"_qs);
    row("time, German", German, time(13, 2, 3), u"13:02:03"_qs);
    row("time, German, midnight", German, time(0, 0, 0), u"00:00:00"_qs);
    row("time, French", French, time(13, 2, 3), u"13:02:03"_qs);
    row("time, Catalan, zone in brackets", QLocale(u"ca_ES"_qs), time(13, 2, 3), u"13:02:03"_qs);
    row("time, Basque, zone in brackets", QLocale(u"eu_ES"_qs), time(13, 2, 3), u"13:02:03"_qs);
    row("time, Belarusian, zone after a comma", QLocale(u"be_BY"_qs), time(13, 2, 3), u"13:02:03"_qs);
    row("time, Japanese", japanese, time(13, 2, 3), u"13時02分03秒"_qs);
    row("time, Chinese Hong Kong, zone in square brackets", QLocale(u"zh_Hant_HK"_qs), time(13, 2, 3),
        u"下午1:02:03"_qs);
    row("date, English US", English, date(2024, 3, 9), u"3/9/24"_qs);
    row("date, English UK", QLocale(u"en_GB"_qs), date(2024, 3, 9), u"09/03/2024"_qs);
    row("date, German", German, date(2024, 3, 9), u"09.03.24"_qs);
    row("date, French", French, date(2024, 12, 31), u"31/12/2024"_qs);
    row("date, Japanese", japanese, date(2024, 3, 9), u"2024/03/09"_qs);
}

void TestMarquee::clock()
{
    QFETCH(QLocale, locale);
    QFETCH(Shown, shown);
    QFETCH(QString, expected);

    QCOMPARE(shown(locale), expected);
}

QTEST_GUILESS_MAIN(TestMarquee)
#include "tst_marquee.moc"
