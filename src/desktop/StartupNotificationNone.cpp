#include "desktop/StartupNotification.h"

namespace tarnwick {

// Built without X11: there is no X window manager to tell.
void sendStartupMessage(const QByteArray&) {}

} // namespace tarnwick
