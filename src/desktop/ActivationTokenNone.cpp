#include "desktop/ActivationToken.h"

namespace tarnwick {

// Built without Wayland's development files: consoles are started without
// a token, as on X11.
QString activationToken() {
    return {};
}

} // namespace tarnwick
