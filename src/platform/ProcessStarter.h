#pragma once

#include <QString>

namespace tarnwick {

// Starts a command line in a new terminal window without waiting for it.
bool startInTerminal(const QString& commandLine, QString* error);

} // namespace tarnwick
