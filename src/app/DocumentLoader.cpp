#include "app/DocumentLoader.h"

#include "app/Text1.h"

namespace tarnwick {

DocumentLoader::DocumentLoader(Text1& text, void* previous) : text_(text), previous_(previous) {}

DocumentLoader::~DocumentLoader() {
    if (committed_)
        return;
    // Put the previous document back and drop the reference that kept it.
    text_.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0, previous_);
    text_.SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0, previous_);
    text_.SendScintilla(QsciScintillaBase::SCI_SETSEL, anchor_, caret_);
    text_.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, firstVisibleLine_);
    text_.loading_ = false;
    text_.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, text_.changeNoticeMask());
}

bool DocumentLoader::add(const char* data, qint64 length) {
    // A file that grows while it is read must still fit.
    loaded_ += length;
    if (loaded_ > Text1::largestDocument)
        return false;
    for (qint64 i = 0; !breakSeen_ && i < length; ++i) {
        const char c = data[i];
        if (lastWasCr_) {
            crlf_ = c == '\n';
            breakSeen_ = true;
        } else if (c == '\r') {
            firstBreak_ = '\r';
            lastWasCr_ = true;
        } else if (c == '\n') {
            firstBreak_ = '\n';
            breakSeen_ = true;
        }
    }
    // One append per piece of the file: with undo collection off and only
    // the cheap change notices on, Scintilla just copies the bytes in.
    text_.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, (unsigned long)(length), data);
    return text_.SendScintilla(QsciScintillaBase::SCI_GETSTATUS) == 0;
}

int DocumentLoader::eolMode() const {
    if (firstBreak_ == '\r')
        return crlf_ ? QsciScintillaBase::SC_EOL_CRLF : QsciScintillaBase::SC_EOL_CR;
    return QsciScintillaBase::SC_EOL_LF;
}

std::unique_ptr<DocumentLoader> Text1::beginLoad(qint64 expectedSize) {
    void* previous = SendScintillaPtrResult(SCI_GETDOCPOINTER);
    SendScintilla(SCI_ADDREFDOCUMENT, 0, previous);
    std::unique_ptr<DocumentLoader> loader(new DocumentLoader(*this, previous));
    loader->caret_ = SendScintilla(SCI_GETCURRENTPOS);
    loader->anchor_ = SendScintilla(SCI_GETANCHOR);
    loader->firstVisibleLine_ = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    loading_ = true;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    // The size only reserves room; a file that grows meanwhile still loads.
    replaceDocument(expectedSize);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    return loader;
}

void Text1::commitLoad(std::unique_ptr<DocumentLoader> loader) {
    loader->committed_ = true;
    SendScintilla(SCI_RELEASEDOCUMENT, 0, loader->previous_);
    loading_ = false;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    finishNewDocument(loader->eolMode());
}

} // namespace tarnwick
