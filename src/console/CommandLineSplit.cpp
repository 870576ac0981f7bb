#include "console/CommandLineSplit.h"

namespace tarnwick {

QStringList splitCommandLine(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false; // also true for a word that is only "", which counts
    bool quoted = false;
    for (const QChar c : commandLine) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

} // namespace tarnwick
