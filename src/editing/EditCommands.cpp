#include "editing/EditCommands.h"

#include "editing/EditTexts.h"
#include "textarea/Text1.h"

namespace tarnwick::editing {

using namespace edittexts;

namespace {

// Replacing an empty selection with nothing would still be an undo step and
// a change notice; a command that changes nothing must leave the document
// saved and the undo history as it was.
bool replaceSelection(Text1& text, const QByteArray& bytes) {
    if (bytes.isEmpty() && !text.hasSelectedText())
        return true;
    return text.replaceSelectedBytes(bytes);
}

} // namespace

void edcopy(EditorState& state, Text1& text) {
    state.clipText = text.selectedBytes();
}

void edcut(EditorState& state, Text1& text) {
    state.clipText = text.selectedBytes();
    replaceSelection(text, QByteArray());
}

void edpaste(EditorState& state, Text1& text, PlatformServices& platform) {
    const qint64 grown = text.byteLength() - text.selectedBytes().size() + state.clipText.size();
    if (grown > Text1::largestDocument) {
        platform.messageBox(cantPasteText(tooLargePasteReason), MsgStyle::Information,
                            cantPasteTitle);
        return;
    }
    // The change notice comes before the text component tries; a paste that
    // did not happen leaves the document as saved as it was.
    const bool wasSaved = state.isSaved;
    if (!replaceSelection(text, state.clipText)) {
        state.isSaved = wasSaved;
        platform.messageBox(cantPasteText(notEnoughMemoryPasteReason), MsgStyle::Information,
                            cantPasteTitle);
    }
}

void eddel(EditorState&, Text1& text) {
    replaceSelection(text, QByteArray());
}

} // namespace tarnwick::editing
