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

void Text1::noteReplacementForReader() {
    if (readerListens())
        replacedForReader_ = true;
}

void Text1::tellReader() {
    if (!readerListens())
        return;
    takePendingInsert();
    if (std::exchange(replacedForReader_, false)) {
        readerChanges_.clear();
        // A whole new text. As an update event it would go out whole, old
        // and new: Qt's AT-SPI bridge sends it as a text-changed delete and
        // insert carrying both texts, hundreds of megabytes for a large file.
        // A plain TextUpdated event is taken by the bridge for that same
        // class (and read past its end); NameChanged tells readers of a new
        // name, which the text area does not have. Readers keep no copy of
        // the text (Orca asks for the line at the caret each time), so what
        // they need is to drop what they cached of the object and to hear
        // the caret: ObjectReorder, which newer bridges send as
        // children-changed (Orca then clears its cache of the object; older
        // bridges send nothing), and the caret event even where the offset
        // stays the same, which has Orca present the line there unless it is
        // the offset it saw last.
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
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
