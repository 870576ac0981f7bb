#pragma once

#include "platform/PlatformServices.h"
#include "state/EditorState.h"

namespace tarnwick {

class Text1;

// The Edit menu's commands. They move bytes between the text area's selection
// and the program's own clipboard, `EditorState::clipText`; the system
// clipboard is never touched, so the component's Ctrl+C / Ctrl+V stay separate.
namespace editing {

// clipText = the selection (empty when nothing is selected); the text stays.
void edcopy(EditorState& state, Text1& text);
// clipText = the selection; the selection is removed.
void edcut(EditorState& state, Text1& text);
// The selection, or nothing at the caret, is replaced by clipText. When the
// text area cannot take it, the text stays as it was and the user is told.
void edpaste(EditorState& state, Text1& text, PlatformServices& platform);
// The selection is removed; clipText stays.
void eddel(EditorState& state, Text1& text);

} // namespace editing
} // namespace tarnwick
