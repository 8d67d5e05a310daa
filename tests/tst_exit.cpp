#include "controls/xpbutton.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QFile>
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

// An X display number that no server answers on this machine.
QString unusedDisplay()
{
    int number = 4242;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
        || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
        ++number;
    return QLatin1Char(':') + QString::number(number);
}

int runChild(int argc, char **argv)
{
    // The program as it starts, with the environment the test gave it.
    if (qEnvironmentVariable(childVariable) == QLatin1String("program"))
        return Application::run(argc, argv);
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
    void withoutDisplay_data();
    void withoutDisplay();
    void displayRule_data();
    void displayRule();
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

void TestExit::withoutDisplay_data()
{
    QTest::addColumn<QString>("display"); // empty: not set
    QTest::addColumn<bool>("oneLine"); // else Qt's own lines come first, and the program's is the last
    QTest::addColumn<QString>("saying");

    QTest::newRow("neither DISPLAY nor WAYLAND_DISPLAY")
        << QString() << true << QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");
    QTest::newRow("DISPLAY names no X server")
        << unusedDisplay() << false << QStringLiteral("cannot open a window");
}

void TestExit::withoutDisplay()
{
    QFETCH(QString, display);
    QFETCH(bool, oneLine);
    QFETCH(QString, saying);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(variable));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QString::fromLatin1(childVariable), QStringLiteral("program"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
    QVERIFY2(child.waitForFinished(60000), "the child never ended");

    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    const QStringList lines = errors.trimmed().split(QLatin1Char('\n'));
    // An abort would be a crash here, with a core dump.
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable(errors));
    QVERIFY2(
        child.exitCode() == 1, qPrintable(QString::number(child.exitCode()) + QLatin1Char(' ') + errors));
    QVERIFY2(!oneLine || lines.size() == 1, qPrintable(errors));
    QVERIFY2(lines.last().startsWith(QLatin1String("vorn-tools-downloader: ")), qPrintable(errors));
    QVERIFY2(lines.last().contains(saying), qPrintable(errors));
}

void TestExit::displayRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("missing");

    const QStringList program{QStringLiteral("vorn-tools-downloader")};
    QTest::newRow("nothing named") << program << QStringList{QStringLiteral("HOME=/root")} << true;
    QTest::newRow("an empty DISPLAY names nothing")
        << program << QStringList{QStringLiteral("DISPLAY=")} << true;
    QTest::newRow("DISPLAY") << program << QStringList{QStringLiteral("DISPLAY=:0")} << false;
    QTest::newRow("WAYLAND_DISPLAY") << program << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-0")}
                                     << false;
    QTest::newRow("QT_QPA_PLATFORM=offscreen")
        << program << QStringList{QStringLiteral("QT_QPA_PLATFORM=offscreen")} << false;
    QTest::newRow("Qt's -platform option")
        << (program + QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")}) << QStringList()
        << false;
}

void TestExit::displayRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(bool, missing);

    QProcessEnvironment given;
    for (const QString &entry : std::as_const(environment))
        given.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    QCOMPARE(!Application::missingDisplay(arguments, given).isEmpty(), missing);
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
