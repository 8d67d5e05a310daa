#include "application.h"

#include "accessibility.h"
#include "fonts.h"
#include "form1.h"

#include <QApplication>
#include <QNetworkProxyFactory>

namespace Application {

void setUp()
{
    QCoreApplication::setApplicationName(QStringLiteral("VORN Tools Downloader"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vorn-tools-downloader"));
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
}

int run(int argc, char **argv)
{
    beforeApplication();
    QApplication app(argc, argv);
    setUp();
    Form1 form(QCoreApplication::applicationDirPath());
    form.show();
    return app.exec();
}

} // namespace Application
