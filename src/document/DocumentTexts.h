#pragma once

#include "platform/PlatformServices.h"

#include <QString>

namespace tarnwick::doctexts {

inline const FileFilter javaFilter{QStringLiteral("Java Files (*.java)"), QStringLiteral("*.java")};

inline const QString untitledTitle = QStringLiteral("Untitled - Tarnwick");
inline const QString titleSuffix = QStringLiteral(" - Tarnwick");

inline const QString unsavedText = QStringLiteral("Do you want to save the changes");
inline const QString unsavedTitle = QStringLiteral("File not saved");

inline const QString overwriteText = QStringLiteral("File already exists, overwrite(Y/N)");
inline const QString overwriteTitle = QStringLiteral("Overwrite?");

inline const QString changedOnDiskTitle = QStringLiteral("File changed on disk");

inline const QString cantOpenTitle = QStringLiteral("Can't open");
inline const QString cantSaveTitle = QStringLiteral("Can't save");

// Reasons of our own, where the file system has none to give.
inline const QString tooLargeReason =
    QStringLiteral("The file is larger than 2 GiB, the most the editor can hold");
inline const QString inexactNameReason =
    QStringLiteral("This locale's character set cannot spell the name exactly, so the editor "
                   "could reach another file by it; a name of ASCII letters and digits works "
                   "in every locale");
inline const QString notEnoughMemoryReason = QStringLiteral("Not enough memory");

// "<path> could not be read" CR "<reason>"
QString cantOpenText(const QString& path, const QString& reason);
// "<path> could not be written" CR "<reason>"
QString cantSaveText(const QString& path, const QString& reason);

// "The file has changed on disk since it was opened" CR "<path>" CR "Save anyway?"
QString changedOnDiskText(const QString& path);

QString windowTitleFor(const QString& fileTitle);

} // namespace tarnwick::doctexts
