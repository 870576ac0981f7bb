#include "desktop/StartupNotification.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

#include <cstring>

namespace tarnwick {

void sendStartupMessage(const QByteArray& message) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    // A window of our own marks the pieces as one message for the listeners.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window sender = XCreateWindow(display, root, -100, -100, 1, 1, 0, CopyFromParent,
                                        InputOnly, CopyFromParent, CWOverrideRedirect, &attributes);
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    bool first = true;
    for (const QByteArray& piece : startupMessagePieces(message)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = display;
        event.xclient.window = sender;
        event.xclient.message_type = first ? begin : more;
        event.xclient.format = 8;
        std::memcpy(event.xclient.data.b, piece.constData(), sizeof event.xclient.data.b);
        XSendEvent(display, root, False, PropertyChangeMask, &event);
        first = false;
    }
    XDestroyWindow(display, sender);
    XFlush(display);
}

} // namespace tarnwick
