#pragma once

// The compiler line's error output, shown on the console as always and kept
// for the editor. Plain POSIX.
#include <string>

namespace tarnwick::batch {

// Runs the line with /bin/sh -c as system() does (Ctrl+C and Ctrl+\ reach
// the line, not the runner), its error output passing through a pipe to
// the console unchanged and, up to a limit, into `kept`. The line's status,
// as system() gives it.
int runKeepingErrorOutput(const std::string& command, std::string& kept);

// Puts the bytes under `path` as a new file of mode 600, only in a folder
// of this user's that nobody else may enter: written under a fresh name
// made exclusively beside it, then renamed over the name, so a link or
// anything else planted there is replaced, never written through.
bool keepPrivately(const std::string& path, const std::string& bytes);

} // namespace tarnwick::batch
