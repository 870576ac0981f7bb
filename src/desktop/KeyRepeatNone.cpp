#include "desktop/KeyRepeat.h"

namespace tarnwick {

// Built without X11: no server to ask, and Qt marks repeats itself.
bool askForDetectableAutoRepeat() {
    return false;
}

QList<quint32> keysDownNow() {
    return {};
}

} // namespace tarnwick
