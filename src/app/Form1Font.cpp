// "Font....": the font and colour dialog.
#include "app/Form1.h"

#include "fontdialog/Form2.h"
#include "platform/PlatformServices.h"

namespace tarnwick {

void Form1::font_() {
    // An open dialog is only brought forward: running its opening steps
    // again would undo nothing visible but re-ask about a missing font.
    if (QWidget* open = stillOpen(form2_)) {
        platform_.showWindow(open);
        return;
    }
    // A child window, so it can never outlive the main window.
    auto* dialog = new Form2(*text1_, platform_, fontSettings_, fontDialogMemory_, this);
    form2_ = dialog;
    platform_.showWindow(dialog);
}

void Form1::closeFontDialogStep() {
    // Closing runs the dialog's closing steps, which store its choices.
    if (QWidget* open = stillOpen(form2_))
        platform_.closeWindow(open);
}

} // namespace tarnwick
