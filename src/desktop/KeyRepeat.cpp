#include "desktop/KeyRepeat.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace tarnwick {

bool askForDetectableAutoRepeat() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    // The flag belongs to this client's connection, which is Qt's own, so
    // every key event the application receives follows it.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    return supported;
}

QList<quint32> keysDownNow() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    QList<quint32> keys;
    if (!display)
        return keys;
    char bits[32] = {};
    XQueryKeymap(display, bits);
    for (quint32 code = 0; code < 256; ++code) {
        if (bits[code / 8] & (1 << (code % 8)))
            keys.append(code);
    }
    return keys;
}

} // namespace tarnwick
