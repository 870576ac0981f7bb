#include "textarea/KeyCodes.h"

#include <QKeyEvent>

namespace tarnwick {

int releaseKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
    case Qt::Key_Backspace:
        return keyCodeBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keyCodeEnter;
    case Qt::Key_Tab:
        return keyCodeTab;
    default:
        break;
    }
    // Qt's codes for printable keys are their upper-case characters; every
    // other key lies above 0xffff, so no key collides with 8, 9 or 13.
    return key;
}

int pressCharCode(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Tab:
        return keyCodeTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keyCodeEnter;
    case Qt::Key_Backspace:
        return keyCodeBackspace;
    default:
        break;
    }
    // Whole characters: one beyond the first plane comes as two UTF-16 units.
    const QList<uint> characters = event.text().toUcs4();
    return characters.size() == 1 ? int(characters.first()) : 0;
}

int physicalKey(const QKeyEvent& event) {
    // Scan codes are small positive numbers, Qt's keys start at 0x20: keep
    // the two ranges apart by the sign.
    if (const quint32 scanCode = event.nativeScanCode())
        return -int(scanCode);
    return event.key();
}

bool altTypesNothing(const QKeyEvent& event) {
    if (!(event.modifiers() & Qt::AltModifier))
        return false;
    // Alt with an arrow, Home or Backspace keeps the component's meaning.
    // Menu letters are ASCII; a character beyond it that arrives with Alt
    // held comes from a layout's own level switch (xdotool's scratch
    // keycodes do it too) and is typed.
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() && text.at(0).unicode() < 0x80;
}

} // namespace tarnwick
