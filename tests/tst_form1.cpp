#include "catalog/toolcatalog.h"
#include "controls/ccrpprogressbar.h"
#include "controls/plainlabel.h"
#include "controls/skin.h"
#include "controls/textfit.h"
#include "controls/ucanigif.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "support/downloadrun.h"
#include "support/scriptedhttpserver.h"
#include "support/showntext.h"
#include "support/windowtest.h"
#include "transfer/inet.h"
#include "ui/application.h"
#include "ui/besidebox.h"
#include "ui/clocktext.h"
#include "ui/form1.h"
#include "ui/form1description.h"
#include "ui/frmabout.h"
#include "ui/progresstip.h"
#include "ui/windowdescription.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QMovie>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>

namespace {

const QString Title
    = QStringLiteral("::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::");
const QColor Blue(0, 0, 255);
// The screen's scale factors, as QT_SCALE_FACTOR sets them, that the text rows are tried at.
constexpr double Scales[] = {1.0, 1.25, 1.5, 2.0};

QColor textColour(const QWidget *widget)
{
    if (const auto *styled = qobject_cast<const XpLabel *>(widget))
        return styled->foreColor();
    return widget->palette().color(widget->foregroundRole());
}

// How far apart two colours are: their three channels' differences added.
int distance(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// Pixels within `near` of the colour.
int pixelsOfColour(const QImage &image, const QRect &area, const QColor &colour, int near = 0)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += distance(image.pixelColor(x, y), colour) <= near;
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

// The window shown and active, with the tool list holding the focus as it does at start.
bool showWithListFocused(Form1 &form)
{
    return showAndActivate(form) && QTest::qWaitFor([&] { return form.Combo1->hasFocus(); });
}

// A check of the window as built, given the control a row names.
using Check = std::function<void(Form1 &, QObject *)>;
using WindowStep = std::function<void(Form1 &)>;

Check drawnAt(const QPoint &end)
{
    return [=](Form1 &form, QObject *object) {
        const auto *line = qobject_cast<QWidget *>(object);
        QVERIFY(line && line->isVisibleTo(&form));
        const QImage image = form.grab().toImage();
        // The stored line colour is the system's window-text colour.
        QCOMPARE(image.pixelColor(end), form.palette().color(QPalette::WindowText));
    };
}

Check drawsIn(const QColor &colour)
{
    return [=](Form1 &, QObject *object) {
        auto *widget = qobject_cast<QWidget *>(object);
        QVERIFY(widget);
        QCOMPARE(textColour(widget), colour);
        // What is drawn counts, not only what is stored: the skin must not repaint the labels in its colours.
        QTRY_VERIFY(!shownText(widget).trimmed().isEmpty());
        // A smoothed face's stems come near the colour, if not onto it.
        const QImage image = widget->grab().toImage();
        QVERIFY(pixelsOfColour(image, image.rect(), colour, 96) > 0);
    };
}

Check opaque()
{
    return [](Form1 &, QObject *object) {
        auto *label = qobject_cast<QLabel *>(object);
        QVERIFY(label);
        QVERIFY(label->autoFillBackground());
        const QColor buttonFace = label->palette().color(QPalette::Button);
        QCOMPARE(label->palette().color(label->backgroundRole()), buttonFace);
        const QImage image = label->grab().toImage();
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), buttonFace);
    };
}

Check pictureButton(const QString &tip)
{
    return [=](Form1 &, QObject *object) {
        auto *button = qobject_cast<XpButton *>(object);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), tip);
        QCOMPARE(button->accessibleName(), tip);
        QVERIFY(button->text().isEmpty());
        // The middle of the face shows the picture; without one it would be plain face colour.
        const QImage image = button->grab().toImage();
        const QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
        QVERIFY(pixelsOfColour(image, middle, XpButton::faceColor()) < middle.width() * middle.height() / 2);
    };
}

Check runsEvery(int interval)
{
    return [=](Form1 &, QObject *object) {
        const auto *timer = qobject_cast<QTimer *>(object);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), interval);
        QVERIFY(timer->isActive());
    };
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

Prepare answer(const ScriptedResponse &response, int timeout = 60)
{
    return [=](Scene &scene) {
        scene.server.setResponder(answering(response));
        scene.timeout = timeout;
    };
}

QMessageBox *failureBox(const Form1 &form)
{
    return form.findChild<QMessageBox *>(QStringLiteral("transferFailureBox"));
}

// A message window of ours stands clear of the tool list and the buttons, on the screen.
bool standsAside(const Form1 &form, const QWidget *box)
{
    QRect row;
    for (const QWidget *control :
        {static_cast<QWidget *>(form.Combo1), static_cast<QWidget *>(form.xpButton1)})
        row |= QRect(control->mapToGlobal(QPoint()), control->size());
    return box->isVisible() && !box->frameGeometry().intersects(row)
        && form.screen()->availableGeometry().contains(box->frameGeometry());
}

// The control `name` of `form` with the clock stopped, in the face a screen of `scale` draws it in: the
// bitmap face gives way to its scalable stand-in there (Fonts).
QWidget *clockStopped(Form1 &form, const QString &name, double scale)
{
    form.Timer1->stop();
    QWidget *widget = form.findChild<QWidget *>(name);
    if (QFont face = widget->font(); scale > 1 && QFontInfo(face).family() == u"MS Sans Serif"_qs) {
        face.setFamily(QFont::substitute(face.family()));
        widget->setFont(face);
    }
    return widget;
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

Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(WindowStep)
Q_DECLARE_METATYPE(Prepare)
Q_DECLARE_METATYPE(Act)

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void built_data();
    void built();
    void windowSettings();
    void progressRow();
    void toolList();
    void accessibleTree();
    void animationPlays();
    void clockShowsDateAndTime();
    void resizeMovesNothing_data();
    void resizeMovesNothing();
    void toolListKeyboard_data();
    void toolListKeyboard();
    void tabOrder_data();
    void tabOrder();
    void focusFrame_data();
    void focusFrame();
    void buttonKeys_data();
    void buttonKeys();
    void darkDesktopTheme_data();
    void darkDesktopTheme();
    void longTextsKeepToTheirBox_data();
    void longTextsKeepToTheirBox();
    void clockKeepsOneReadableFace_data();
    void clockKeepsOneReadableFace();
    void statusRowSharesOneBaseline_data();
    void statusRowSharesOneBaseline();
    void accessibleControls_data();
    void accessibleControls();
    void titleScrollsOnTick();
    void messageStandsAside_data();
    void messageStandsAside();

    void cleanup();
    void downloadOutcome_data();
    void downloadOutcome();
    void nothingPicked();
    void cancelWhenIdle();
    void oneFailureWindowPerTool();
    void nextDownloadReplacesLastOutcome();
    void readoutDuringTransfer();
    void busyBarForUnknownSize();
    void closingTheWindowCancels();
    void stoppedBeforeTheRequestStarts_data();
    void stoppedBeforeTheRequestStarts();
    void outcomeThatLooksLikeMarkup();

private:
    // A main window whose downloads go to a scripted server, saved in ~/tools of a home of the test's own.
    Form1 &downloadWindow(const Prepare &prepare = {});
    QString archivePath(int position) const;

    QTemporaryDir m_folder;
    std::unique_ptr<ServedHome> m_served;
    QString m_programFolder;
    std::unique_ptr<Form1> m_form;
};

void TestForm1::initTestCase()
{
    QVERIFY(m_folder.isValid());
    Application::setUp();
}

// Each row checks how one control, found by its name, is drawn or runs. Where each control sits, its
// font, whether it shows and its text are in windows.expected, which the window_layout test compares with
// what vorn-control-rects prints.
void TestForm1::built_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Check>("check");

    const auto row = [](const char *aspect, const char *tag, const char *name, const Check &check) {
        QTest::addRow("%s/%s", aspect, tag) << QString::fromLatin1(name) << check;
    };
    // One end of each line, in window coordinates (the picture box's client area starts at 10,10);
    // ends that a label covers are avoided.
    row("linesAreDrawn", "Line1", "Line1", drawnAt(QPoint(10 + 312, 10 + 40)));
    row("linesAreDrawn", "Line3", "Line3", drawnAt(QPoint(10 + 200, 10 + 104)));
    row("linesAreDrawn", "Line4", "Line4", drawnAt(QPoint(10 + 176, 10 + 70)));
    row("linesAreDrawn", "Line7", "Line7", drawnAt(QPoint(10 + 448, 10 + 70)));
    row("linesAreDrawn", "Line9", "Line9", drawnAt(QPoint(10 + 100, 10 + 200)));
    row("linesAreDrawn", "Line10", "Line10", drawnAt(QPoint(10 + 400, 10 + 232)));
    row("linesAreDrawn", "Line11", "Line11", drawnAt(QPoint(10 + 8, 10 + 216)));
    row("linesAreDrawn", "Line12", "Line12", drawnAt(QPoint(10 + 448, 10 + 216)));
    row("linesAreDrawn", "Line13", "Line13", drawnAt(QPoint(10 + 256, 10 + 216)));
    row("linesAreDrawn", "Line14", "Line14", drawnAt(QPoint(10 + 136, 10 + 202)));
    row("linesAreDrawn", "Line8", "Line8", drawnAt(QPoint(100, 0)));

    row("textColours", "Label2", "Label2", drawsIn(Blue));
    row("textColours", "Label3", "Label3", drawsIn(Blue));
    row("textColours", "Label4, date", "Label4", drawsIn(Blue));
    row("textColours", "Label5, time", "Label5", drawsIn(Blue));
    row("textColours", "xpLabel3", "xpLabel3", drawsIn(Blue));

    row("opaqueLabels", "Label2", "Label2", opaque());
    row("opaqueLabels", "Label3", "Label3", opaque());

    row("pictureButtons", "xpButton4", "xpButton4", pictureButton(u"Download"_qs));
    row("pictureButtons", "xpButton3", "xpButton3", pictureButton(u"Cancel"_qs));
    row("pictureButtons", "xpButton2", "xpButton2", pictureButton(u"About"_qs));
    row("pictureButtons", "xpButton1", "xpButton1", pictureButton(u"Exit"_qs));

    // Timer1 is stored at a second but the load handler makes it four times faster.
    row("timers", "Timer1, clock", "Timer1", runsEvery(250));
    row("timers", "Timer2, title", "Timer2", runsEvery(50));
}

void TestForm1::built()
{
    QFETCH(QString, name);
    QFETCH(Check, check);

    Form1 form(m_folder.path());
    QObject *object = form.findChild<QObject *>(name);
    QVERIFY(object);
    check(form, object);
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
        // The AT-SPI bridge offers Increase and Decrease on anything with a value: only the bar has one.
        QVERIFY2(
            !node.value()->valueInterface() == (node.key() != u"ProgressBar1"_qs), qPrintable(node.key()));
    }
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

void TestForm1::clockShowsDateAndTime()
{
    Form1 form(m_folder.path());
    QTRY_VERIFY(!form.Label4->text().isEmpty());
    QTRY_VERIFY(!form.Label5->caption().isEmpty());
    QTRY_COMPARE(form.Label4->text(), ClockText::date(QDate::currentDate(), QLocale::system()));
    QTRY_VERIFY2(showsRecentTime(form.Label5->caption()), qPrintable(form.Label5->caption()));
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

// Each of the next four acts on the window shown and active, with the tool list holding the focus as it does
// at start.
void TestForm1::toolListKeyboard_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one Down picks the first entry") << 1 << u"VORN Tandem Loader V1.41"_qs;
    QTest::newRow("two Downs pick the second") << 2 << u"Vorn Scanner V1.40"_qs;
}

void TestForm1::toolListKeyboard()
{
    QFETCH(int, presses);
    QFETCH(QString, expected);

    Form1 form(m_folder.path());
    QVERIFY(showWithListFocused(form));
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(form.windowHandle(), Qt::Key_Down);
    QCOMPARE(form.Combo1->currentIndex(), presses - 1);
    QCOMPARE(form.Combo1->text(), expected);
}

void TestForm1::tabOrder_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QStringList>("sequence");
    QTest::newRow("Tab, round from the tool list")
        << Qt::Key_Tab
        << QStringList{u"xpButton1"_qs, u"xpButton2"_qs, u"xpButton3"_qs, u"xpButton4"_qs, u"Combo1"_qs};
    QTest::newRow("Shift+Tab, round the other way")
        << Qt::Key_Backtab
        << QStringList{u"xpButton4"_qs, u"xpButton3"_qs, u"xpButton2"_qs, u"xpButton1"_qs, u"Combo1"_qs};
}

void TestForm1::tabOrder()
{
    QFETCH(Qt::Key, key);
    QFETCH(QStringList, sequence);

    Form1 form(m_folder.path());
    QVERIFY(showWithListFocused(form));
    for (const QString &expected : std::as_const(sequence)) {
        QTest::keyClick(form.windowHandle(), key);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), expected);
    }
}

void TestForm1::focusFrame_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("tool list, which has the focus at start") << u"Combo1"_qs;
    QTest::newRow("picture button") << u"xpButton3"_qs;
}

void TestForm1::focusFrame()
{
    QFETCH(QString, name);

    Form1 form(m_folder.path());
    QVERIFY(showWithListFocused(form));
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
    QVERIFY(showWithListFocused(form));
    XpButton *button = form.xpButton3;
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    QSignalSpy clicked(button, &XpButton::clicked);
    QTest::keyClick(form.windowHandle(), key);
    QTRY_COMPARE(clicked.count(), clicks);
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
    const auto build = [&] { return about ? colours(FrmAbout()) : colours(Form1(m_folder.path())); };
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
    QTest::addColumn<double>("scale"); // of the screen, as QT_SCALE_FACTOR sets it

    const auto row = [](const char *tag, const QString &name, const QString &text, int clear) {
        for (const double scale : Scales)
            QTest::addRow("%s, %gx", tag, scale) << name << text << clear << scale;
    };
    row("time, Japanese", u"Label5"_qs, u"10時56分56秒"_qs, 1);
    row("time, Arabic", u"Label5"_qs, u"١٠:٥٦:٥٦ ص"_qs, 1);
    row("time, English", u"Label5"_qs, u"8:44:30 PM"_qs, 1);
    row("date, Arabic", u"Label4"_qs, u"٧\u200f/١٢\u200f/٢٠٢٦"_qs, 0);
    row("date, far too long", u"Label4"_qs, u"Wednesday 30 December 2026"_qs, 0);
    row("styled, far too long", u"xpLabel3"_qs, u"Coded By DAVRIN, 2026"_qs, 0);
    // "Time : =" ends where the time begins, 9 pixels before its own box does.
    row("before the time", u"Label2"_qs, u"Time : = = = = = ="_qs, 9);
}

void TestForm1::longTextsKeepToTheirBox()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, clear);
    QFETCH(double, scale);

    Form1 form(m_folder.path());
    QWidget *widget = clockStopped(form, name, scale);
    QVERIFY(widget);
    if (auto *styled = qobject_cast<XpLabel *>(widget))
        styled->setCaption(text);
    else
        qobject_cast<QLabel *>(widget)->setText(text);

    // Something is written, and not even the faint edge of a glyph reaches the end of the text's box: a
    // cut text would run over it.
    QImage image(widget->size() * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(form.Picture1->palette().color(QPalette::Window));
    widget->render(&image);
    clear = int(std::ceil(clear * scale));
    const QColor background = image.pixelColor(image.width() - 1, 0);
    const auto ink = [&](int x, int y) { return distance(image.pixelColor(x, y), background); };
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = image.width() - 1 - clear; x < image.width(); ++x)
            QVERIFY2(ink(x, y) < 16, qPrintable(QStringLiteral("ink at the edge in row %1").arg(y)));
        for (int x = 0; x < image.width(); ++x)
            inked += ink(x, y) > 48 ? 1 : 0;
    }
    QVERIFY(inked > image.height());
    QVERIFY(QFontInfo(TextFit::fit(widget->font(), text, widget->size()).font).pixelSize()
        >= std::min(QFontInfo(widget->font()).pixelSize(), TextFit::smallestPixelSize));
    // Drawn in another face or size, a text keeps the weight its thin bitmap face has: never bold beside it.
    const QFontInfo face(widget->font());
    if (!QFontDatabase::isSmoothlyScalable(face.family(), face.styleName()))
        QCOMPARE(TextFit::fit(widget->font(), text, widget->size()).font.weight(),
            QFontDatabase::weight(face.family(), face.styleName()));
}

void TestForm1::clockKeepsOneReadableFace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("scale");
    QTest::newRow("date, C, all December") << u"Label4"_qs << QLocale::c() << 1.0;
    QTest::newRow("time, Japanese, all day") << u"Label5"_qs << QLocale(QLocale::Japanese) << 1.0;
    QTest::newRow("time, English, all day, 1.25x") << u"Label5"_qs << QLocale(QLocale::English) << 1.25;
}

// Whole, at a readable size, and in one face and size all month or all day.
void TestForm1::clockKeepsOneReadableFace()
{
    QFETCH(QString, name);
    QFETCH(QLocale, locale);
    QFETCH(double, scale);
    Form1 form(m_folder.path());
    QWidget *widget = clockStopped(form, name, scale);
    // The time's text stops a pixel before the date's caption begins.
    const QSize box = widget->size() - QSize(name == u"Label5"_qs ? 1 : 0, 0);
    const auto fitsWhole = [&](const QString &text) { return TextFit::fitsWhole(widget->font(), text, box); };
    QSet<QString> faces;
    for (int step = 0; step < 31; ++step) {
        const ClockText::Shown shown = name == u"Label4"_qs
            ? ClockText::dateShown(QDate(2026, 12, step + 1), locale, widget->font())
            : ClockText::timeShown(QTime(step % 24, 0, 7), locale, widget->font(), fitsWhole);
        const TextFit::Fitted fitted = TextFit::fit(widget->font(), shown.text, box, shown.sizing);
        QCOMPARE(fitted.text, shown.text);
        QVERIFY(QFontInfo(fitted.font).pixelSize() >= TextFit::smallestPixelSize);
        faces.insert(QFontInfo(fitted.font).family() + QString::number(QFontInfo(fitted.font).pixelSize()));
    }
    QVERIFY2(faces.size() == 1, qPrintable(faces.values().join(u", ")));
}

void TestForm1::statusRowSharesOneBaseline_data()
{
    QTest::addColumn<double>("scale");
    for (const double scale : Scales)
        QTest::addRow("%gx", scale) << scale;
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

void TestForm1::accessibleControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("labelledBy");

    const auto row = [](const char *tag, const char *control, QAccessible::Role role, const QString &name,
                         const QString &description = {}, const QString &labelledBy = {}) {
        QTest::newRow(tag) << QString::fromLatin1(control) << role << name << description << labelledBy;
    };
    // Named by the program, never by the title's moving text.
    row("main window", "Form1", QAccessible::Window, u"VORN Tools Downloader"_qs);
    // The pick is the list's value; its name stays the label's.
    row("tool list", "Combo1", QAccessible::ComboBox, u"Tool to download"_qs);
    // A description that repeats the name says it twice.
    row("Download", "xpButton4", QAccessible::Button, u"Download"_qs,
        u"Fetches the archive of the tool picked in the list"_qs);
    // Stored disabled to take no input, yet as readable as any text.
    row("styled label", "xpLabel1", QAccessible::StaticText, u"Progress >>>"_qs);
    row("progress bar, its value as text", "ProgressBar1", QAccessible::ProgressBar, u"Progress"_qs,
        u"Progress"_qs);
    row("banner", "Image1", QAccessible::Graphic, u"VORN banner"_qs);
    row("animation", "ucAniGIF1", QAccessible::Animation, u"DAVRIN"_qs);
    row("time, by its caption", "Label5", QAccessible::StaticText, u"12:14:21"_qs, {}, u"Time : ="_qs);
    row("date, by its caption", "Label4", QAccessible::StaticText, u"21 Dec 2024"_qs, {}, u" Date : ="_qs);
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
    form.Combo1->setCurrentIndex(1);
    QAccessibleInterface *node = reachedControls(form).value(control);
    QVERIFY(node);
    QCOMPARE(node->role(), role);
    QCOMPARE(node->text(QAccessible::Name), name);
    QCOMPARE(node->text(QAccessible::Description), description);
    QVERIFY(!node->state().disabled);
    const auto labels = node->relations(QAccessible::Label);
    QCOMPARE(labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name), labelledBy);
    if (role == QAccessible::ProgressBar)
        QCOMPARE(
            node->text(QAccessible::Value) + node->valueInterface()->currentValue().toString(), u"37%37"_qs);
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

void TestForm1::messageStandsAside_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    const auto row = [](const char *tag, const QRect &window, const QPoint &expected,
                         QSize size = {300, 120}) { QTest::newRow(tag) << window << size << expected; };
    row("right of the window", {0, 0, 481, 280}, {481, 0});
    row("below, no room on the right", {400, 0, 300, 280}, {400, 280});
    row("left, none right or below", {350, 350, 400, 250}, {50, 350});
    row("above, room nowhere else", {0, 300, 800, 300}, {0, 180});
    row("the window fills the screen: beside its controls", {0, 0, 800, 600}, {470, 30});
    row("larger than the screen: from its corner", {0, 0, 800, 600}, {0, 0}, {900, 700});
}

// On a screen of 800 x 600, with the controls at (10, 30, 460, 70): never over them.
void TestForm1::messageStandsAside()
{
    QFETCH(QRect, window);
    QFETCH(QSize, size);
    QFETCH(QPoint, expected);
    QCOMPARE(BesideBox::place(window, {10, 30, 460, 70}, size, {0, 0, 800, 600}), expected);
}

void TestForm1::cleanup()
{
    m_form.reset();
    m_served.reset();
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

Form1 &TestForm1::downloadWindow(const Prepare &prepare)
{
    m_served = std::make_unique<ServedHome>();
    [&] { QVERIFY(m_served->isValid()); }();
    Scene scene{m_served->server, m_served->home.path() + QLatin1String("/tools")};
    QDir().mkpath(scene.programFolder);
    if (prepare)
        prepare(scene);
    m_programFolder = scene.programFolder;
    m_form = std::make_unique<Form1>(scene.programFolder);
    m_form->Inet1->setRequestTimeout(scene.timeout);
    return *m_form;
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

    const auto row = [](const char *tag, const Prepare &prepare, const QString &message, const QString &told,
                         const Act &act = {}) { QTest::newRow(tag) << prepare << act << message << told; };
    const QString cancelled = u"Vorn Scanner V1.40: cancelled"_qs;

    row("complete", answer(ScriptedResponse::generated(2 << 20)), {},
        u"Vorn Scanner V1.40: 2.0 MiB saved in ~/tools"_qs);
    row("cancelled by the Cancel button", answer(stopped), {}, cancelled,
        stopAt(10, [](Form1 &form) { form.xpButton3->click(); }));
    row("cancelled by Escape", answer(stopped), {}, cancelled,
        stopAt(10, [](Form1 &form) { QTest::keyClick(form.windowHandle(), Qt::Key_Escape); }));
    // Through the desktop's proxy, which does not say that it made the answer.
    row("refused", answer(ScriptedResponse::notFound()),
        failed
            + u"the answer through the proxy http://127\\.0\\.0\\.1:\\d+ from the desktop's settings was "
              "404, Not Found\\. The earlier archive, if any, is unchanged\\.$"_qs,
        {});
    row("not the archive", answer(withHeader(ScriptedResponse::generated(500), "Content-Encoding", "gzip")),
        failed + u"the server sent the archive encoded \\(gzip\\)"_qs, {});
    // Our own sentence with the system's few words, not libcurl's with its port and milliseconds. The
    // server is the desktop's proxy here: closed, it is the proxy that cannot be reached.
    row("network failure", [](Scene &scene) { scene.server.close(); },
        failed
            + u"could not reach the proxy http://127\\.0\\.0\\.1:\\d+ from the desktop's settings \\(Connection refused\\)\\.$"_qs,
        {});
    // Each told with what went wrong and how much arrived: the message, and the bar's line.
    const QList<std::pair<QString, QString>> toldShort{
        {incomplete + u"the server closed the connection"_qs + sizes,
            u"Vorn Scanner V1.40: incomplete, 5.9 KiB"_qs + part},
        {incomplete + u"the server closed the connection \\(Connection reset by peer\\)"_qs + sizes, {}},
        {incomplete + u"no answer from the server for 1 s"_qs + sizes, {}},
        {failed + uR"(the server's answer could not be read( \(.*\))? before any of the archive arrived\.)"_qs,
            {}}};
    const QList<ShortAnswer> cuts = shortAnswers();
    for (qsizetype i = 0; i < cuts.size(); ++i)
        row(cuts.at(i).tag, answer(cuts.at(i).answer, 1), toldShort.at(i).first, toldShort.at(i).second);
    // Told with the step that failed and the system's reason; nothing is fetched.
    row("nowhere to save",
        [](Scene &scene) {
            scene.programFolder += QLatin1String("/missing");
            const QString home = QFile::decodeName(qgetenv("HOME")) + QLatin1String("/file");
            writeFile(home, "not a folder");
            qputenv("HOME", QFile::encodeName(home));
        },
        uR"(^Vorn Scanner V1\.40 could not be saved to .*/file/Downloads: the folder could not be created \(Not a directory\)\.$)"_qs,
        {});
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
    const DownloadRun run = downloadFromWindow(form, 2, [&](int report) {
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
        QVERIFY(standsAside(form, box));
    }
    if (!told.isEmpty()) {
        QCOMPARE(form.ProgressBar1->toolTip(), told);
        QCOMPARE(form.ProgressBar1->accessibleDescription(), told);
    }
}

// The window around a download, beyond how it ends.
void TestForm1::nothingPicked()
{
    Form1 &form = downloadWindow();
    QCOMPARE(form.Combo1->text(), u"VORN Tools Downloader"_qs);
    form.xpButton4->click();
    QCOMPARE(m_served->server.requestCount(), 0);
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

// A tool that fails again and again keeps one message window, showing its latest failure.
void TestForm1::oneFailureWindowPerTool()
{
    Form1 &form = downloadWindow(answer(ScriptedResponse::notFound()));
    const auto boxes = [&] { return form.findChildren<QMessageBox *>(QStringLiteral("transferFailureBox")); };
    downloadFromWindow(form, 5);
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"404"_qs), qPrintable(boxes().first()->text()));

    m_served->server.close();
    for (int press = 0; press < 3; ++press)
        downloadFromWindow(form, 5);
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first()->text().contains(u"could not reach the proxy"_qs),
        qPrintable(boxes().first()->text()));
    QVERIFY(boxes().first()->isVisible());

    downloadFromWindow(form, 2);
    QCOMPARE(boxes().size(), 2);
}

// Without a notification service the bar's tooltip and the note tell how the last download ended,
// until the next download takes their place as soon as it starts.
void TestForm1::nextDownloadReplacesLastOutcome()
{
    Form1 &form = downloadWindow(answer(ScriptedResponse::generated(2000)));
    QVERIFY(showAndActivate(form));
    downloadFromWindow(form, 2);
    const QString text = form.ProgressBar1->toolTip();
    QVERIFY2(text.startsWith(u"Vorn Scanner V1.40: "_qs), qPrintable(text));
    // With no session bus the note in the window tells it too, beside the window.
    const auto note = [&] { return form.findChild<QMessageBox *>(u"windowNote"_qs); };
    QTRY_VERIFY(note() && note()->isVisible() && note()->text() == text);
    QVERIFY(standsAside(form, note()));

    bool stale = true;
    connect(&form.commands(), &DownloadCommands::transferStarted, this, [&] {
        stale = form.ProgressBar1->toolTip() == text || note()->isVisible();
        form.xpButton3->click();
    });
    downloadFromWindow(form, 2);
    QVERIFY(!stale);
}

void TestForm1::readoutDuringTransfer()
{
    Form1 &form = downloadWindow(answer(trickled(100 * 1024, 4096, 40)));
    QStringList seen;
    downloadFromWindow(form, 1, [&](int) {
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
    downloadFromWindow(form, 8);
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
    downloadFromWindow(form, 11);
    QVERIFY(!form.commands().isRunning());
    QVERIFY(form.Inet1->wasCancelled());
    QVERIFY(!QFile::exists(archivePath(11)));
    QVERIFY(!QFile::exists(archivePath(11) + QLatin1String(".part")));
}

// A Cancel or a close already queued when Download is pressed runs in the transfer's first event pump.
void TestForm1::stoppedBeforeTheRequestStarts_data()
{
    QTest::addColumn<WindowStep>("queue");
    QTest::newRow("Cancel") << WindowStep([](Form1 &form) {
        QMetaObject::invokeMethod(form.xpButton3, &XpButton::click, Qt::QueuedConnection);
    });
    QTest::newRow("window closed") << WindowStep(
        [](Form1 &form) { QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection); });
}

void TestForm1::stoppedBeforeTheRequestStarts()
{
    QFETCH(WindowStep, queue);

    Form1 &form = downloadWindow(answer(ScriptedResponse::generated(5000)));
    QVERIFY(writeFile(archivePath(9), "kept"));
    form.show();
    queue(form);
    downloadFromWindow(form, 9);

    QCOMPARE(m_served->server.requestCount(), 0);
    QCOMPARE(readFile(archivePath(9)), QByteArray("kept"));
    QVERIFY(!form.xpLabel1->isHidden());
    QVERIFY(!QGuiApplication::overrideCursor());
}

// An outcome may quote the server: the tooltip shows it as it reads, never as markup.
void TestForm1::outcomeThatLooksLikeMarkup()
{
    QWidget bar;
    ProgressTip tip(
        &bar, [] { return QString(); }, [] { return 0; });
    const QString outcome = u"Vorn Scanner V1.40: the server answered \"500 <b>OK</b>\""_qs;
    tip.showOutcome(outcome);
    QVERIFY2(bar.toolTip().contains(u"&lt;b&gt;OK&lt;/b&gt;"_qs), qPrintable(bar.toolTip()));
    QCOMPARE(bar.accessibleDescription(), outcome);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
