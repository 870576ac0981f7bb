#include "about/ApplicationIcon.h"

// Compiled in rather than loaded from a Qt resource: the picture then needs
// no resource initialisation in the static core library, and the editor and
// the tests see it alike.
#include "tarnwick-32.xpm"

namespace tarnwick {

QPixmap applicationPixmap() {
    return QPixmap(tarnwick_32_xpm);
}

QIcon applicationIcon() {
    return QIcon(applicationPixmap());
}

} // namespace tarnwick
