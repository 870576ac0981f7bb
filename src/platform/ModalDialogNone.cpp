#include "platform/ModalDialog.h"

#include <QDialog>

namespace tarnwick {

// Built without Wayland's development files: a parent is all a dialog has.
void showModal(QDialog& dialog) {
    dialog.show();
}

} // namespace tarnwick
