#pragma once

class QWidget;

// How the windows appear to screen readers and other assistive tools.
namespace Accessibility {

// Registers the program's accessible interfaces: the progress bar with its value, the tool list named by its
// label, the styled labels as static text, the main window by the program's name, and containers without
// the lines that are only drawn.
void install();

// Marks a widget as drawing only (a line, a frame): it is left out of its container's accessible children.
void setDrawingOnly(QWidget *widget);

} // namespace Accessibility
