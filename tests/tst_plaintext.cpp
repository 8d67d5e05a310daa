#include "common/plaintext.h"

#include <QTest>

// Text from outside the program, made fit to be shown as plain text.
class TestPlainText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clean_data();
    void clean();
};

void TestPlainText::clean_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("C0 controls") << u"503 Busy\x1b[2J\a\b again"_qs << u"503 Busy[2J again"_qs;
    // A terminal or a font may act on these as well as on the C0 ones.
    QTest::newRow("DEL") << u"bad\x7f\x7f\x7fgood"_qs << u"badgood"_qs;
    QTest::newRow("C1 controls") << u"a\u0085b\u009b2Jc\u0080\u009f"_qs << u"ab2Jc"_qs;
}

void TestPlainText::clean()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(PlainText::clean(text), shown);
    QCOMPARE(PlainText::fromServer(text), shown);
}

QTEST_APPLESS_MAIN(TestPlainText)
#include "tst_plaintext.moc"
