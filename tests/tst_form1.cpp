#include "catalog/toolcatalog.h"
#include "controls/ccrpprogressbar.h"
#include "controls/plainlabel.h"
#include "controls/skin.h"
#include "controls/ucanigif.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "support/downloadrun.h"
#include "support/scriptedhttpserver.h"
#include "transfer/inet.h"
#include "ui/application.h"
#include "ui/clocktext.h"
#include "ui/form1.h"
#include "ui/form1description.h"
#include "ui/frmabout.h"
#include "ui/progresstip.h"
#include "ui/windowdescription.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QMovie>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>

namespace {

// The skin gives the window and everything on it the program's own style, not the desktop's.
bool isSkinned(const QWidget *window)
{
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    return window->style() != QApplication::style()
        && std::all_of(children.begin(), children.end(),
            [&](QWidget *child) { return child->style() == window->style(); });
}

const QString Title
    = QStringLiteral("::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::");
const QColor Blue(0, 0, 255);

// Lines are stored by their end points in twips; a 1 px line covers both end pixels.
QRect lineRect(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(std::min(x1, x2) / 15, std::min(y1, y2) / 15),
        QPoint(std::max(x1, x2) / 15, std::max(y1, y2) / 15));
}

QPoint clientOrigin(const QWidget *container)
{
    if (const auto *frame = qobject_cast<const QFrame *>(container))
        return frame->contentsRect().topLeft();
    return {};
}

QString shownText(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const XpComboBox *>(widget))
        return combo->text();
    if (const auto *styled = qobject_cast<const XpLabel *>(widget))
        return styled->caption();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return {};
}

QColor textColour(const QWidget *widget)
{
    if (const auto *styled = qobject_cast<const XpLabel *>(widget))
        return styled->foreColor();
    return widget->palette().color(widget->foregroundRole());
}

int pixelsOfColour(const QImage &image, const QRect &area, const QColor &colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    return count;
}

// The clock shows the time of one of its recent ticks.
bool showsRecentTime(const QString &caption)
{
    const QTime now = QTime::currentTime();
    for (int secondsAgo = 0; secondsAgo <= 2; ++secondsAgo) {
        if (caption == ClockText::time(now.addSecs(-secondsAgo), QLocale::system()))
            return true;
    }
    return false;
}

bool showAndActivate(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Where a download from the window runs: the server, and the folders and time-out the window is made with.
struct Scene
{
    ScriptedHttpServer &server;
    QString programFolder;
    int timeout = 60;
};
// Arranges the server's answer and the places for one case.
using Prepare = std::function<void(Scene &)>;
// Runs after each progress report, with its number from 1.
using Act = std::function<void(Form1 &, int report)>;

Prepare answer(const ScriptedResponse &response)
{
    return [response](Scene &scene) { scene.server.setResponder(answering(response)); };
}

QMessageBox *failureBox(const Form1 &form)
{
    return form.findChild<QMessageBox *>(QStringLiteral("transferFailureBox"));
}

bool isIdle(Form1 &form)
{
    return !QGuiApplication::overrideCursor() && form.Label1->isHidden() && !form.ProgressBar1->isHidden()
        && form.ProgressBar1->value() == 0 && !form.xpLabel1->isHidden() && !form.commands().isRunning();
}

// As a person stops a transfer: the progress display resets at once, before the transfer returns.
Act stopAt(int stopReport, const std::function<void(Form1 &)> &stop)
{
    return [stopReport, stop](Form1 &form, int report) {
        if (report != stopReport)
            return;
        stop(form);
        QVERIFY(form.ProgressBar1->value() == 0 && !QGuiApplication::overrideCursor()
            && form.Label1->isHidden() && form.xpLabel1->isHidden());
    };
}

} // namespace

Q_DECLARE_METATYPE(Prepare)
Q_DECLARE_METATYPE(Act)

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void windowSettings();
    void geometry_data();
    void geometry();
    void resizeMovesNothing_data();
    void resizeMovesNothing();
    void linesAreDrawn_data();
    void linesAreDrawn();
    void texts_data();
    void texts();
    void fonts_data();
    void fonts();
    void textColours_data();
    void textColours();
    void opaqueLabels_data();
    void opaqueLabels();
    void pictureButtons_data();
    void pictureButtons();
    void progressRow();
    void timers_data();
    void timers();
    void toolList();
    void toolListKeyboard_data();
    void toolListKeyboard();
    void tabOrder_data();
    void tabOrder();
    void darkDesktopTheme_data();
    void darkDesktopTheme();
    void longTextsKeepToTheirBox_data();
    void longTextsKeepToTheirBox();
    void statusRowSharesOneBaseline_data();
    void statusRowSharesOneBaseline();
    void accessibleTree();
    void accessibleControls_data();
    void accessibleControls();
    void focusFrame_data();
    void focusFrame();
    void buttonKeys_data();
    void buttonKeys();
    void animationPlays();
    void titleScrollsOnTick();
    void clockShowsDateAndTime();

    void cleanup();
    void downloadOutcome_data();
    void downloadOutcome();
    void nothingPicked();
    void cancelWhenIdle();
    void stoppedBeforeTheRequestStarts_data();
    void stoppedBeforeTheRequestStarts();
    void oneFailureWindowPerTool();
    void nextDownloadReplacesLastOutcome();
    void readoutDuringTransfer();
    void busyBarForUnknownSize();
    void closingTheWindowCancels();
    void outcomeThatLooksLikeMarkup();

private:
    // A main window whose downloads go to a scripted server, saved in ~/tools of a home of the test's own.
    Form1 &downloadWindow(const Prepare &prepare = {});
    DownloadRun download(int position, const Act &act = {});
    QString archivePath(int position) const;

    QTemporaryDir m_folder;
    std::unique_ptr<ScriptedHttpServer> m_server;
    std::unique_ptr<TemporaryHome> m_home;
    QString m_programFolder;
    std::unique_ptr<Form1> m_form;
};

void TestForm1::initTestCase()
{
    QVERIFY(m_folder.isValid());
    Application::setUp();
}

void TestForm1::windowSettings()
{
    Form1 form(m_folder.path());

    QCOMPARE(form.windowTitle(), Title);
    QCOMPARE(form.windowTitle().size(), 84);
    QCOMPARE(form.size(), QSize(481, 255));
    QVERIFY(!form.windowIcon().isNull());
    QVERIFY(form.windowIcon().availableSizes().contains(QSize(48, 48)));

    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    // Left of the picture box only the window's own background shows.
    const QColor teal(0, 192, 192);
    QCOMPARE(form.palette().color(QPalette::Window), teal);
    const QImage image = form.grab().toImage();
    QCOMPARE(image.pixelColor(4, 120), teal);
    QCOMPARE(image.pixelColor(476, 250), teal);
}

void TestForm1::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("expected");

    const QString picture1 = QStringLiteral("Picture1");
    const auto control = [&](const char *name, int x, int y, int width, int height) {
        QTest::newRow(name) << QString::fromLatin1(name) << picture1 << QRect(x, y, width, height);
    };
    const auto line = [&](const char *name, int x1, int y1, int x2, int y2) {
        QTest::newRow(name) << QString::fromLatin1(name) << picture1 << lineRect(x1, y1, x2, y2);
    };

    QTest::newRow("Picture1") << picture1 << QString() << QRect(8, 8, 465, 241);
    control("Combo1", 8, 8, 441, 25);
    control("xpButton4", 184, 48, 49, 49);
    control("xpButton3", 248, 48, 49, 49);
    control("xpButton2", 320, 48, 57, 49);
    control("xpButton1", 392, 48, 49, 49);
    control("Label1", 16, 112, 161, 25);
    control("xpLabel1", 16, 112, 105, 25);
    control("ProgressBar1", 176, 112, 273, 25);
    control("Image1", 8, 144, 297, 54);
    control("ucAniGIF1", 360, 160, 90, 28);
    control("Label2", 16, 208, 65, 17);
    control("Label5", 72, 208, 65, 17);
    control("Label3", 136, 208, 57, 17);
    control("Label4", 192, 208, 57, 17);
    control("xpLabel3", 264, 200, 185, 33);
    line("Line1", 4680, 600, 2640, 600);
    line("Line2", 4680, 600, 4680, 1560);
    line("Line3", 4680, 1560, 2640, 1560);
    line("Line4", 2640, 600, 2640, 1560);
    line("Line5", 6720, 600, 4680, 600);
    line("Line6", 6720, 1560, 4680, 1560);
    line("Line7", 6720, 600, 6720, 1560);
    line("Line9", 120, 3000, 6720, 3000);
    line("Line10", 120, 3480, 6720, 3480);
    line("Line11", 120, 3000, 120, 3480);
    line("Line12", 6720, 3000, 6720, 3480);
    line("Line13", 3840, 3000, 3840, 3480);
    line("Line14", 2040, 3000, 2040, 3480);
    QTest::newRow("Line8") << QStringLiteral("Line8") << QString() << lineRect(2040, 0, 0, 0);
}

void TestForm1::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, expected);

    Form1 form(m_folder.path());
    const QWidget *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    const QWidget *parent = container.isEmpty() ? &form : form.findChild<QWidget *>(container);
    QVERIFY(parent);
    QCOMPARE(widget->parentWidget(), parent);
    QCOMPARE(widget->geometry().translated(-clientOrigin(parent)), expected);
}

void TestForm1::resizeMovesNothing_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("larger, 700 x 400") << QSize(700, 400) << QSize(700, 400);
    // Smaller would cut off About and Exit: the window keeps its face.
    QTest::newRow("smaller, 300 x 200") << QSize(300, 200) << QSize(481, 255);
}

void TestForm1::resizeMovesNothing()
{
    QFETCH(QSize, size);
    QFETCH(QSize, expected);

    Form1 form(m_folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    std::map<QString, QRect> before;
    for (const QWidget *widget : form.findChildren<QWidget *>()) {
        if (!widget->objectName().isEmpty())
            before.emplace(widget->objectName(), widget->geometry());
    }
    QVERIFY(before.size() > 30);

    form.resize(size);
    QTRY_COMPARE(form.size(), expected);
    for (const auto &[name, rect] : before) {
        const QWidget *widget = form.findChild<QWidget *>(name);
        QVERIFY2(widget && widget->geometry() == rect, qPrintable(name));
    }
}

void TestForm1::linesAreDrawn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("end");

    // One end of each line, in window coordinates (the picture box's client area starts at 10,10);
    // ends that a label covers are avoided.
    QTest::newRow("Line1") << QStringLiteral("Line1") << QPoint(10 + 312, 10 + 40);
    QTest::newRow("Line3") << QStringLiteral("Line3") << QPoint(10 + 200, 10 + 104);
    QTest::newRow("Line4") << QStringLiteral("Line4") << QPoint(10 + 176, 10 + 70);
    QTest::newRow("Line7") << QStringLiteral("Line7") << QPoint(10 + 448, 10 + 70);
    QTest::newRow("Line9") << QStringLiteral("Line9") << QPoint(10 + 100, 10 + 200);
    QTest::newRow("Line10") << QStringLiteral("Line10") << QPoint(10 + 400, 10 + 232);
    QTest::newRow("Line11") << QStringLiteral("Line11") << QPoint(10 + 8, 10 + 216);
    QTest::newRow("Line12") << QStringLiteral("Line12") << QPoint(10 + 448, 10 + 216);
    QTest::newRow("Line13") << QStringLiteral("Line13") << QPoint(10 + 256, 10 + 216);
    QTest::newRow("Line14") << QStringLiteral("Line14") << QPoint(10 + 136, 10 + 202);
    QTest::newRow("Line8") << QStringLiteral("Line8") << QPoint(100, 0);
}

void TestForm1::linesAreDrawn()
{
    QFETCH(QString, name);
    QFETCH(QPoint, end);

    Form1 form(m_folder.path());
    const QWidget *line = form.findChild<QWidget *>(name);
    QVERIFY(line);
    QVERIFY(line->isVisibleTo(&form));
    const QImage image = form.grab().toImage();
    // The stored line colour is the system's window-text colour.
    QCOMPARE(image.pixelColor(end), form.palette().color(QPalette::WindowText));
}

void TestForm1::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");

    QTest::newRow("Combo1") << QStringLiteral("Combo1") << QStringLiteral("VORN Tools Downloader") << true;
    QTest::newRow("Label1, hidden until a transfer")
        << QStringLiteral("Label1") << QStringLiteral("Now...") << false;
    QTest::newRow("xpLabel1") << QStringLiteral("xpLabel1") << QStringLiteral("Progress >>>") << true;
    QTest::newRow("Label2") << QStringLiteral("Label2") << QStringLiteral("Time : =") << true;
    QTest::newRow("Label3, leading blank") << QStringLiteral("Label3") << QStringLiteral(" Date : =") << true;
    QTest::newRow("xpLabel3") << QStringLiteral("xpLabel3") << QStringLiteral("Coded By DAVRIN") << true;
}

void TestForm1::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, visible);

    Form1 form(m_folder.path());
    const QWidget *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(shownText(widget), text);
    QCOMPARE(widget->isVisibleTo(&form), visible);
}

void TestForm1::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");

    const auto row = [](const char *name, const char *family, double pointSize, bool bold) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(family) << pointSize << bold;
    };
    row("Combo1", "MS Sans Serif", 8.25, false);
    row("Label1", "Arial", 8.25, true);
    row("xpLabel1", "Arial", 9.75, true);
    row("Label2", "MS Sans Serif", 9.75, true);
    row("Label3", "MS Sans Serif", 9.75, true);
    row("Label4", "MS Sans Serif", 9.75, true);
    row("Label5", "MS Sans Serif", 9.75, true);
    row("xpLabel3", "NSimSun", 18, true);
    row("xpButton1", "Tahoma", 8.25, false);
    row("xpButton2", "Tahoma", 8.25, false);
    row("xpButton3", "Tahoma", 8.25, false);
    row("xpButton4", "Tahoma", 8.25, false);
}

void TestForm1::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);

    Form1 form(m_folder.path());
    const QWidget *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), pointSize);
    QCOMPARE(widget->font().bold(), bold);
}

void TestForm1::textColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Label2") << QStringLiteral("Label2") << Blue;
    QTest::newRow("Label3") << QStringLiteral("Label3") << Blue;
    QTest::newRow("Label4, date") << QStringLiteral("Label4") << Blue;
    QTest::newRow("Label5, time") << QStringLiteral("Label5") << Blue;
    QTest::newRow("xpLabel3") << QStringLiteral("xpLabel3") << Blue;
}

void TestForm1::textColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);

    Form1 form(m_folder.path());
    QWidget *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(textColour(widget), colour);
    // What is drawn counts, not only what is stored: the skin must not repaint the labels in its colours.
    QTRY_VERIFY(!shownText(widget).trimmed().isEmpty());
    const QImage image = widget->grab().toImage();
    QVERIFY(pixelsOfColour(image, image.rect(), colour) > 0);
}

void TestForm1::opaqueLabels_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("Label2") << QStringLiteral("Label2");
    QTest::newRow("Label3") << QStringLiteral("Label3");
}

void TestForm1::opaqueLabels()
{
    QFETCH(QString, name);

    Form1 form(m_folder.path());
    QWidget *label = form.findChild<QLabel *>(name);
    QVERIFY(label);
    QVERIFY(label->autoFillBackground());
    const QColor buttonFace = label->palette().color(QPalette::Button);
    QCOMPARE(label->palette().color(label->backgroundRole()), buttonFace);
    const QImage image = label->grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), buttonFace);
}

void TestForm1::pictureButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tip");

    QTest::newRow("xpButton4") << QStringLiteral("xpButton4") << QStringLiteral("Download");
    QTest::newRow("xpButton3") << QStringLiteral("xpButton3") << QStringLiteral("Cancel");
    QTest::newRow("xpButton2") << QStringLiteral("xpButton2") << QStringLiteral("About");
    QTest::newRow("xpButton1") << QStringLiteral("xpButton1") << QStringLiteral("Exit");
}

void TestForm1::pictureButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, tip);

    Form1 form(m_folder.path());
    XpButton *button = form.findChild<XpButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), tip);
    QCOMPARE(button->accessibleName(), tip);
    QVERIFY(button->text().isEmpty());
    // The middle of the face shows the picture; without one it would be plain face colour.
    const QImage image = button->grab().toImage();
    const QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
    QVERIFY(pixelsOfColour(image, middle, XpButton::faceColor()) < middle.width() * middle.height() / 2);
}

void TestForm1::progressRow()
{
    Form1 form(m_folder.path());

    QVERIFY(form.ProgressBar1->isVisibleTo(&form));
    QCOMPARE(form.ProgressBar1->value(), 0);
    QCOMPARE(form.ProgressBar1->fillColor(), QColor(64, 64, 64));
    // At 50 the left half of the bar is filled and the right half is not.
    form.ProgressBar1->setValue(50);
    const QImage bar = form.ProgressBar1->grab().toImage();
    const int middle = bar.height() / 2;
    QCOMPARE(bar.pixelColor(bar.width() / 4, middle), QColor(64, 64, 64));
    QCOMPARE_NE(bar.pixelColor(bar.width() * 3 / 4, middle), QColor(64, 64, 64));
    QVERIFY(!form.Image1->pixmap().isNull());
    QVERIFY(isSkinned(&form));
}

void TestForm1::timers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");

    // Timer1 is stored at a second but the load handler makes it four times faster.
    QTest::newRow("Timer1, clock") << QStringLiteral("Timer1") << 250;
    QTest::newRow("Timer2, title") << QStringLiteral("Timer2") << 50;
}

void TestForm1::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);

    Form1 form(m_folder.path());
    const QTimer *timer = form.findChild<QTimer *>(name);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), interval);
    QVERIFY(timer->isActive());
}

void TestForm1::toolList()
{
    Form1 form(m_folder.path());
    QStringList items;
    for (int i = 0; i < form.Combo1->count(); ++i)
        items.append(form.Combo1->itemText(i));

    QCOMPARE(items, ToolCatalog::listedNames());
    QCOMPARE(items.size(), 10);
    QVERIFY(!items.contains(QStringLiteral("VORN K3-K4 PC List Editor V2_0")));
    // Filling the list must not pick an entry: the field keeps showing the stored text.
    QCOMPARE(form.Combo1->currentIndex(), -1);
    QCOMPARE(form.Combo1->text(), QStringLiteral("VORN Tools Downloader"));
}

void TestForm1::toolListKeyboard_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one Down picks the first entry") << 1 << QStringLiteral("VORN Tandem Loader V1.41");
    QTest::newRow("two Downs pick the second") << 2 << QStringLiteral("Vorn Scanner V1.40");
}

void TestForm1::toolListKeyboard()
{
    QFETCH(int, presses);
    QFETCH(QString, expected);

    Form1 form(m_folder.path());
    QVERIFY(showAndActivate(form));
    QTRY_VERIFY(form.Combo1->hasFocus());
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(form.windowHandle(), Qt::Key_Down);
    QCOMPARE(form.Combo1->currentIndex(), presses - 1);
    QCOMPARE(form.Combo1->text(), expected);
}

void TestForm1::tabOrder_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QStringList>("sequence");

    const QStringList forward = {
        QStringLiteral("xpButton1"),
        QStringLiteral("xpButton2"),
        QStringLiteral("xpButton3"),
        QStringLiteral("xpButton4"),
        QStringLiteral("Combo1"),
    };
    const QStringList backward = {
        QStringLiteral("xpButton4"),
        QStringLiteral("xpButton3"),
        QStringLiteral("xpButton2"),
        QStringLiteral("xpButton1"),
        QStringLiteral("Combo1"),
    };
    QTest::newRow("Tab, round from the tool list") << Qt::Key_Tab << forward;
    QTest::newRow("Shift+Tab, round the other way") << Qt::Key_Backtab << backward;
}

void TestForm1::tabOrder()
{
    QFETCH(Qt::Key, key);
    QFETCH(QStringList, sequence);

    Form1 form(m_folder.path());
    QVERIFY(showAndActivate(form));
    QTRY_VERIFY(form.Combo1->hasFocus());
    for (const QString &expected : std::as_const(sequence)) {
        QTest::keyClick(form.windowHandle(), key);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), expected);
    }
}

void TestForm1::darkDesktopTheme_data()
{
    QTest::addColumn<bool>("about");
    QTest::newRow("Form1") << false;
    QTest::newRow("frmAbout") << true;
}

void TestForm1::darkDesktopTheme()
{
    QFETCH(bool, about);
    // The skin's colours are those of Qt's own palette, which a bare display without a theme gives.
    const QPalette plain = QGuiApplication::palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        if (role == QPalette::NoRole)
            continue;
        const auto colorRole = QPalette::ColorRole(role);
        QCOMPARE(Skin::palette().color(colorRole), plain.color(colorRole));
    }

    // Every control shows the same colours under a dark desktop palette as under the plain one.
    const auto colours = [&](const QWidget &window) {
        QStringList seen;
        for (const QWidget *widget : window.findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty())
                continue;
            const QPalette palette = widget->palette();
            seen << widget->objectName();
            for (const auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button,
                     QPalette::ButtonText, QPalette::Base, QPalette::Text, QPalette::PlaceholderText})
                seen << palette.color(role).name(QColor::HexArgb);
            seen << textColour(widget).name();
        }
        return seen;
    };
    const auto build = [&] {
        if (about)
            return colours(FrmAbout());
        return colours(Form1(m_folder.path()));
    };
    const QStringList designed = build();
    QPalette dark(QColor(0xEE, 0xEE, 0xEE), QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    const QStringList underDark = build();
    QApplication::setPalette(plain);
    QCOMPARE(underDark, designed);
}

void TestForm1::longTextsKeepToTheirBox_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("clear"); // the text's box ends this many pixels before the label's

    QTest::newRow("time, Japanese") << QStringLiteral("Label5") << QStringLiteral("10時56分56秒") << 1;
    QTest::newRow("time, Arabic") << QStringLiteral("Label5") << QStringLiteral("١٠:٥٦:٥٦ ص") << 1;
    QTest::newRow("date, Arabic") << QStringLiteral("Label4") << QStringLiteral("٧\u200f/١٢\u200f/٢٠٢٦") << 0;
    QTest::newRow("date, far too long")
        << QStringLiteral("Label4") << QStringLiteral("Wednesday 30 December 2026") << 0;
    QTest::newRow("styled, far too long")
        << QStringLiteral("xpLabel3") << QStringLiteral("Coded By DAVRIN, 2026") << 0;
    // "Time : =" ends where the time begins, 9 pixels before its own box does.
    QTest::newRow("before the time") << QStringLiteral("Label2") << QStringLiteral("Time : = = = = = =") << 9;
}

void TestForm1::longTextsKeepToTheirBox()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, clear);

    Form1 form(m_folder.path());
    form.Timer1->stop();
    QWidget *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    if (auto *styled = qobject_cast<XpLabel *>(widget))
        styled->setCaption(text);
    else
        qobject_cast<QLabel *>(widget)->setText(text);

    // Something is written, and not even the faint edge of a glyph reaches the end of the text's box: a
    // cut text would run over it.
    const QImage image = widget->grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, 0);
    const auto ink = [&](int x, int y) {
        const QRgb pixel = image.pixel(x, y);
        return std::abs(qRed(pixel) - qRed(background)) + std::abs(qGreen(pixel) - qGreen(background))
            + std::abs(qBlue(pixel) - qBlue(background));
    };
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = image.width() - 1 - clear; x < image.width(); ++x)
            QVERIFY2(ink(x, y) < 16, qPrintable(QStringLiteral("ink at the edge in row %1").arg(y)));
        for (int x = 0; x < image.width(); ++x)
            inked += ink(x, y) > 48 ? 1 : 0;
    }
    QVERIFY(inked > image.height());
}

void TestForm1::statusRowSharesOneBaseline_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("1.25x") << 1.25;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
}

void TestForm1::statusRowSharesOneBaseline()
{
    QFETCH(double, scale);
    // The scale factor is one per process: the status row is built as the window builds it, its boxes and
    // fonts at each scale's sizes, in the face the stored one is drawn in there.
    const QString scaledFace = QStringLiteral("Liberation Sans");
    std::vector<ControlDescription> controls;
    for (ControlDescription control : form1Description().controls) {
        if (!QByteArrayLiteral("Label2 Label5 Label3 Label4").contains(control.name))
            continue;
        control.container = nullptr;
        for (int *twips : {&control.left, &control.top, &control.width, &control.height})
            *twips = qRound(*twips * scale);
        control.font.pointSize *= scale;
        if (scale > 1)
            control.font.family = reinterpret_cast<const char16_t *>(scaledFace.utf16());
        controls.push_back(control);
    }
    QWidget window;
    buildWindow(&window, {u"", qRound(7215 * scale), qRound(3825 * scale), {}, nullptr, controls});
    // Digits and letters standing flat on the baseline; at the larger scales the date is drawn smaller.
    window.findChild<XpLabel *>(QStringLiteral("Label5"))->setCaption(QStringLiteral("12:14:21"));
    window.findChild<QLabel *>(QStringLiteral("Label4"))->setText(QStringLiteral("21 Dec 2024"));
    const QImage image = window.grab().toImage();
    // The lowest row of the text's blue in the left half of a label, which no neighbour's text reaches.
    const auto baseline = [&](const char *name) {
        const QRect box = window.findChild<QWidget *>(QLatin1String(name))->geometry();
        for (int y = box.bottom(); y >= box.top(); --y)
            for (int x = box.left(); x < box.center().x(); ++x)
                if (qBlue(image.pixel(x, y)) > 160 && qRed(image.pixel(x, y)) < 96)
                    return y;
        return -1;
    };
    QVERIFY(baseline("Label2") > 0 && baseline("Label3") > 0);
    QCOMPARE(baseline("Label5"), baseline("Label2"));
    QCOMPARE(baseline("Label4"), baseline("Label3"));
}

namespace {

// What a screen reader reaches by walking the tree from the window, by object name.
QMap<QString, QAccessibleInterface *> reachedControls(Form1 &form)
{
    QMap<QString, QAccessibleInterface *> reached;
    QList<QAccessibleInterface *> pending{QAccessible::queryAccessibleInterface(&form)};
    while (!pending.isEmpty()) {
        QAccessibleInterface *node = pending.takeFirst();
        if (!node || !node->isValid())
            return {};
        reached.insert(node->object() ? node->object()->objectName() : QString(), node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
    }
    return reached;
}

} // namespace

void TestForm1::accessibleTree()
{
    Form1 form(m_folder.path());
    const QMap<QString, QAccessibleInterface *> reached = reachedControls(form);
    QVERIFY(reached.size() > 10);
    for (auto node = reached.cbegin(); node != reached.cend(); ++node) {
        QVERIFY2(
            !node.key().startsWith(QLatin1String("Line")), qPrintable(node.key() + u" is only drawn"_qs));
        // Nothing nameless that is only a place on the screen.
        QVERIFY2(node.value()->role() != QAccessible::Client || node.value()->childCount() > 0,
            qPrintable(node.key()));
        // The AT-SPI bridge offers Increase and Decrease on anything with a value, which here would do
        // nothing.
        QVERIFY2(!node.value()->valueInterface(), qPrintable(node.key()));
    }
}

void TestForm1::accessibleControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("labelledBy");

    QTest::newRow("tool list") << u"Combo1"_qs << QAccessible::ComboBox << u"Tool to download"_qs << QString()
                               << QString();
    // A description that repeats the name says it twice.
    QTest::newRow("Download") << u"xpButton4"_qs << QAccessible::Button << u"Download"_qs
                              << u"Fetches the archive of the tool picked in the list"_qs << QString();
    // Stored disabled to take no input, yet as readable as any text.
    QTest::newRow("styled label") << u"xpLabel1"_qs << QAccessible::StaticText << u"Progress >>>"_qs
                                  << QString() << QString();
    QTest::newRow("progress bar, its value as text")
        << u"ProgressBar1"_qs << QAccessible::ProgressBar << u"Progress"_qs << u"Progress"_qs << QString();
    QTest::newRow("banner") << u"Image1"_qs << QAccessible::Graphic << u"VORN banner"_qs << QString()
                            << QString();
    QTest::newRow("animation") << u"ucAniGIF1"_qs << QAccessible::Animation << u"DAVRIN"_qs << QString()
                               << QString();
    QTest::newRow("time, by its caption")
        << u"Label5"_qs << QAccessible::StaticText << u"12:14:21"_qs << QString() << u"Time : ="_qs;
    QTest::newRow("date, by its caption")
        << u"Label4"_qs << QAccessible::StaticText << u"21 Dec 2024"_qs << QString() << u" Date : ="_qs;
}

void TestForm1::accessibleControls()
{
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, labelledBy);

    Form1 form(m_folder.path());
    form.Timer1->stop();
    form.Label5->setCaption(u"12:14:21"_qs);
    form.Label4->setText(u"21 Dec 2024"_qs);
    form.ProgressBar1->setValue(37);
    QAccessibleInterface *node = reachedControls(form).value(control);
    QVERIFY(node);
    QCOMPARE(node->role(), role);
    QCOMPARE(node->text(QAccessible::Name), name);
    QCOMPARE(node->text(QAccessible::Description), description);
    QVERIFY(!node->state().disabled);
    const auto labels = node->relations(QAccessible::Label);
    QCOMPARE(labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name), labelledBy);
    if (role == QAccessible::ProgressBar)
        QCOMPARE(node->text(QAccessible::Value), u"37%"_qs);
}

void TestForm1::focusFrame_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("tool list, which has the focus at start") << QStringLiteral("Combo1");
    QTest::newRow("picture button") << QStringLiteral("xpButton3");
}

void TestForm1::focusFrame()
{
    QFETCH(QString, name);
    Form1 form(m_folder.path());
    QVERIFY(showAndActivate(form));
    QWidget *control = form.findChild<QWidget *>(name);
    form.xpButton1->setFocus();
    QTRY_VERIFY(form.xpButton1->hasFocus());
    const QImage unfocused = control->grab().toImage();
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
    // The focus shows as a frame, not a tint: a good part of a ring inside the edge turns dark.
    const QImage focused = control->grab().toImage();
    int darkened = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x)
            darkened += qGray(focused.pixel(x, y)) < 64 && qGray(unfocused.pixel(x, y)) > 128 ? 1 : 0;
    QVERIFY2(darkened >= (control->width() + control->height()) / 2, qPrintable(QString::number(darkened)));
}

void TestForm1::buttonKeys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("clicks");

    QTest::newRow("Space presses") << Qt::Key_Space << 1;
    QTest::newRow("Return presses") << Qt::Key_Return << 1;
    QTest::newRow("Enter presses") << Qt::Key_Enter << 1;
    QTest::newRow("a letter does not") << Qt::Key_A << 0;
    QTest::newRow("Escape does not, with no transfer to stop") << Qt::Key_Escape << 0;
}

void TestForm1::buttonKeys()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, clicks);

    Form1 form(m_folder.path());
    QVERIFY(showAndActivate(form));
    XpButton *button = form.xpButton3;
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());

    QSignalSpy clicked(button, &XpButton::clicked);
    QTest::keyClick(form.windowHandle(), key);
    QTRY_COMPARE(clicked.count(), clicks);
}

void TestForm1::animationPlays()
{
    Form1 form(m_folder.path());
    QMovie *movie = form.ucAniGIF1->animation();

    QCOMPARE(movie->state(), QMovie::Running);
    QCOMPARE(movie->frameCount(), 40);
    const int first = movie->currentFrameNumber();
    QTRY_VERIFY(movie->currentFrameNumber() != first);
}

void TestForm1::titleScrollsOnTick()
{
    // No events may run between building the window and the spy, or a tick could slip by unseen.
    Form1 form(m_folder.path());
    form.show();
    // The window's own slot is connected first, so the title has moved when the spy sees the tick.
    QSignalSpy tick(form.Timer2, &QTimer::timeout);
    QVERIFY(tick.wait());
    QCOMPARE(form.windowTitle(), QLatin1Char(' ') + Title);
}

void TestForm1::clockShowsDateAndTime()
{
    Form1 form(m_folder.path());

    QTRY_VERIFY(!form.Label4->text().isEmpty());
    QTRY_VERIFY(!form.Label5->caption().isEmpty());
    QTRY_COMPARE(form.Label4->text(), ClockText::date(QDate::currentDate(), QLocale::system()));
    QTRY_VERIFY2(showsRecentTime(form.Label5->caption()), qPrintable(form.Label5->caption()));
}

void TestForm1::cleanup()
{
    m_form.reset();
    m_server.reset();
    m_home.reset();
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

Form1 &TestForm1::downloadWindow(const Prepare &prepare)
{
    m_server = std::make_unique<ScriptedHttpServer>();
    m_home = std::make_unique<TemporaryHome>();
    [&] { QVERIFY(m_server->listen() && m_home->isValid()); }();
    QNetworkProxy::setApplicationProxy(m_server->proxy());
    Scene scene{*m_server, m_home->path() + QLatin1String("/tools")};
    QDir().mkpath(scene.programFolder);
    if (prepare)
        prepare(scene);
    m_programFolder = scene.programFolder;
    m_form = std::make_unique<Form1>(scene.programFolder);
    m_form->Inet1->setRequestTimeout(scene.timeout);
    return *m_form;
}

DownloadRun TestForm1::download(int position, const Act &act)
{
    const QString name = ToolCatalog::displayName(position);
    m_form->Combo1->setCurrentIndex(
        m_form->Combo1->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
    const DownloadRun run = runDownload(
        m_form->commands(), [this] { m_form->xpButton4->click(); },
        [&](int report) {
            if (act)
                act(*m_form, report);
        });
    [&] {
        QCOMPARE(m_form->Combo1->text(), name);
        QVERIFY2(!run.timedOut, "the download did not end within its time");
    }();
    return run;
}

QString TestForm1::archivePath(int position) const
{
    return ToolCatalog::destinationPath(m_programFolder, position);
}

// One row per way a download ends: the busy and idle states, the message window and the progress bar's
// line for the outcome. What lies on disk afterwards is tst_downloadcommands'.
void TestForm1::downloadOutcome_data()
{
    QTest::addColumn<Prepare>("prepare");
    QTest::addColumn<Act>("act");
    QTest::addColumn<QString>("message"); // a pattern of the message window's text; empty for none
    QTest::addColumn<QString>("told"); // the bar's line afterwards; empty where its size varies

    const QString failed = u"^Vorn Scanner V1\\.40 could not be downloaded: "_qs;
    const QString incomplete = u"^The download of Vorn Scanner V1\\.40 is incomplete: "_qs;
    const QString sizes = uR"( after [\d.]+ of 9\.8 KiB\.\n)"_qs;
    const QString part = u" kept in ~/tools/Vorn Scanner V1.40.rar.part"_qs;
    const ScriptedResponse stopped = stalled(1 << 20, 10 * 1024);
    ScriptedResponse framing;
    framing.length = ScriptedResponse::Length::Omit;
    framing.headers = {{"Transfer-Encoding", "chunked"}};
    framing.body = "zz\r\nnot a chunk\r\n0\r\n\r\n";

    QTest::newRow("complete") << answer(ScriptedResponse::generated(2 << 20)) << Act() << QString()
                              << u"Vorn Scanner V1.40: 2.0 MiB saved in ~/tools"_qs;
    QTest::newRow("cancelled by the Cancel button")
        << answer(stopped) << stopAt(10, [](Form1 &form) { form.xpButton3->click(); }) << QString()
        << u"Vorn Scanner V1.40: cancelled"_qs;
    QTest::newRow("cancelled by Escape") << answer(stopped) << stopAt(10, [](Form1 &form) {
        QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
    }) << QString() << u"Vorn Scanner V1.40: cancelled"_qs;
    QTest::newRow("refused") << answer(ScriptedResponse::notFound()) << Act()
                             << failed
            + u"the server answered \"404 Not Found\"\\. The earlier archive, if any, is unchanged\\.$"_qs
                             << u"Vorn Scanner V1.40: the server answered \"404 Not Found\""_qs;
    QTest::newRow("not the archive") << answer(
        withHeader(ScriptedResponse::generated(500), "Content-Encoding", "gzip"))
                                     << Act() << failed + u"the server sent the archive encoded \\(gzip\\)"_qs
                                     << QString();
    // Our own sentence with the system's few words, not libcurl's with its port and milliseconds. The
    // server is the desktop's proxy here: closed, it is the proxy that cannot be reached.
    QTest::newRow("network failure") << Prepare([](Scene &scene) { scene.server.close(); }) << Act()
                                     << failed
            + u"could not reach the proxy http://127\\.0\\.0\\.1:\\d+ from the desktop's settings \\(Connection refused\\)\\.$"_qs
                                     << QString();
    QTest::newRow("incomplete, closed early") << answer(closedAfter(10000, 6000)) << Act()
                                              << incomplete + u"the server closed the connection"_qs + sizes
                                              << u"Vorn Scanner V1.40: incomplete, 5.9 KiB"_qs + part;
    QTest::newRow("incomplete, connection reset")
        << answer(closedAfter(10000, 6000, true)) << Act()
        << incomplete + u"the server closed the connection \\(Connection reset by peer\\)"_qs + sizes
        << QString();
    QTest::newRow("incomplete, server falls silent") << Prepare([](Scene &scene) {
        scene.server.setResponder(answering(stalled(10000, 6000)));
        scene.timeout = 1;
    }) << Act() << incomplete + u"no answer from the server for 1 s"_qs + sizes
                                                     << QString();
    QTest::newRow("incomplete, bad chunk framing")
        << answer(framing) << Act()
        << incomplete + uR"(the server's answer could not be read( \(.*\))? after [\d.]+ (bytes|KiB)\.\n)"_qs
        << QString();
    // Told with the step that failed and the system's reason; nothing is fetched.
    QTest::newRow("nowhere to save")
        << Prepare([](Scene &scene) {
               scene.programFolder += QLatin1String("/missing");
               const QString home = QFile::decodeName(qgetenv("HOME")) + QLatin1String("/file");
               writeFile(home, "not a folder");
               qputenv("HOME", QFile::encodeName(home));
           })
        << Act()
        << uR"(^Vorn Scanner V1\.40 could not be saved to .*/file/Downloads: the folder could not be created \(Not a directory\)\.$)"_qs
        << QString();
}

void TestForm1::downloadOutcome()
{
    QFETCH(Prepare, prepare);
    QFETCH(Act, act);
    QFETCH(QString, message);
    QFETCH(QString, told);

    Form1 &form = downloadWindow(prepare);
    QVERIFY(showAndActivate(form));
    bool busyWhileRunning = true;
    const DownloadRun run = download(2, [&](Form1 &form, int report) {
        if (report == 1) {
            busyWhileRunning = QGuiApplication::overrideCursor() && !form.Label1->isHidden()
                && form.Label1->caption() == QLatin1String(" Download in Progress  >>> ");
        }
        if (act)
            act(form, report);
    });

    QCOMPARE(run.results.size(), 1);
    QVERIFY(busyWhileRunning);
    QVERIFY(isIdle(form));
    QMessageBox *box = failureBox(form);
    if (message.isEmpty()) {
        QVERIFY2(!box, qPrintable(box ? box->text() : QString()));
    } else {
        QVERIFY(box);
        QVERIFY2(QRegularExpression(message).match(box->text()).hasMatch(), qPrintable(box->text()));
        // libcurl's own sentence, with its unformatted numbers, stays out.
        QVERIFY2(!box->text().contains(u"remaining"_qs), qPrintable(box->text()));
        // Server text is never read as markup, and the message does not hold the main window: Exit,
        // Cancel and Download stay usable.
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
    }
    if (!told.isEmpty()) {
        QCOMPARE(form.ProgressBar1->toolTip(), told);
        QCOMPARE(form.ProgressBar1->accessibleDescription(), told);
    }
}

void TestForm1::nothingPicked()
{
    Form1 &form = downloadWindow();
    QCOMPARE(form.Combo1->text(), u"VORN Tools Downloader"_qs);
    form.xpButton4->click();
    QCOMPARE(m_server->requestCount(), 0);
    // Nothing matched, so the idle caption stays hidden.
    QVERIFY(form.xpLabel1->isHidden());
    QVERIFY(form.Label1->isHidden());
}

void TestForm1::cancelWhenIdle()
{
    Form1 &form = downloadWindow();
    form.ProgressBar1->setValue(30);
    form.xpButton3->click();
    QVERIFY(isIdle(form));
}

void TestForm1::stoppedBeforeTheRequestStarts_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("Cancel") << false;
    QTest::newRow("window closed") << true;
}

void TestForm1::stoppedBeforeTheRequestStarts()
{
    QFETCH(bool, closeWindow);
    Form1 &form = downloadWindow(answer(ScriptedResponse::generated(5000)));
    QVERIFY(writeFile(archivePath(9), "kept"));
    form.show();
    // A click already queued when Download is pressed runs in the transfer's first event pump.
    if (closeWindow)
        QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(form.xpButton3, &XpButton::click, Qt::QueuedConnection);
    download(9);

    QCOMPARE(m_server->requestCount(), 0);
    QCOMPARE(readFile(archivePath(9)), QByteArray("kept"));
    QVERIFY(!form.xpLabel1->isHidden());
    QVERIFY(!QGuiApplication::overrideCursor());
}

// A tool that fails again and again keeps one message window, showing its latest failure.
void TestForm1::oneFailureWindowPerTool()
{
    Form1 &form = downloadWindow(answer(ScriptedResponse::notFound()));
    const auto boxes = [&] { return form.findChildren<QMessageBox *>(QStringLiteral("transferFailureBox")); };
    download(5);
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"404"_qs), qPrintable(boxes().first()->text()));

    m_server->close();
    for (int press = 0; press < 3; ++press)
        download(5);
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"could not reach the proxy"_qs),
        qPrintable(boxes().first()->text()));
    QVERIFY(boxes().first()->isVisible());

    download(2);
    QCOMPARE(boxes().size(), 2);
}

// Without a notification service the bar's tooltip is the one trace of how the last download ended,
// until the next download takes its place as soon as it starts.
void TestForm1::nextDownloadReplacesLastOutcome()
{
    Form1 &form = downloadWindow(answer(ScriptedResponse::generated(2000)));
    download(2);
    const QString text = form.ProgressBar1->toolTip();
    QVERIFY2(text.startsWith(u"Vorn Scanner V1.40: "_qs), qPrintable(text));

    bool stale = true;
    connect(&form.commands(), &DownloadCommands::transferStarted, this, [&] {
        stale = form.ProgressBar1->toolTip() == text;
        form.xpButton3->click();
    });
    download(2);
    QVERIFY(!stale);
}

void TestForm1::readoutDuringTransfer()
{
    Form1 &form = downloadWindow(answer(trickled(100 * 1024, 4096, 40)));
    QStringList seen;
    download(1, [&](Form1 &form, int) {
        // The bar's own tooltip until the first measurement, then the readout in both places.
        const QString text = form.ProgressBar1->toolTip();
        if (text != QLatin1String("Progress") && !seen.contains(text))
            seen.append(
                text + (form.ProgressBar1->accessibleDescription() == text ? u""_qs : u" differs"_qs));
    });

    QVERIFY2(seen.size() > 1, qPrintable(seen.join(u'\n')));
    // The speed joins in once there is enough of the transfer to measure it.
    const QRegularExpression shape(uR"(^\d+\.\d of 100\.0 KiB(, [\d.]+ (bytes|KiB)/s(, \d+ s left)?)?$)"_qs);
    for (const QString &text : std::as_const(seen))
        QVERIFY2(shape.match(text).hasMatch(), qPrintable(text));
    QVERIFY2(seen.last().contains(u"/s"_qs), qPrintable(seen.join(u'\n')));
    // Afterwards the bar tells how the download ended, with nothing of the readout left.
    const QString outcome = ToolCatalog::displayName(1) + u": 100.0 KiB saved in ~/tools"_qs;
    QCOMPARE(form.ProgressBar1->toolTip(), outcome);
    QCOMPARE(form.ProgressBar1->accessibleDescription(), outcome);
}

void TestForm1::busyBarForUnknownSize()
{
    ScriptedResponse chunked = withLength(trickled(50000, 4096, 2), {});
    chunked.chunked = true;
    Form1 &form = downloadWindow(answer(chunked));
    bool sawBusyBar = false;
    connect(form.Inet1, &Inet::stateChanged, this,
        [&] { sawBusyBar = sawBusyBar || form.ProgressBar1->isBusy(); });
    download(8);
    QVERIFY(sawBusyBar);
    QVERIFY(!form.ProgressBar1->isBusy());
    QVERIFY(!failureBox(form));
}

void TestForm1::closingTheWindowCancels()
{
    Form1 &form = downloadWindow(answer(stalled(1 << 20, 4096)));
    form.show();
    connect(&form.commands(), &DownloadCommands::progressReported, this, [&](const QString &percentage) {
        if (percentage == QLatin1String("0") && form.isVisible())
            form.close();
    });
    download(11);
    QVERIFY(!form.commands().isRunning());
    QVERIFY(form.Inet1->wasCancelled());
    QVERIFY(!QFile::exists(archivePath(11)));
    QVERIFY(!QFile::exists(archivePath(11) + QLatin1String(".part")));
}

// An outcome may quote the server: the tooltip shows it as it reads, never as markup.
void TestForm1::outcomeThatLooksLikeMarkup()
{
    QWidget bar;
    ProgressTip tip(&bar, [] { return QString(); });
    const QString outcome = u"Vorn Scanner V1.40: the server answered \"500 <b>OK</b>\""_qs;
    tip.showOutcome(outcome);
    QVERIFY2(bar.toolTip().contains(u"&lt;b&gt;OK&lt;/b&gt;"_qs), qPrintable(bar.toolTip()));
    QCOMPARE(bar.accessibleDescription(), outcome);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
