#pragma once

#include <QString>

namespace tarnwick {

// The folder of the helper programs (script runner, clearscr, keypress) for
// an editor whose executable lies in applicationDir. The build tree mirrors
// the installed layout: <dir>/bin/tarnwick beside <dir>/libexec/tarnwick.
QString helperDirectoryFor(const QString& applicationDir);

} // namespace tarnwick
