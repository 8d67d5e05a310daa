#include "controls/xpbutton.h"
#include "support/windowtest.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

// Exit ends the whole process where it stands, so the press happens in a child: this same executable,
// started again with VORN_EXIT_CHILD naming the situation to press it in. The program's own start,
// which ends the process where there is no display, runs in a child too ("program").
namespace {

const char childVariable[] = "VORN_EXIT_CHILD";
const char folderVariable[] = "VORN_EXIT_FOLDER";

enum ChildResult { StillRunning = 3, NoMainWindow = 4, NoAboutWindow = 5 };

// An X display no server answers.
QString unusedDisplay()
{
    int number = 4242;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
        ++number;
    return QStringLiteral(":%1").arg(number);
}

// The program itself, as the child: once its window is up the event loop ends, with status 0.
void quitOnceStarted()
{
    if (qEnvironmentVariable(childVariable) == QLatin1String("program"))
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
Q_COREAPP_STARTUP_FUNCTION(quitOnceStarted)

int runChild(int argc, char **argv)
{
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
    void processEnds_data();
    void processEnds();
};

void TestExit::processEnds_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("setting"); // the one variable naming a display or a platform, if any
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // in its last line; its only one unless Qt tried a display first

    const QString offscreen = QStringLiteral("QT_QPA_PLATFORM=offscreen");
    const QString program = QStringLiteral("program");
    QTest::newRow("Exit, main window alone") << QStringLiteral("main") << offscreen << 0 << QString();
    QTest::newRow("Exit, About window open") << QStringLiteral("about") << offscreen << 0 << QString();
    QTest::newRow("no DISPLAY, no WAYLAND_DISPLAY")
        << program << QString() << 1 << QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");
    QTest::newRow("a DISPLAY no X server answers") << program << QStringLiteral("DISPLAY=") + unusedDisplay()
                                                   << 1 << QStringLiteral("cannot open a window");
    QTest::newRow("offscreen needs no display") << program << offscreen << 0 << QString();
}

void TestExit::processEnds()
{
    QFETCH(QString, situation);
    QFETCH(QString, setting);
    QFETCH(int, status);
    QFETCH(QString, said);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(variable));
    if (!setting.isEmpty())
        environment.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    environment.insert(QString::fromLatin1(childVariable), situation);
    environment.insert(QString::fromLatin1(folderVariable), folder.path());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
    QVERIFY2(child.waitForFinished(60000), "the child never ended");

    const QByteArray output = child.readAllStandardOutput();
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    const QStringList lines = errors.trimmed().split(QLatin1Char('\n'));
    const QByteArray report = output + errors.toLocal8Bit();
    QVERIFY2(!output.contains("still running"), report.constData());
    // An abort is a crash here, with a core dump.
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, report.constData());
    QVERIFY2(child.exitCode() == status,
        qPrintable(QString::number(child.exitCode()) + QLatin1Char(' ') + QString::fromLocal8Bit(report)));
    QVERIFY2(said.isEmpty()
            || (lines.last().startsWith(QLatin1String("vorn-tools-downloader: "))
                && lines.last().contains(said)
                && (setting.startsWith(QLatin1String("DISPLAY")) || lines.size() == 1)),
        report.constData());
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
