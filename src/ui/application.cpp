#include "application.h"

#include "accessibility.h"
#include "common/translations.h"
#include "fonts.h"
#include "form1.h"

#include <QApplication>
#include <QNetworkProxyFactory>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace Application {

namespace {

QtMessageHandler qtMessageHandler = nullptr;

// Qt ends the process with abort() when its window system does not start (a display that is named but
// not there, a plugin that does not load): a core dump for what is a plain failure to start. Qt's own
// lines before this one say which display or plugin it was.
void failToStart(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        qtMessageHandler(type, context, message);
        return;
    }
    std::fputs("vorn-tools-downloader: cannot open a window: the window system did not start\n", stderr);
    std::_Exit(EXIT_FAILURE);
}

// Where the desktop names no session bus, Qt's D-Bus connection (the screen reader bridge asks for one
// as the window is built) launches one with dbus-launch, and that bus starts a notification service:
// both outlive the program. There the program has no bus: the outcome stays on the progress bar. The
// user's own bus at $XDG_RUNTIME_DIR/bus is found without launching anything, and is left to be found.
void keepToTheNamedBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat userBus = {};
    if (!runtime.isEmpty() && ::stat((runtime + "/bus").constData(), &userBus) == 0
        && S_ISSOCK(userBus.st_mode))
        return;
    // Connecting to something that is no socket fails at once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null");
}

} // namespace

void setUp()
{
    QCoreApplication::setApplicationName(QStringLiteral("VORN Tools Downloader"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vorn-tools-downloader"));
    // Before any window is made: the windows' texts are translated as they are built.
    Translations::install(QLocale());
    Fonts::install();
    Accessibility::install();
    // The platform's proxy settings (http_proxy on Linux) decide how the download server is reached.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

void beforeApplication()
{
    // A transfer runs the window's events after every chunk it writes; Qt's own event dispatcher does
    // that for noticeably less work than the GLib one. Whoever sets the variable keeps their choice.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // HTTP_PROXY in capitals can come from a request's header through a CGI, so curl ignores it and so
    // do the proxy rules; the desktop's proxy query (libproxy) would still take it when nothing else is set.
    qunsetenv("HTTP_PROXY");
    keepToTheNamedBus();
}

QString missingDisplay(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const auto named
        = [&](const char *variable) { return !environment.value(QLatin1String(variable)).isEmpty(); };
    const bool platformChosen = named("QT_QPA_PLATFORM") || arguments.contains(QLatin1String("-platform"))
        || arguments.contains(QLatin1String("--platform"));
    if (platformChosen || named("DISPLAY") || named("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("vorn-tools-downloader: no display to open the window on: "
                          "neither DISPLAY nor WAYLAND_DISPLAY is set");
}

int run(int argc, char **argv)
{
    beforeApplication();
    // Started over ssh or from cron there is nothing to show the window on: say so, instead of Qt's
    // list of plugins and a core dump.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString missing = missingDisplay(arguments, QProcessEnvironment::systemEnvironment());
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return EXIT_FAILURE;
    }
    qtMessageHandler = qInstallMessageHandler(failToStart);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessageHandler);
    setUp();
    Form1 form(QCoreApplication::applicationDirPath());
    form.show();
    return app.exec();
}

} // namespace Application
