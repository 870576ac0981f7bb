#pragma once

#include "platform/PlatformServices.h"

namespace tarnwick::runner {

// The Run menu and the Conditions notice. Each command works on the file on
// disk named by the document's file title (its bare name, empty while
// untitled) and changes nothing in the editor. A
// failing step is reported in a message box titled like the command's own
// messages, and the command stops there with the earlier steps done.
void compile(const QString& fileTitle, PlatformServices& platform);
void exec(const QString& fileTitle, PlatformServices& platform);
void comlne(PlatformServices& platform);
void compro(PlatformServices& platform);
void ncomp(const QString& fileTitle, PlatformServices& platform);
void nexec(const QString& fileTitle, PlatformServices& platform);
void Condi(PlatformServices& platform);

// Writes the script fileName with commandLine as its third line and starts
// it. False after a failure, which has been reported under failureTitle.
bool writeLaunchScript(PlatformServices& platform, const QString& fileName,
                       const QString& commandLine, const QString& failureTitle);

// Deletes both scripts from the working folder, also when no run command
// was used. Best effort and silent: it runs while the main window closes,
// which nothing may stop. False when a step failed.
bool removeLaunchScripts(PlatformServices& platform);

} // namespace tarnwick::runner
