#include "document/DocumentTexts.h"

namespace tarnwick::doctexts {

QString cantOpenText(const QString& path, const QString& reason) {
    return path + QStringLiteral(" could not be read") + QLatin1Char('\r') + reason;
}

QString cantSaveText(const QString& path, const QString& reason) {
    return path + QStringLiteral(" could not be written") + QLatin1Char('\r') + reason;
}

QString changedOnDiskText(const QString& path) {
    return QStringLiteral("The file has changed on disk since it was opened") + QLatin1Char('\r') +
           path + QLatin1Char('\r') + QStringLiteral("Save anyway?");
}

QString windowTitleFor(const QString& fileTitle) {
    return fileTitle.isEmpty() ? untitledTitle : fileTitle + titleSuffix;
}

} // namespace tarnwick::doctexts
