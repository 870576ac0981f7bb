#pragma once

#include "state/EditorState.h"

namespace tarnwick {

class Text1;

// Automatic indentation: typed Tabs are counted in `indentLevel`, and after
// each Enter that many Tabs are appended to the end of the text.
namespace editing {

// A key press in the text area, with the code of the character it types.
void indentOnKeyPress(EditorState& state, int charCode);
// A key release in the text area, with the key's code (Backspace 8, Enter 13).
void indentOnKeyRelease(EditorState& state, Text1& text, int keyCode);
// A mouse click in the text area.
void indentOnClick(EditorState& state);

} // namespace editing
} // namespace tarnwick
