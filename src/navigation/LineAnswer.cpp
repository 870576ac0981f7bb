#include "navigation/LineAnswer.h"

#include <QRegularExpression>

namespace tarnwick::navigation {

std::optional<int> lineFromAnswer(const QString& answer, int lineCount) {
    // A bare number, or the first ":NUMBER:" of a message (a file name may
    // hold spaces and digits, but javac puts the line between two colons).
    static const QRegularExpression bare(QStringLiteral("^\\s*(\\d+)\\s*$"));
    static const QRegularExpression message(QStringLiteral(":(\\d+)(:|\\s*$)"));
    QRegularExpressionMatch found = bare.match(answer);
    if (!found.hasMatch())
        found = message.match(answer);
    if (!found.hasMatch())
        return std::nullopt;
    // Digits beyond an int's range are a line past the end.
    bool fits = false;
    const qlonglong line = found.captured(1).toLongLong(&fits);
    if (fits && line == 0)
        return std::nullopt;
    return int(qMin<qlonglong>(fits ? line : lineCount, qMax(lineCount, 1)));
}

} // namespace tarnwick::navigation
