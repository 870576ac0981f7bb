#pragma once

#include <QtGlobal>

namespace tarnwick {

class Text1;

// Fills a fresh document in Text1 with a file's bytes. The previous document
// is kept alive meanwhile: if the loader is dropped without commit, that
// document comes back exactly as it was, undo history, caret and scroll
// position included, so a failed read changes nothing.
class DocumentLoader {
public:
    ~DocumentLoader();
    DocumentLoader(const DocumentLoader&) = delete;
    DocumentLoader& operator=(const DocumentLoader&) = delete;

    // False when the document cannot take the bytes (out of memory).
    bool add(const char* data, qint64 length);

private:
    friend class Text1;
    DocumentLoader(Text1& text, void* previous);
    // The line break of the file's first line: Scintilla's EOL mode.
    int eolMode() const;

    Text1& text_;
    void* previous_;
    long caret_ = 0;
    long anchor_ = 0;
    long firstVisibleLine_ = 0;
    qint64 loaded_ = 0;
    bool committed_ = false;
    char firstBreak_ = 0;
    bool crlf_ = false;
    bool breakSeen_ = false;
    bool lastWasCr_ = false;
};

} // namespace tarnwick
