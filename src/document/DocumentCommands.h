#pragma once

#include "platform/PlatformServices.h"
#include "state/EditorState.h"

class QWidget;

namespace tarnwick {

class Text1;

// New, Open, Save and Save As, the unsaved-changes question, and the rule
// that every change of the text leaves the document unsaved. Like the other
// commands, each takes what it works on: here the window too, whose title
// names the document.
namespace document {

struct Parts {
    EditorState& state;
    PlatformServices& platform;
    Text1& text;
    QWidget& window;
};

void new_(Parts& parts);
void open(Parts& parts);
// A file dropped from the desktop: Open without its dialog. The question
// about unsaved text comes first; then the working folder becomes the file's
// folder, as after the dialog.
void openDropped(Parts& parts, const QString& path);
// What Open does once a file is chosen: read it whole, or report why not and
// keep the document as it was.
void openChosen(Parts& parts, const FileChoice& choice);
void saveim(Parts& parts);
void save(Parts& parts);

// Yes, No or Cancel; No without asking when nothing is unsaved.
MsgAnswer unsavedChangesAnswer(Parts& parts);

// From now on every change of the text, typed or made by the program,
// leaves the document unsaved. Lasts as long as the text area.
void markUnsavedOnChange(Text1& text, EditorState& state);

} // namespace document
} // namespace tarnwick
