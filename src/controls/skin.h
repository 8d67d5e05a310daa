#pragma once

#include <QObject>
#include <QPalette>
#include <QWidget>

// Gives every window it is applied to the same look, whatever the desktop's own style is.
// The platform keeps drawing the frame and the title bar.
class Skin final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Skin)

public:
    explicit Skin(QObject *parent = nullptr);

    // Takes a native window handle of one of the program's windows; false when it names none.
    bool apply(WId handle);

    // The colours the windows are designed in: Qt's own light palette, whatever the desktop's theme is.
    // A window's system colours resolve against it, never against the desktop's.
    static QPalette palette();
};
