#include "runner/RunnerTexts.h"

namespace tarnwick::runnertexts {

namespace {
QString twoLines(const QString& first, const QString& second) {
    return first + QLatin1Char('\r') + second;
}
} // namespace

QString cantCreateText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be created"), reason);
}

QString cantDeleteText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be deleted"), reason);
}

QString cantWriteText(const QString& file, const QString& reason) {
    return twoLines(file + QStringLiteral(" could not be written"), reason);
}

QString cantStartText(const QString& commandLine, const QString& reason) {
    return twoLines(commandLine + QStringLiteral(" could not be started"), reason);
}

QString noClassNameText(const QString& fileTitle) {
    return twoLines(QStringLiteral("No class name can be formed from the file name"), fileTitle);
}

QString unsafeNameText(const QString& fileTitle) {
    return twoLines(
        twoLines(QStringLiteral("The file name cannot be used in a command line"), fileTitle),
        QStringLiteral("Only letters, digits, spaces and . _ - + @ , = are allowed"));
}

} // namespace tarnwick::runnertexts
