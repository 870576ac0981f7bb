#pragma once

#include <QString>

namespace tarnwick::navtexts {

inline const QString goToLineTitle = QStringLiteral("Go to Line");
inline QString goToLinePrompt(int lineCount) {
    return QStringLiteral("Line number (1 - %1):").arg(lineCount);
}
inline const QString findTitle = QStringLiteral("Find");
inline const QString replaceTitle = QStringLiteral("Replace");
inline QString notFoundText(const QString& text) {
    return QStringLiteral("\"%1\" was not found").arg(text);
}
inline QString replacedText(int count) {
    return count == 1 ? QStringLiteral("1 replaced") : QStringLiteral("%1 replaced").arg(count);
}
inline const QString unencodableText =
    QStringLiteral("The replacement holds a character the text's code page cannot hold");

} // namespace tarnwick::navtexts
