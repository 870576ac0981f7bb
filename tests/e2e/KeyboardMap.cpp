#include "e2e/KeyboardMap.h"

// Last: Xlib's macros (None, Status, ...) would clash with the names above.
#include <X11/Xlib.h>

namespace tarnwick::e2e {

bool mapCharacters(const QString& display, const QString& characters, QSet<QChar>& mapped) {
    Display* x = XOpenDisplay(display.toLatin1().constData());
    if (!x)
        return false;
    int first = 0;
    int last = 0;
    XDisplayKeycodes(x, &first, &last);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(x, KeyCode(first), last - first + 1, &perCode);
    qsizetype next = 0;
    for (int code = last; code >= first && next < characters.size(); --code) {
        bool unused = true;
        for (int i = 0; i < perCode; ++i)
            unused = unused && map[(code - first) * perCode + i] == NoSymbol;
        if (!unused)
            continue;
        const QChar c = characters.at(next++);
        // Unicode keysyms are the code point plus 0x01000000; Latin-1 ones
        // are the code point itself.
        KeySym sym = c.unicode() < 0x100 ? KeySym(c.unicode()) : KeySym(0x01000000 + c.unicode());
        XChangeKeyboardMapping(x, code, 1, &sym, 1);
        mapped.insert(c);
    }
    XFree(map);
    XSync(x, False);
    XCloseDisplay(x);
    return next > 0;
}

bool setAutoRepeat(const QString& display, bool on) {
    Display* x = XOpenDisplay(display.toLatin1().constData());
    if (!x)
        return false;
    if (on)
        XAutoRepeatOn(x);
    else
        XAutoRepeatOff(x);
    XSync(x, False);
    XCloseDisplay(x);
    return true;
}

} // namespace tarnwick::e2e
