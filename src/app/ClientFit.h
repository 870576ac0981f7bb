#pragma once

#include <QSize>

namespace tarnwick {

// The text area fills the client area. A window shrunk until it has no
// client area left (its outer size at or below the frame and menu
// allowance) leaves the text area at its last size.
inline QSize text1SizeFor(QSize clientArea, QSize current) {
    if (clientArea.width() > 0 && clientArea.height() > 0)
        return clientArea;
    return current;
}

} // namespace tarnwick
