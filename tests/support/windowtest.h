#pragma once

// Helpers for tests that drive the program's windows.

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>

// The skin gives the window and everything on it the program's own style, not the desktop's.
inline bool isSkinned(const QWidget *window)
{
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    return window->style() != QApplication::style()
        && std::all_of(children.begin(), children.end(),
            [&](QWidget *child) { return child->style() == window->style(); });
}

// A click as the user makes it: through the window, so a modal window elsewhere would swallow it.
inline void clickThroughWindow(QWidget *button)
{
    QWidget *window = button->window();
    QTest::mouseClick(
        window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
}

inline bool showAndActivate(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}
