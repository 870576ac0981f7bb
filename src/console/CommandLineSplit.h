#pragma once

#include <QString>
#include <QStringList>

namespace tarnwick {

// Splits a command line into a program and its arguments the way the
// desktop's process start always has: at runs of spaces and tabs, with
// double quotes grouping (the quotes themselves are dropped; "" is an empty
// argument; an unclosed quote runs to the end). No shell sees the line, so
// "$", ";", "|" and the like are ordinary characters.
QStringList splitCommandLine(const QString& commandLine);

} // namespace tarnwick
