// Help, About.
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "platform/PlatformServices.h"

namespace tarnwick {

void Form1::About() {
    // One box at a time: a second About only brings the open one forward.
    if (!stillOpen(about_))
        about_ = new frmAbout(this);
    platform_.showWindow(about_);
}

void Form1::closeAboutStep() {
    if (QWidget* open = stillOpen(about_))
        platform_.closeWindow(open);
}

} // namespace tarnwick
