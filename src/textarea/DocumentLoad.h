#pragma once

#include "textarea/ScintillaDocument.h"

#include <QtGlobal>

namespace tarnwick {

class Text1;

// A file's bytes on their way into a fresh document of a Text1, which shows
// it only once the load is committed (Text1::commitLoad). The document shown
// before is kept alive meanwhile: a load that ends without commit puts it
// back exactly as it was, undo history, caret and scroll position included,
// so a failed read changes nothing. Move-only; at most one per Text1.
class DocumentLoad {
public:
    // Where the previous document's view stood.
    struct ViewPosition {
        long anchor = 0;
        long caret = 0;
        long firstVisibleLine = 0;
    };

    DocumentLoad(Text1& text, ScintillaDocument previous, ViewPosition position);
    ~DocumentLoad();
    DocumentLoad(DocumentLoad&& other) noexcept;
    DocumentLoad& operator=(DocumentLoad&&) = delete;
    DocumentLoad(const DocumentLoad&) = delete;
    DocumentLoad& operator=(const DocumentLoad&) = delete;

    // False when the document cannot take the bytes: out of memory, or the
    // file grew past what the text area edits correctly.
    bool add(const char* data, qint64 length);

    // The line break of the file's first line, as Scintilla's EOL mode.
    int eolMode() const;

    // Ends the load: the previous document is released, never restored.
    // Only Text1::commitLoad calls this.
    ScintillaDocument takePrevious() { return std::move(previous_); }

private:
    Text1* text_;
    ScintillaDocument previous_;
    ViewPosition position_;
    qint64 loaded_ = 0;
    char firstBreak_ = 0;
    bool crlf_ = false;
    bool breakSeen_ = false;
    bool lastWasCr_ = false;
};

} // namespace tarnwick
