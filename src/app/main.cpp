#include "about/ApplicationIcon.h"
#include "app/FontSettings.h"
#include "app/Form1.h"
#include "platform/KeyRepeat.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(tarnwick::applicationIcon());
    // A held Enter must indent once, however loaded the machine is.
    tarnwick::askForDetectableAutoRepeat();
    // Lets Wayland desktops match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    tarnwick::FontSettings fontSettings;
    tarnwick::QtPlatform platform;
    tarnwick::Form1 form1(platform, fontSettings);
    platform.setDialogParent(&form1);
    form1.show();
    return app.exec();
}
