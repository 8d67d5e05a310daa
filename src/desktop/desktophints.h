#pragma once

class QWidget;

// What a window asks of the desktop beyond Qt's window flags.
namespace DesktopHints {

// Asks window managers and task bars that follow the EWMH (X11) to give the window no task bar entry.
// Takes effect when the window is first shown, so call it before; elsewhere it does nothing.
void keepOffTaskBar(QWidget *window);

// Where the program draws the title bars itself (Wayland), their maximise button cannot be left out:
// the window goes straight back to its normal state instead, so a fixed-size window is never asked to
// fill the screen. Elsewhere the window manager's own choice stands.
void refuseMaximise(QWidget *window);

} // namespace DesktopHints
