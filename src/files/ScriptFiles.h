#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

#include <optional>

// The launch scripts' own file operations. The scripts belong to the
// editor and lie in a working folder that others may share, so none of
// these follows a symbolic link, opens anything but a regular file, or
// can block on what it finds under the script's name (a FIFO, a device).
namespace tarnwick::scriptfiles {

// Opens the script for writing and closes it at once, creating it empty
// when absent. A symbolic link under the name is left unopened (the delete
// that follows removes it); anything else but a regular file fails, with
// the reason.
bool touch(const QString& path, QString* error);

// Removes the name itself, whatever it is apart from a folder; a link goes,
// its target stays. Fails when nothing has the name.
bool remove(const QString& path, QString* error);

// Puts a new regular file holding exactly these bytes under the name: it is
// written beside it under a fresh name and renamed over it, so a link or a
// FIFO planted under the name is replaced, never written through.
bool write(const QString& path, const QByteArray& bytes, QString* error);

// A copy of a script's bytes that only this user can read (mode 600, made
// exclusively), in the runtime folder ($XDG_RUNTIME_DIR of the environment)
// when that is the user's own private folder, else in a private folder of
// the user's under the temporary folder. Its path, or none with the reason.
std::optional<QString> privateCopy(const QString& scriptName, const QByteArray& bytes,
                                   const QProcessEnvironment& environment, QString* error);

// The variable that tells the script runner where to keep what a compiler
// line writes to its error output (tools/BatchScript.h names it too).
inline const QString compilerMessagesVariable = QStringLiteral("TARNWICK_COMPILER_MESSAGES");
// That file for this editor: in the same private folder as the copies, named
// after the process, so two editors never read each other's compile.
std::optional<QString> compilerMessagesPath(const QProcessEnvironment& environment);

} // namespace tarnwick::scriptfiles
