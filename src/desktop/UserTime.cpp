#include "desktop/UserTime.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputEvent>

namespace tarnwick {

UserTime::UserTime(QObject* parent) : QObject(parent) {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

quint32 UserTime::latest() const {
    return QGuiApplication::platformName() == QLatin1String("xcb") ? latest_ : 0;
}

bool UserTime::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    // A shortcut reaches its action through ShortcutOverride, before any
    // KeyPress; a menu item is chosen on the button's release.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (const quint64 time = static_cast<QInputEvent*>(event)->timestamp(); time != 0)
            latest_ = quint32(time); // X times are 32 bits of milliseconds
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnwick
