#pragma once

#include <QString>
#include <QtGlobal>

namespace tarnwick {

// Writes the text, byte for byte, into a new file beside the document whose
// name says what it holds: "Hello.java.unsaved-changes", or
// "Hello.java.2.unsaved-changes" and on where that name is taken; an
// untitled text goes to the home folder as "Untitled.java.unsaved-changes".
// Nothing is ever overwritten. Where the document's folder refuses the file,
// the home folder takes it. Returns the copy's path; empty, with the reason
// in `error`, when no folder took it.
//
// Runs while the program is being ended from outside, possibly from an
// exit() handler: plain system calls, no event loop, no dialog.
QString writeEmergencyCopy(const char* data, qint64 length, const QString& documentPath,
                           const QString& homeFolder, QString* error);

} // namespace tarnwick
