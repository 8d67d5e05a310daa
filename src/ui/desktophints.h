#pragma once

class QWidget;

// What a window asks of the desktop beyond Qt's window flags.
namespace DesktopHints {

// Asks window managers and task bars that follow the EWMH (X11) to give the window no task bar entry.
// Takes effect when the window is first shown, so call it before; elsewhere it does nothing.
void keepOffTaskBar(QWidget *window);

} // namespace DesktopHints
