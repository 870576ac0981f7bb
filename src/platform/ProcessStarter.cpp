#include "platform/ProcessStarter.h"

namespace tarnwick {

// Placeholder until the console layer lands: report honestly that nothing
// was started.
bool startInTerminal(const QString&, QString* error) {
    if (error)
        *error = QStringLiteral("Starting programs is not available in this build");
    return false;
}

} // namespace tarnwick
