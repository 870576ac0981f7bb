#include "about/ApplicationIcon.h"
#include "app/Application.h"
#include "app/EmergencyExit.h"
#include "app/Form1.h"
#include "console/TerminationSignals.h"
#include "desktop/KeyRepeat.h"
#include "desktop/LogoutInhibitor.h"
#include "platform/CodePage.h"
#include "platform/QtPlatform.h"
#include "state/FontSettings.h"

#include <QDir>

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

    // Ended from outside (a logout's SIGTERM, a closed terminal's SIGHUP, a
    // display that went away), the unsaved text is kept in a file of its own.
    tarnwick::EmergencyExit emergencyExit(form1.state(), *form1.text1(), platform,
                                          QDir::homePath());
    emergencyExit.watchUnaskedExit();
    tarnwick::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &tarnwick::TerminationSignals::arrived,
                     [&emergencyExit](int signalNumber) {
                         emergencyExit.run();
                         tarnwick::TerminationSignals::endWith(signalNumber);
                     });
    // While the text is unsaved, a logout waits and names the editor.
    tarnwick::LogoutInhibitor logoutInhibitor(QStringLiteral("tarnwick"),
                                              QStringLiteral("The text has unsaved changes"));
    QObject::connect(&form1, &tarnwick::Form1::savedChanged, [&](bool saved) {
        if (saved)
            logoutInhibitor.release();
        else
            logoutInhibitor.hold(&form1);
    });

    form1.show();
    const int status = app.exec();
    // The window was closed: the user's own choice, whatever became of the text.
    emergencyExit.disarm();
    return status;
}
