#pragma once

#include "navigation/TextSearch.h"
#include "platform/PlatformServices.h"

#include <QString>

#include <optional>

namespace tarnwick {
class PlatformServices;
class Text1;
struct EditorState;
} // namespace tarnwick

namespace tarnwick::navigation {

// Ctrl+G: asks for a line, showing the range, and puts the caret at its
// start. Cancel (Esc) or an answer that names no line moves nothing.
void goToLine(Text1& text, PlatformServices& platform);

struct SearchRequest {
    QString text;
    QString replacement;
    SearchOptions options;
};

// The next match after the selection (forward) or the one before it,
// going round the end of the text; it becomes the selection. False when
// there is none.
bool findNext(Text1& text, const SearchRequest& request, bool forward);
// Replaces the selection when it is a match, then finds the next one.
// Whether it replaced.
bool replaceOne(Text1& text, const SearchRequest& request, CodePage codePage);
// Every match at once, as one undo step; how many. A replacement the code
// page cannot hold replaces nothing (-1).
int replaceAll(Text1& text, const SearchRequest& request, CodePage codePage);

// F8 / Shift+F8: the caret to the next (previous) marked line.
void nextMarkedLine(Text1& text, bool forward);

// What the editor last read of the compiler's messages.
struct CompileWatch {
    std::optional<FileStamp> seen;
};
// Reads the last compile's messages when they are new since the last
// look, and marks the lines of the open file they name: the marks of the
// compile before go, also when this one said nothing about this file.
void followCompile(CompileWatch& watch, const EditorState& state, Text1& text,
                   PlatformServices& platform);

} // namespace tarnwick::navigation
