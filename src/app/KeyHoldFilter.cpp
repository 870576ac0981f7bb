#include "app/KeyHoldFilter.h"

#include "desktop/KeyRepeat.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

namespace tarnwick {

namespace {

quint32 keyOf(const QKeyEvent& event) {
    return event.nativeScanCode() ? event.nativeScanCode() : quint32(event.key());
}

} // namespace

KeyHoldFilter::KeyHoldFilter(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyHoldFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    // A shortcut is offered to the focused widget before it triggers.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        repeating_ = held_.press(keyOf(key), key.timestamp(), key.isAutoRepeat());
        break;
    }
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        held_.release(keyOf(key), key.isAutoRepeat());
        repeating_ = false;
        break;
    }
    case QEvent::MouseButtonPress:
        repeating_ = false;
        break;
    case QEvent::WindowUnblocked:
        // Qt drops the keys that reach a window behind a modal dialog before
        // any filter sees them: the release of the key that opened a dialog,
        // come before the dialog had the keyboard, is one. Unread, that key
        // stays down, and its next press would count as a repeat and lose
        // its command (Ctrl+O after an Open cancelled, Ctrl+S after Save
        // As). The keyboard is read again once the window is free; once per
        // window, not for each of its widgets.
        if (watched->isWindowType())
            held_.heldSince(keysDownNow());
        break;
    case QEvent::ApplicationStateChange:
        if (QGuiApplication::applicationState() == Qt::ApplicationActive)
            held_.heldSince(keysDownNow());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnwick
