#include "platform/StartupNotification.h"

#include <QGuiApplication>
#include <QTimer>

#include <X11/Xlib.h>

#include <cstring>

namespace tarnwick {

namespace {

constexpr int pieceSize = 20; // the data of a format-8 client message

void send(const QByteArray& message) {
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
        std::memcpy(event.xclient.data.b, piece.constData(), pieceSize);
        XSendEvent(display, root, False, PropertyChangeMask, &event);
        first = false;
    }
    XDestroyWindow(display, sender);
    XFlush(display);
}

} // namespace

QByteArray startupMessage(const QByteArray& kind,
                          const QList<std::pair<QByteArray, QString>>& keys) {
    QByteArray message = kind + ':';
    for (const auto& [key, value] : keys) {
        QByteArray quoted = value.toUtf8();
        quoted.replace('\\', "\\\\").replace('"', "\\\"");
        message += ' ' + key + "=\"" + quoted + '"';
    }
    return message;
}

QList<QByteArray> startupMessagePieces(const QByteArray& message) {
    QByteArray whole = message + '\0';
    whole.append(QByteArray((pieceSize - whole.size() % pieceSize) % pieceSize, '\0'));
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < whole.size(); at += pieceSize)
        pieces.append(whole.mid(at, pieceSize));
    return pieces;
}

void announceStartup(const QString& id, const QString& name, quint32 userTime) {
    send(startupMessage("new", {{"ID", id},
                                {"NAME", name},
                                {"SCREEN", QStringLiteral("0")},
                                {"TIMESTAMP", QString::number(userTime)}}));
    // GTK and Qt terminals end the sequence when their window shows; xterm
    // and others never do, and the window manager would show the busy
    // pointer until its own time-out.
    QTimer::singleShot(10000, qApp, [id] { send(startupMessage("remove", {{"ID", id}})); });
}

} // namespace tarnwick
