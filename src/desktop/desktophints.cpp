#include "desktophints.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <memory>

namespace DesktopHints {

namespace {

class MaximiseRefusal final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange) {
            auto *window = static_cast<QWidget *>(watched);
            // Once the compositor's maximised state has been taken on: asked for before, the request to
            // leave it would be dropped as a change to nothing.
            if (window->windowState() & Qt::WindowMaximized)
                QTimer::singleShot(0, window,
                    [window] { window->setWindowState(window->windowState() & ~Qt::WindowMaximized); });
        }
        return false;
    }
};

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, false, uint16_t(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void keepOffTaskBar(QWidget *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window->isWindow())
        return;
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskBar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskBar == XCB_ATOM_NONE)
        return;
    // Before the window is mapped the state is simply its property; Qt keeps what it finds there
    // when it adds its own states on showing the window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), state, XCB_ATOM_ATOM,
        32, 1, &skipTaskBar);
    xcb_flush(connection);
}

void refuseMaximise(QWidget *window)
{
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return;
    window->installEventFilter(new MaximiseRefusal(window));
    // The compositor's maximised state may still arrive before the request to leave it; a window that
    // cannot grow to it breaks the protocol, and the compositor ends the program.
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

} // namespace DesktopHints
