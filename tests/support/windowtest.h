#pragma once

// Helpers for tests that drive the program's windows.

#include "catalog/toolcatalog.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "support/downloadrun.h"
#include "ui/form1.h"

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

// Picks the tool at `position` in the window's list and presses Download, as a person does. The test fails
// where the pick does not show in the list, before or after, or the download does not end in its time.
inline DownloadRun downloadFromWindow(
    Form1 &form, int position, const std::function<void(int report)> &duringTransfer = {})
{
    const QString name = ToolCatalog::displayName(position);
    form.Combo1->setCurrentIndex(form.Combo1->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
    const auto press = [&] {
        QCOMPARE(form.Combo1->text(), name);
        form.xpButton4->click();
    };
    DownloadRun run = runDownload(form.commands(), press, duringTransfer);
    [&] {
        QCOMPARE(form.Combo1->text(), name);
        QVERIFY2(!run.timedOut, "the download did not end within its time");
    }();
    return run;
}
