#include "document/FileNames.h"

#include <QFileInfo>

namespace tarnwick::document {

FileChoice withJavaSuffix(const FileChoice& choice) {
    if (choice.bareName.isEmpty() || choice.bareName.contains(QLatin1Char('.')))
        return choice;
    const QString suffix = QStringLiteral(".java");
    return {choice.fullPath + suffix, choice.bareName + suffix};
}

FileChoice choiceOf(const QString& path) {
    const QFileInfo info(path);
    return {info.absoluteFilePath(), info.fileName()};
}

std::optional<QString> droppedFile(const QList<QUrl>& urls) {
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    const QString path = urls.first().toLocalFile();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace tarnwick::document
