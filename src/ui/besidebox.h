#pragma once

#include <QList>
#include <QMessageBox>
#include <QPointer>

// A message window that stands beside the main window instead of over it: the tool list and the buttons
// stay in sight and take clicks while it is up, Exit included. A window manager centres a dialog on the
// window it belongs to, right over those controls, unless the program names a place.
class BesideBox final : public QMessageBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BesideBox)

public:
    // `keepClear`: the controls of `window` that no part of the box may cover.
    BesideBox(Icon icon, const QString &title, const QString &text, QWidget *window,
        const QList<QWidget *> &keepClear);

    // The top-left corner of a frame of `size` on `available`: right of `window`, else below it, left of
    // it or above it; where none of those fits, the same round `controls` within the window. The first
    // place that lies wholly on `available` and off what it goes round wins; else the last one tried,
    // moved onto `available` as far as it goes.
    static QPoint place(
        const QRect &window, const QRect &controls, const QSize &size, const QRect &available);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QList<QPointer<QWidget>> m_keepClear;
};
