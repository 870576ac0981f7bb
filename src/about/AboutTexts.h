#pragma once

#include <QString>

namespace tarnwick::abouttexts {

inline const QString title = QStringLiteral("About tarnpad");
inline const QString product = QStringLiteral("Tarnwick, written by the Tarnwick developers");
inline const QString description = QStringLiteral(
    "Tarnwick is a simple program for writing new Java files and editing existing ones. "
    "A file has to be saved before it can be compiled or executed. "
    "It is a plain text editor that can also compile and execute Java files.");
inline const QString disclaimer =
    QStringLiteral("I made this to help myself avoid the hassles in the execution of Java Files. "
                   "It is not an IDE. Just have Fun!");
inline const QString ok = QStringLiteral("OK");

// "Version " and the three numbers joined by dots, in plain decimal.
QString versionLine(int major, int minor, int revision);
// The version line of this build.
QString buildVersionLine();

} // namespace tarnwick::abouttexts
