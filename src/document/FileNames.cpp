#include "document/FileNames.h"

#include <QFile>
#include <QFileInfo>

namespace tarnwick::document {

FileChoice withJavaSuffix(const FileChoice& choice) {
    if (choice.bareName.isEmpty() || choice.bareName.contains(QLatin1Char('.')))
        return choice;
    const QString suffix = QStringLiteral(".java");
    return {choice.fullPath + suffix, choice.bareName + suffix};
}

bool nameIsExact(const FileChoice& choice, CodePage codePage) {
    return !choice.fullPath.contains(QChar(QChar::ReplacementCharacter)) &&
           !firstUnencodable(choice.bareName, codePage) &&
           encodeText(choice.bareName, codePage) == QFile::encodeName(choice.bareName);
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
