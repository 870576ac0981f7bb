#pragma once

class QDialog;

namespace tarnwick {

// Shows a modal dialog, to be run with exec() next. On GNOME's Wayland
// compositor it is also marked as modal (gtk_shell1's set_modal), which
// mutter needs before the dialog's first frame to place it over its parent
// and to leave out the minimise and maximise buttons; a parent alone makes
// no dialog there.
void showModal(QDialog& dialog);

} // namespace tarnwick
