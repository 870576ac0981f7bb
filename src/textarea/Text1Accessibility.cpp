// What Text1 tells screen readers, and the offsets they speak in.
#include "textarea/ReadableText.h"
#include "textarea/Text1.h"

#include <QAccessibleEvent>

namespace tarnwick {

void Text1::ensureCharacterIndex() const {
    if (codePage_ != CodePage::Utf8)
        return;
    // The index belongs to the document, so a document swapped in has none
    // yet. Building it reads the document once; keeping it up to date costs
    // each edit only its own lines.
    if (!(SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16))
        SendScintilla(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
}

void Text1::accessibilityActiveChanged(bool active) {
    readerChanges_.clear();
    pendingInsert_.reset();
    replacedForReader_.reset();
    readerCaret_ = readerAnchor_ = -1;
    if (active) {
        ensureCharacterIndex();
    } else if (SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16) {
        SendScintilla(SCI_RELEASELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
    }
}

int Text1::offsetAt(long position) const {
    if (codePage_ != CodePage::Utf8)
        return int(position);
    ensureCharacterIndex();
    const long line = SendScintilla(SCI_LINEFROMPOSITION, position);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    return int(SendScintilla(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16) +
               SendScintilla(SCI_COUNTCODEUNITS, lineStart, position));
}

long Text1::positionAt(int offset) const {
    if (offset <= 0)
        return 0;
    if (offset >= characterCount())
        return long(byteLength());
    if (codePage_ != CodePage::Utf8)
        return offset;
    const long line = SendScintilla(SCI_LINEFROMINDEXPOSITION, offset, SC_LINECHARACTERINDEX_UTF16);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long lineOffset =
        SendScintilla(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16);
    return SendScintilla(SCI_POSITIONRELATIVECODEUNITS, lineStart, offset - lineOffset);
}

int Text1::characterCount() const {
    return offsetAt(long(byteLength()));
}

QString Text1::readableText(long from, long to) const {
    from = qBound(0L, from, long(byteLength()));
    to = qBound(from, to, long(byteLength()));
    // A range pointer moves Scintilla's gap only when the range spans it;
    // the whole-text pointer would move it to the end of the document.
    const auto* bytes = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, (unsigned long)(from), to - from));
    return tarnwick::readableText(bytes, to - from, codePage_);
}

void Text1::takePendingInsert() {
    if (!pendingInsert_)
        return;
    const PendingInsert insert = *std::exchange(pendingInsert_, std::nullopt);
    readerChanges_.append(
        {true, insert.offset, readableText(insert.position, insert.position + insert.length)});
}

void Text1::noteChangeForReader(int modificationType, long position, long length) {
    // Every notice comes after the previous change is complete.
    takePendingInsert();
    if (modificationType & SC_MOD_BEFOREINSERT)
        pendingInsert_ = PendingInsert{position, length, offsetAt(position)};
    else
        readerChanges_.append(
            {false, offsetAt(position), readableText(position, position + length)});
}

void Text1::noteReplacementForReader() {
    if (readerListens())
        replacedForReader_ = readableText(0, long(byteLength()));
}

void Text1::tellReader() {
    if (!readerListens())
        return;
    takePendingInsert();
    if (replacedForReader_) {
        readerChanges_.clear();
        QAccessibleTextUpdateEvent update(this, 0, *replacedForReader_,
                                          readableText(0, long(byteLength())));
        replacedForReader_.reset();
        QAccessible::updateAccessibility(&update);
    }
    for (const ReaderChange& change : std::exchange(readerChanges_, {})) {
        if (change.inserted) {
            QAccessibleTextInsertEvent inserted(this, change.offset, change.text);
            QAccessible::updateAccessibility(&inserted);
        } else {
            QAccessibleTextRemoveEvent removed(this, change.offset, change.text);
            QAccessible::updateAccessibility(&removed);
        }
    }
    const int caret = offsetAt(caretPosition());
    const int anchor = offsetAt(anchorPosition());
    const bool selected = anchor != caret || readerAnchor_ != readerCaret_;
    if (selected && (anchor != readerAnchor_ || caret != readerCaret_)) {
        QAccessibleTextSelectionEvent selection(this, qMin(anchor, caret), qMax(anchor, caret));
        selection.setCursorPosition(caret);
        QAccessible::updateAccessibility(&selection);
    }
    if (caret != readerCaret_) {
        QAccessibleTextCursorEvent moved(this, caret);
        QAccessible::updateAccessibility(&moved);
    }
    readerCaret_ = caret;
    readerAnchor_ = anchor;
}

} // namespace tarnwick
