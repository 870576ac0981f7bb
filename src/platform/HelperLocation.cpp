#include "platform/HelperLocation.h"

#include "platform/HelperPath.h"

#include <QDir>

namespace tarnwick {

QString helperDirectoryFor(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QLatin1Char('/') +
                           QLatin1String(helpersFromExecutable));
}

} // namespace tarnwick
