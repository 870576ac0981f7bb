#include "navigation/CompilerMessages.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace tarnwick::navigation {

namespace {

bool allDigits(QByteArrayView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

QList<CompilerMessage> compilerMessages(const QByteArray& record, const QString& filePath) {
    QList<CompilerMessage> messages;
    const qsizetype nul = record.indexOf('\0');
    if (nul < 0 || filePath.isEmpty())
        return messages;
    const QDir folder(QFile::decodeName(record.left(nul)));
    const QString wanted = QDir::cleanPath(filePath);
    for (QByteArray line : record.mid(nul + 1).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        // The first kind word after a colon; the name before it may hold
        // spaces, and the text after it anything.
        const qsizetype error = line.indexOf(": error: ");
        const qsizetype warning = line.indexOf(": warning: ");
        const bool isWarning = warning >= 0 && (error < 0 || warning < error);
        const qsizetype kind = isWarning ? warning : error;
        if (kind < 0)
            continue;
        const QByteArray place = line.left(kind);
        const qsizetype colon = place.lastIndexOf(':');
        if (colon <= 0 || !allDigits(QByteArrayView(place).sliced(colon + 1)))
            continue;
        const QString name = QFile::decodeName(place.left(colon));
        if (QDir::cleanPath(folder.absoluteFilePath(name)) != wanted)
            continue;
        bool fits = false;
        const int number = place.mid(colon + 1).toInt(&fits);
        if (fits && number > 0)
            messages.append({number, isWarning, line.mid(kind + 2)});
    }
    return messages;
}

} // namespace tarnwick::navigation
