#include "besidebox.h"

#include <QScreen>

#include <algorithm>

BesideBox::BesideBox(
    Icon icon, const QString &title, const QString &text, QWidget *window, const QList<QWidget *> &keepClear)
    : QMessageBox(icon, title, text, QMessageBox::Ok, window)
{
    // Parts of a message may come from a server: never read as markup or links.
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_DeleteOnClose);
    // Not modal: Exit, Cancel and the next download stay usable while it is up.
    setWindowModality(Qt::NonModal);
    for (QWidget *control : keepClear)
        m_keepClear.append(control);
}

QPoint BesideBox::place(const QRect &window, const QRect &controls, const QSize &size, const QRect &available)
{
    QRect tried;
    for (const QRect &around : {window, controls}) {
        const QPoint corners[] = {
            {around.right() + 1, around.top()},
            {around.left(), around.bottom() + 1},
            {around.left() - size.width(), around.top()},
            {around.left(), around.top() - size.height()},
        };
        for (const QPoint &corner : corners) {
            // Slid along the side it stands by, as far as the screen asks; a box larger than the screen
            // starts at its corner (qBound asserts on such a range).
            tried = QRect(corner, size);
            tried.moveLeft(
                std::max(available.left(), std::min(tried.left(), available.right() + 1 - size.width())));
            tried.moveTop(
                std::max(available.top(), std::min(tried.top(), available.bottom() + 1 - size.height())));
            if (available.contains(tried) && !tried.intersects(around))
                return tried.topLeft();
        }
    }
    return tried.topLeft();
}

void BesideBox::showEvent(QShowEvent *event)
{
    // The box has its size only now, and the window system is asked to show it only after this returns.
    QMessageBox::showEvent(event);
    const QWidget *window = parentWidget() ? parentWidget()->window() : nullptr;
    if (!window || !window->isVisible())
        return;
    QRect controls;
    for (const QWidget *control : std::as_const(m_keepClear)) {
        if (control)
            controls |= QRect(control->mapToGlobal(QPoint()), control->size());
    }
    // Not framed yet, the box is taken to get the frame the window has.
    const QRect frame = window->frameGeometry();
    const QMargins margins(window->geometry().left() - frame.left(), window->geometry().top() - frame.top(),
        frame.right() - window->geometry().right(), frame.bottom() - window->geometry().bottom());
    const QSize framed = size().grownBy(margins);
    const QScreen *screen = window->screen();
    move(place(frame, controls.isNull() ? frame : controls, framed, screen->availableGeometry()));
}
