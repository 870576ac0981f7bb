#include "console/HelperLocation.h"

#include "console/HelperPath.h"

#include <QDir>

namespace tarnwick {

QString helperDirectoryFor(const QString& applicationDir) {
    return QDir::cleanPath(applicationDir + QLatin1Char('/') +
                           QLatin1String(helpersFromExecutable));
}

} // namespace tarnwick
