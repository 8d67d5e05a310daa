#include "common/translations.h"
#include "controls/plainlabel.h"
#include "controls/xplabel.h"
#include "download/progressreadout.h"
#include "ui/form1.h"
#include "ui/frmabout.h"
#include "wording/failuremessage.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Text = std::function<QString()>;

// The message window of a 404, as the main window shows it.
const QMessageBox *notFound(Form1 &form)
{
    TransferResult refused;
    refused.outcome = TransferResult::Outcome::ServerRefused;
    refused.status = 404;
    Q_EMIT form.commands().transferFinished(u"Vorn Scanner V1.40"_s, refused);
    return form.findChild<QMessageBox *>(u"transferFailureBox"_s);
}

} // namespace

Q_DECLARE_METATYPE(Text)

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void inTheUsersLanguage_data();
    void inTheUsersLanguage();
    void rightToLeft();
};

void TestTranslations::cleanup()
{
    Translations::install(QLocale::c());
    QLocale::setDefault(QLocale::c());
}

void TestTranslations::inTheUsersLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Text>("text");
    QTest::addColumn<QString>("expected");

    // The message and its button: "text | button".
    const Text refused = [] {
        Form1 form(QDir::tempPath());
        const QMessageBox *box = notFound(form);
        return box ? box->text() + u" | "_s + box->buttons().value(0)->text() : QString();
    };
    const auto message = [&](const char *language, const char *locale, const QString &expected) {
        QTest::addRow("%s message and Qt's button", language)
            << QString::fromLatin1(locale) << refused << expected;
    };
    message("German", "de_DE",
        u"Vorn Scanner V1.40 konnte nicht heruntergeladen werden: Der Server antwortete 404, Nicht gefunden. "
        "Ein früheres Archiv bleibt, falls vorhanden, unverändert. | OK"_s);
    message("French", "fr_FR",
        u"Vorn Scanner V1.40 n'a pas pu être téléchargé\u00a0: le serveur a répondu 404, Introuvable. "
        "L'archive précédente, s'il y en a une, reste inchangée. | OK"_s);
    message("Spanish", "es_ES",
        u"No se pudo descargar Vorn Scanner V1.40: el servidor respondió 404, No encontrado. El archivo "
        "comprimido anterior, si lo había, no ha cambiado. | Aceptar"_s);
    message("Japanese", "ja_JP",
        u"Vorn Scanner V1.40 "
        u"をダウンロードできませんでした：サーバーが「404、見つかりません」と応答しました。"
        "以前のアーカイブがあれば、そのまま残っています。 | OK"_s);
    QTest::newRow("German readout") << u"de_DE"_s << Text([] {
        return ProgressReadout::text(12'900'000, 64 * 1024 * 1024, 2 * 1024 * 1024, QLocale());
    }) << u"12,3 von 64,0 MiB, 2,0 MiB/s, noch 26 s"_s;

    // The plural form follows the count: one byte, many bytes, and more than an int holds.
    const auto plural = [](const char *tag, const char *locale, qint64 announced, const QString &expected) {
        QTest::newRow(tag) << QString::fromLatin1(locale) << Text([=] {
            TransferResult result;
            result.outcome = TransferResult::Outcome::NotTheArchive;
            result.refusal = {.kind = Refusal::Kind::MoreThanAnnounced, .size = announced};
            return FailureMessage::outcome(u"Tool"_s, result);
        }) << u"Tool: "_s + expected;
    };
    plural("German plural, one", "de_DE", 1, u"Der Server hat mehr als das angekündigte 1 Byte gesendet"_s);
    plural("German plural, many", "de_DE", 900'000,
        u"Der Server hat mehr als die angekündigten 900.000 Bytes gesendet"_s);
    plural("German plural, beyond an int", "de_DE", 3'000'000'001,
        u"Der Server hat mehr als die angekündigten 3.000.000.001 Bytes gesendet"_s);
    plural("English plural, one", "en_US", 1, u"the server sent more than the 1 byte it announced"_s);
}

void TestTranslations::inTheUsersLanguage()
{
    QFETCH(QString, locale);
    QFETCH(Text, text);
    QFETCH(QString, expected);

    QLocale::setDefault(QLocale(locale));
    Translations::install(QLocale(locale));
    QCOMPARE(text(), expected);
}

// Under a language written right to left, a message reads right to left; the windows keep the face they
// were designed with.
void TestTranslations::rightToLeft()
{
    // The captions the window draws, as pictures.
    const auto captions = [](Form1 &form) {
        QList<QImage> drawn;
        for (QWidget *label : QList<QWidget *>{form.xpLabel1, form.Label2, form.Label3})
            drawn << label->grab().toImage();
        return drawn;
    };
    Form1 leftToRight(QDir::tempPath());
    const QList<QImage> designed = captions(leftToRight);
    Translations::install(QLocale(QLocale::Arabic, QLocale::Egypt));
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);

    Form1 form(QDir::tempPath());
    FrmAbout about;
    for (QWidget *window : {static_cast<QWidget *>(&form), static_cast<QWidget *>(&about)}) {
        const QList<QWidget *> drawn = window->findChildren<QWidget *>() << window;
        for (const QWidget *widget : drawn)
            QVERIFY2(widget->layoutDirection() == Qt::LeftToRight, qPrintable(widget->objectName()));
    }
    QVERIFY(captions(form) == designed);
    const QMessageBox *box = notFound(form);
    QVERIFY(box);
    QCOMPARE(box->layoutDirection(), Qt::RightToLeft);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
