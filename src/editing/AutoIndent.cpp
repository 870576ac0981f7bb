#include "editing/AutoIndent.h"

#include "textarea/KeyCodes.h"
#include "textarea/Text1.h"

namespace tarnwick::editing {

void indentOnKeyPress(EditorState& state, int charCode) {
    if (charCode == keyCodeTab)
        ++state.indentLevel;
}

void indentOnKeyRelease(EditorState& state, Text1& text, int keyCode) {
    // A Backspace straight after an Enter takes one level back; lastKeyCode
    // is overwritten below, so this fires at most once per Enter.
    if (keyCode == keyCodeBackspace && state.lastKeyCode == keyCodeEnter && state.indentLevel > 0)
        --state.indentLevel;

    if (keyCode == keyCodeEnter && state.indentLevel > 0) {
        // All Tabs in one append at the very end: no copy of the text, one
        // undo step, however long the document. The line break the Enter
        // typed stays wherever the caret was.
        text.appendBytes(QByteArray(state.indentLevel, '\t'));
        // Moving the caret is not an undo action, so the step stays one.
        text.setSelectionRange(long(text.byteLength()), long(text.byteLength()));
    }

    state.lastKeyCode = keyCode;
}

void indentOnClick(EditorState& state) {
    state.indentLevel = 0;
    state.lastKeyCode = 0;
}

} // namespace tarnwick::editing
