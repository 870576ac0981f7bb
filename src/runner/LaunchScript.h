#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarnwick::runner {

// The two launch scripts. Relative names, so they land in the working folder,
// which is also where the started command runs.
inline const QString compileScript = QStringLiteral("temc.bat");
inline const QString executeScript = QStringLiteral("temr.bat");

// The four lines "@echo OFF", "clearscr", the command line, "keypress",
// joined by CR LF with nothing after the last, one byte per character.
// A character the single-byte code page cannot hold becomes "?", as it
// would in the text area.
QByteArray launchScriptBytes(const QString& commandLine);

// "javac " followed by the title, unquoted.
QString compileCommandLine(const QString& fileTitle);
// "java " followed by the class name, unquoted.
QString executeCommandLine(const QString& className);

// The title without its last five characters (".java"); none when the
// title is too short to have them.
std::optional<QString> classNameFor(const QString& fileTitle);

// Whether a file title may be pasted unquoted into a line that a shell
// reads: only letters, digits, space and . _ - + @ , = of the single-byte
// code page. Anything else (";", "$", quotes, "|", ...) could run a command
// of the file name's choosing.
bool isSafeInCommandLine(const QString& fileTitle);

} // namespace tarnwick::runner
