#include "document/DocumentTexts.h"

namespace tarnwick::doctexts {

QString cantOpenText(const QString& path, const QString& reason) {
    return path + QStringLiteral(" could not be read") + QLatin1Char('\r') + reason;
}

QString cantSaveText(const QString& path, const QString& reason) {
    return path + QStringLiteral(" could not be written") + QLatin1Char('\r') + reason;
}

QString windowTitleFor(const QString& fileTitle) {
    return fileTitle.isEmpty() ? untitledTitle : fileTitle + titleSuffix;
}

} // namespace tarnwick::doctexts
