#pragma once

#include <QString>

namespace tarnwick {

// An xdg-activation token for the user's latest key or click in the focused
// window of the editor: a Wayland compositor that keeps new windows from
// stealing the focus lets the window started with it take the focus, as an
// X11 window manager does for a startup id dated at the user's key. Empty
// where the editor does not run on Wayland, the compositor has no
// xdg-activation, or the build had no Wayland development files.
QString activationToken();

} // namespace tarnwick
