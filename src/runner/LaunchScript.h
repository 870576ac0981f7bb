#pragma once

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarnwick::runner {

// The two launch scripts. Relative names, so they land in the working folder,
// which is also where the started command runs.
inline const QString compileScript = QStringLiteral("temc.bat");
inline const QString executeScript = QStringLiteral("temr.bat");

// The four lines "@echo OFF", "clearscr", the command line, "keypress",
// joined by CR LF with nothing after the last, in the code page's bytes, as
// the text of a document is: the shell gets file names as they are on disk.
// The command line must have passed commandLineProblem(): nothing is
// replaced on its way into the script.
QByteArray launchScriptBytes(const QString& commandLine, CodePage codePage);

// The longest line a script can run, in bytes: the shell gets it as one
// argument, and Linux refuses a single argument of 128 KiB or more
// (MAX_ARG_STRLEN, which counts the terminating NUL).
inline constexpr qsizetype longestCommandLine = 128 * 1024 - 1;

// Why a command line cannot go into a script, or none when it can. A
// character that the code page cannot hold would otherwise become "?",
// which the shell reads as a wildcard; a CR or LF would start a second
// command that the one-line input box never showed; a NUL would cut the
// line short.
std::optional<QString> commandLineProblem(const QString& commandLine, CodePage codePage);

// "javac " followed by the title, unquoted.
QString compileCommandLine(const QString& fileTitle);
// "java " followed by the class name, unquoted.
QString executeCommandLine(const QString& className);

// The title without its last five characters (".java"); none when the
// title is too short to have them.
std::optional<QString> classNameFor(const QString& fileTitle);

// Whether a file title may be pasted unquoted into a line that a shell
// reads: only letters (of any script, with their combining marks), digits,
// space and . _ - + @ , =. Anything else (";", "$", quotes, "|", ...) could
// run a command of the file name's choosing. Whether the code page can hold
// the letters is commandLineProblem's question.
bool isSafeInCommandLine(const QString& fileTitle);

// Whether a word of the command line that the title forms would start with
// "-" or "@": javac and java would read it as an option or an argument file
// ("-jar evil.jar x.java", "-version.java"), however the line is started.
bool makesAnOption(const QString& fileTitle);

} // namespace tarnwick::runner
