#include "controls/xpbutton.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

// Exit ends the whole process where it stands, so the press happens in a child: this same executable,
// started again with VORN_EXIT_CHILD naming the situation to press it in.
namespace {

const char childVariable[] = "VORN_EXIT_CHILD";
const char folderVariable[] = "VORN_EXIT_FOLDER";

enum ChildResult { StillRunning = 3, NoMainWindow = 4, NoAboutWindow = 5 };

void clickThroughWindow(QWidget *button)
{
    QWidget *window = button->window();
    QTest::mouseClick(
        window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
}

int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    Application::setUp();
    Form1 form(qEnvironmentVariable(folderVariable));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return NoMainWindow;
    if (qEnvironmentVariable(childVariable) == QLatin1String("about")) {
        clickThroughWindow(form.xpButton2);
        if (!form.aboutWindow() || !QTest::qWaitForWindowExposed(form.aboutWindow()))
            return NoAboutWindow;
    }
    clickThroughWindow(form.xpButton1);
    // Only reached when Exit did not end the process.
    QCoreApplication::processEvents();
    std::fputs("still running\n", stdout);
    std::fflush(stdout);
    return StillRunning;
}

} // namespace

class TestExit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exitEndsProcess_data();
    void exitEndsProcess();
};

void TestExit::exitEndsProcess_data()
{
    QTest::addColumn<QString>("situation");

    QTest::newRow("main window alone") << QStringLiteral("main");
    QTest::newRow("About window open") << QStringLiteral("about");
}

void TestExit::exitEndsProcess()
{
    QFETCH(QString, situation);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childVariable), situation);
    environment.insert(QString::fromLatin1(folderVariable), folder.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
    QVERIFY2(child.waitForFinished(60000), "the child never ended");

    const QByteArray output = child.readAllStandardOutput();
    const QByteArray report = output + child.readAllStandardError();
    QVERIFY2(!output.contains("still running"), report.constData());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, report.constData());
    QVERIFY2(child.exitCode() == 0,
        qPrintable(QString::number(child.exitCode()) + QLatin1Char(' ') + QString::fromLocal8Bit(report)));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(childVariable))
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestExit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exit.moc"
