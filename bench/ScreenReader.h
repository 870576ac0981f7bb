#pragma once

// Switches Qt's platform accessibility on or off in this process, as the
// platform does when a screen reader starts or stops listening; events then
// go to the platform's accessibility layer (on offscreen, nowhere), so what
// is timed is the editor's own work for a reader.
#include <QAccessible>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace tarnwick::bench {

inline bool setScreenReaderListening(bool on) {
    QPlatformAccessibility* accessibility =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!accessibility)
        return false;
    accessibility->setActive(on);
    return QAccessible::isActive() == on;
}

} // namespace tarnwick::bench
