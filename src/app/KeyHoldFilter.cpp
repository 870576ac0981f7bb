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
