#include "desktop/ModalDialog.h"

#include <QDialog>

namespace tarnwick {

// Built without Wayland's development files: a parent is all a dialog has.
void showModal(QDialog& dialog) {
    // Modal before it shows: exec() makes no visible dialog modal.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
}

} // namespace tarnwick
