#pragma once

#include <QString>

#include <optional>

namespace tarnwick::navigation {

// The line (counted from 1) that an answer to "Go to line" names in a text
// of lineCount lines: a number, or a compiler's message pasted from the
// console ("Hello.java:12: error: ';' expected" is line 12). A number past
// the end is the last line. None for an answer that names no line (empty,
// cancelled, no number, 0).
std::optional<int> lineFromAnswer(const QString& answer, int lineCount);

} // namespace tarnwick::navigation
