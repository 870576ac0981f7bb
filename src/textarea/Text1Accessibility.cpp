// What Text1 tells screen readers, and the offsets they speak in.
#include "textarea/ReadableText.h"
#include "textarea/Text1.h"

#include <QAccessibleEvent>

namespace tarnwick {

SplitBytes Text1::splitBytes() const {
    const long length = long(byteLength());
    const long gap = SendScintilla(SCI_GETGAPPOSITION);
    // Neither range spans the gap, so neither moves it.
    return {reinterpret_cast<const unsigned char*>(SendScintilla(SCI_GETRANGEPOINTER, 0UL, gap)),
            gap,
            reinterpret_cast<const unsigned char*>(
                SendScintilla(SCI_GETRANGEPOINTER, (unsigned long)(gap), length - gap)),
            length};
}

void Text1::accessibilityActiveChanged(bool active) {
    Q_UNUSED(active);
    readerChanges_.clear();
    pendingInsert_.reset();
    replacedForReader_ = false;
    replacedFirstLine_.clear();
    readerCaret_ = readerAnchor_ = -1;
    // What a reader asked for goes with it.
    offsets_.reset();
}

int Text1::offsetAt(long position) const {
    if (codePage_ != CodePage::Utf8)
        return int(qBound(0L, position, long(byteLength())));
    const SplitBytes bytes = splitBytes();
    offsets_.afterChange(bytes);
    return int(offsets_.offsetAt(bytes, position));
}

long Text1::positionAt(int offset) const {
    if (codePage_ != CodePage::Utf8)
        return qBound(0L, long(offset), long(byteLength()));
    const SplitBytes bytes = splitBytes();
    offsets_.afterChange(bytes);
    return offsets_.positionAt(bytes, offset);
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

QString Text1::firstLineForReader() const {
    // As much of the first line as a reader is given of a line at a time.
    long end = SendScintilla(SCI_POSITIONFROMLINE, 1L);
    if (end > longestReaderPiece)
        end = positionAt(offsetAt(longestReaderPiece));
    return readableText(0, end);
}

void Text1::noteReplacementForReader() {
    if (!readerListens() || replacedForReader_)
        return;
    replacedForReader_ = true;
    replacedFirstLine_ = firstLineForReader();
}

void Text1::tellReader() {
    if (!readerListens())
        return;
    takePendingInsert();
    if (std::exchange(replacedForReader_, false)) {
        readerChanges_.clear();
        // A whole new text. Told whole, as an update event, it would go out
        // old and new: Qt's AT-SPI bridge sends both texts as a text-changed
        // delete and insert, hundreds of megabytes for a large file. Qt 6.4's
        // bridge sends ObjectReorder as children-changed signals of a
        // signature libatspi drops, so nothing arrives; NameChanged and
        // VisibleDataChanged tell of a name or nothing. So the reader is told
        // of the first lines only, the old one deleted and the new one
        // inserted at 0: a text change, which has Orca refresh braille from
        // the text and speak nothing, since no key of its own caused it; then
        // the caret, even where the offset stays the same.
        QAccessibleTextUpdateEvent updated(this, 0, std::exchange(replacedFirstLine_, {}),
                                           firstLineForReader());
        QAccessible::updateAccessibility(&updated);
        readerCaret_ = readerAnchor_ = -1;
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
