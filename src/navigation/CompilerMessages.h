#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tarnwick::navigation {

// One message of the compiler about a line of the open file.
struct CompilerMessage {
    int line = 0; // counted from 1, as javac counts
    bool warning = false;
    QByteArray text; // "error: ';' expected", in the compiler's bytes
    bool operator==(const CompilerMessage&) const = default;
};

// The messages of a compile that name the file at filePath, in order, from
// the record the script runner keeps: the folder the compiler ran in, a
// NUL, then everything the compiler wrote to its error output. A message
// is a line "NAME:LINE: error: TEXT" or "NAME:LINE: warning: TEXT", NAME
// relative to that folder or absolute; the source lines and carets javac
// prints under it, a message without a line and messages about other
// files are left out.
QList<CompilerMessage> compilerMessages(const QByteArray& record, const QString& filePath);

} // namespace tarnwick::navigation
