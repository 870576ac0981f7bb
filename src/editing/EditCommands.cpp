#include "editing/EditCommands.h"

#include "app/Text1.h"

namespace tarnwick::editing {

namespace {

// Replacing an empty selection with nothing would still be an undo step and
// a change notice; a command that changes nothing must leave the document
// saved and the undo history as it was.
void replaceSelection(Text1& text, const QByteArray& bytes) {
    if (bytes.isEmpty() && !text.hasSelectedText())
        return;
    text.replaceSelectedBytes(bytes);
}

} // namespace

void edcopy(EditorState& state, Text1& text) {
    state.clipText = text.selectedBytes();
}

void edcut(EditorState& state, Text1& text) {
    state.clipText = text.selectedBytes();
    replaceSelection(text, QByteArray());
}

void edpaste(EditorState& state, Text1& text) {
    replaceSelection(text, state.clipText);
}

void eddel(EditorState&, Text1& text) {
    replaceSelection(text, QByteArray());
}

} // namespace tarnwick::editing
