#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Application {

// Process settings that must be made before the application object exists.
void beforeApplication();

// Sets up the process-wide parts (translations, fonts, proxy settings) that every window relies on.
void setUp();

// The one line to print instead of starting when no display is named to open the window on (neither
// DISPLAY nor WAYLAND_DISPLAY), or empty. A window system chosen outright (QT_QPA_PLATFORM, Qt's
// -platform option) is left to Qt: offscreen, for one, needs no display.
QString missingDisplay(const QStringList &arguments, const QProcessEnvironment &environment);

// Starts the program: shows the main window and runs until the last window closes.
int run(int argc, char **argv);

} // namespace Application
