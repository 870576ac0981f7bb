#include "platform/HelperLocation.h"

#include <QDir>

namespace tarnwick {

QString helperDirectoryFor(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QStringLiteral("/../libexec/tarnwick"));
}

} // namespace tarnwick
