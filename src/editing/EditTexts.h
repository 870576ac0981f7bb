#pragma once

#include <QString>

namespace tarnwick::edittexts {

inline const QString cantPasteTitle = QStringLiteral("Can't paste");
inline const QString tooLargePasteReason =
    QStringLiteral("The text would grow larger than 2 GiB, the most the editor can hold");
inline const QString notEnoughMemoryPasteReason = QStringLiteral("Not enough memory");

// "The text could not be pasted" CR "<reason>"
inline QString cantPasteText(const QString& reason) {
    return QStringLiteral("The text could not be pasted") + QLatin1Char('\r') + reason;
}

} // namespace tarnwick::edittexts
