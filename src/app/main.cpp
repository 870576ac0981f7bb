#include "about/ApplicationIcon.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "platform/CodePage.h"
#include "platform/KeyRepeat.h"
#include "platform/QtPlatform.h"
#include "state/FontSettings.h"

int main(int argc, char* argv[]) {
    tarnwick::Application app(argc, argv);
    // The text is shown and typed in the locale's character set, once for
    // the whole run.
    const tarnwick::CodePage codePage = tarnwick::localeCodePage();
    QApplication::setWindowIcon(tarnwick::applicationIcon());
    // A held Enter must indent once, however loaded the machine is.
    tarnwick::askForDetectableAutoRepeat();
    // Lets Wayland desktops match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    tarnwick::FontSettings fontSettings;
    tarnwick::QtPlatform platform(codePage);
    tarnwick::Form1 form1(platform, fontSettings);
    platform.setDialogParent(&form1);
    app.setPlatform(&platform);
    form1.show();
    return app.exec();
}
