#include "controls/ccrpprogressbar.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "support/windowtest.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

int aboutWindowCount()
{
    int count = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        count += qobject_cast<const FrmAbout *>(widget) ? 1 : 0;
    return count;
}

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void opensFromAboutButton();
    void labelsSameWhenReopened();
    void secondPressKeepsOneWindow();
    void closeButtonDestroysIt_data();
    void closeButtonDestroysIt();
    void mainWindowStaysUsable();
    void programLivesUntilAboutCloses();

private:
    // Shows `form`, presses About in it and waits until the window it opens is on screen.
    static FrmAbout *openAbout(Form1 &form);

    QTemporaryDir m_folder;
};

FrmAbout *TestFrmAbout::openAbout(Form1 &form)
{
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return nullptr;
    clickThroughWindow(form.xpButton2);
    FrmAbout *about = form.aboutWindow();
    if (!about || !QTest::qWaitForWindowExposed(about))
        return nullptr;
    return about;
}

void TestFrmAbout::initTestCase()
{
    QVERIFY(m_folder.isValid());
    Application::setUp();
}

void TestFrmAbout::opensFromAboutButton()
{
    Form1 form(m_folder.path());
    QVERIFY(!form.aboutWindow());
    FrmAbout *about = openAbout(form);
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(about->isWindow());
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->size(), QSize(257, 105));
    QCOMPARE(about->minimumSize(), QSize(257, 105));
    QCOMPARE(about->maximumSize(), QSize(257, 105));
    // No icon: a clear one, so the desktop shows no generic one either; certainly not the main window's.
    const QImage icon = about->windowIcon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!icon.isNull());
    QImage clear(icon.size(), icon.format());
    clear.fill(Qt::transparent);
    QCOMPARE(icon, clear);
    // A close box only.
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(isSkinned(about));
    const QPoint screenOrigin = QGuiApplication::primaryScreen()->geometry().topLeft();
    QCOMPARE(about->geometry().topLeft(), screenOrigin + QPoint(156, 129));
}

// What the labels say is in windows.expected; opened from the About button, and again after closing, they
// say the same.
void TestFrmAbout::labelsSameWhenReopened()
{
    const auto captions = [](const FrmAbout *about) {
        QStringList shown;
        for (const XpLabel *label : about->findChildren<XpLabel *>())
            shown.append(label->objectName() + u": "_qs + label->caption());
        return shown;
    };
    const QStringList expected{u"xpLabel1: VORN Tools Downloader "_qs, u"xpLabel4: Version : 1.0.0"_qs,
        u"xpLabel2: Devlopped By DAVRIN"_qs, u"xpLabel3: Contact me at : "_qs};
    Form1 form(m_folder.path());
    QPointer<FrmAbout> about = openAbout(form);
    QVERIFY(about);
    QCOMPARE(captions(about), expected);
    clickThroughWindow(about->xpButton2);
    QTRY_VERIFY(!about);
    about = openAbout(form);
    QVERIFY(about);
    QCOMPARE(captions(about), expected);
}

void TestFrmAbout::secondPressKeepsOneWindow()
{
    Form1 form(m_folder.path());
    FrmAbout *first = openAbout(form);
    QVERIFY(first);
    FrmAbout *second = openAbout(form);
    QCOMPARE(second, first);
    QCOMPARE(aboutWindowCount(), 1);
}

void TestFrmAbout::closeButtonDestroysIt_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("close button") << false;
    QTest::newRow("Escape key") << true;
}

void TestFrmAbout::closeButtonDestroysIt()
{
    QFETCH(bool, byEscape);
    Form1 form(m_folder.path());
    QPointer<FrmAbout> about = openAbout(form);
    QVERIFY(about);
    if (byEscape) {
        QVERIFY(showAndActivate(*about));
        QTest::keyClick(about->windowHandle(), Qt::Key_Escape);
    } else {
        clickThroughWindow(about->xpButton2);
    }
    QTRY_VERIFY(!about);
    QVERIFY(!form.aboutWindow());
    QCOMPARE(aboutWindowCount(), 0);

    about = openAbout(form);
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(isSkinned(about));
    QCOMPARE(aboutWindowCount(), 1);
}

void TestFrmAbout::mainWindowStaysUsable()
{
    Form1 form(m_folder.path());
    QVERIFY(showAndActivate(form));
    QVERIFY(openAbout(form));
    QVERIFY(!QApplication::activeModalWidget());

    // Cancel still answers: it hides the busy label and empties the bar.
    form.Label1->setVisible(true);
    form.ProgressBar1->setValue(50);
    clickThroughWindow(form.xpButton3);
    QVERIFY(!form.Label1->isVisible());
    QCOMPARE(form.ProgressBar1->value(), 0);

    // And the tool list still takes keys once the main window is in front again.
    QVERIFY(showAndActivate(form));
    form.Combo1->setFocus();
    QTRY_VERIFY(form.Combo1->hasFocus());
    QTest::keyClick(form.windowHandle(), Qt::Key_Down);
    QCOMPARE(form.Combo1->currentIndex(), 0);
    QVERIFY(form.aboutWindow());
    QVERIFY(form.aboutWindow()->isVisible());
}

void TestFrmAbout::programLivesUntilAboutCloses()
{
    // lastWindowClosed only comes from a running application, so this one runs the real event loop.
    Form1 form(m_folder.path());
    QPointer<FrmAbout> about = openAbout(form);
    QVERIFY(about);

    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    qsizetype closedWithMainWindow = -1;
    bool aboutOpenAfterMainWindow = false;
    QTimer::singleShot(0, &form, [&] {
        form.close();
        closedWithMainWindow = lastClosed.count();
        aboutOpenAfterMainWindow = about && about->isVisible();
        if (about)
            QTimer::singleShot(0, about, [&] { QTest::mouseClick(about->xpButton2, Qt::LeftButton); });
    });
    // exec() returns once the last window has closed; this only ends it should that never happen.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    watchdog.start(20000);

    const int result = QApplication::exec();
    QCOMPARE(closedWithMainWindow, 0);
    QVERIFY(aboutOpenAfterMainWindow);
    QCOMPARE(result, 0);
    QCOMPARE(lastClosed.count(), 1);
    QTRY_VERIFY(!about);
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
