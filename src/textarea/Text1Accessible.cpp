#include "textarea/Text1Accessible.h"

#include "textarea/Text1.h"

#include <QFontMetrics>

namespace tarnwick {

namespace {

QAccessibleInterface* text1Accessible(const QString&, QObject* object) {
    if (auto* text = qobject_cast<Text1*>(object))
        return new Text1Accessible(text);
    return nullptr;
}

// The longest unit a reader is given. A line of megabytes (minified or
// generated text), or one long word of it, is read in pieces of about this
// many bytes, as a wrapped line would be: the line at the caret, which a
// reader asks for as the caret moves, would otherwise be megabytes at each
// key.
constexpr long longestPiece = Text1::longestReaderPiece;

void clipToPiece(const Text1& t, long position, long* start, long* end) {
    if (*end - *start <= longestPiece)
        return;
    const long unitStart = *start;
    const long unitEnd = *end;
    const auto border = [&](long k) { // on a character start
        const long p = unitStart + k * longestPiece;
        return p >= unitEnd ? unitEnd : t.positionAt(t.offsetAt(p));
    };
    long k = (position - unitStart) / longestPiece;
    if (position >= border(k + 1)) // the character across the border starts the next
        ++k;
    *start = border(k);
    *end = border(k + 1);
}

} // namespace

void installText1Accessible() {
    static const bool installed = [] {
        QAccessible::installFactory(text1Accessible);
        return true;
    }();
    Q_UNUSED(installed);
}

Text1Accessible::Text1Accessible(Text1* text)
    : QAccessibleWidget(text, QAccessible::EditableText) {}

Text1* Text1Accessible::edit() const {
    return static_cast<Text1*>(widget());
}

void* Text1Accessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State Text1Accessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !edit()->isReadOnly();
    s.readOnly = edit()->isReadOnly();
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString Text1Accessible::text(QAccessible::Text t) const {
    // The document reaches readers through the text interface, a piece at a
    // time; as a value it could be hundreds of megabytes.
    if (t == QAccessible::Value)
        return {};
    return QAccessibleWidget::text(t);
}

void Text1Accessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const long anchor = edit()->anchorPosition();
    const long caret = edit()->caretPosition();
    if (selectionIndex != 0 || anchor == caret)
        return;
    *startOffset = edit()->offsetAt(qMin(anchor, caret));
    *endOffset = edit()->offsetAt(qMax(anchor, caret));
}

int Text1Accessible::selectionCount() const {
    return edit()->anchorPosition() != edit()->caretPosition() ? 1 : 0;
}

void Text1Accessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void Text1Accessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        edit()->setSelectionRange(edit()->caretPosition(), edit()->caretPosition());
}

void Text1Accessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        edit()->setSelectionRange(edit()->positionAt(startOffset), edit()->positionAt(endOffset));
}

int Text1Accessible::cursorPosition() const {
    return edit()->offsetAt(edit()->caretPosition());
}

void Text1Accessible::setCursorPosition(int position) {
    const long at = edit()->positionAt(position);
    edit()->setSelectionRange(at, at);
}

QString Text1Accessible::text(int startOffset, int endOffset) const {
    return edit()->readableText(edit()->positionAt(startOffset), edit()->positionAt(endOffset));
}

bool Text1Accessible::unitAt(long position, QAccessible::TextBoundaryType boundary, long* start,
                             long* end) const {
    Text1& t = *edit();
    const long length = long(t.byteLength());
    switch (boundary) {
    case QAccessible::CharBoundary:
        if (position >= length)
            return false;
        *start = position;
        *end = t.SendScintilla(Text1::SCI_POSITIONAFTER, position);
        return true;
    case QAccessible::WordBoundary: {
        // Runs of word characters, of blanks and of punctuation each count
        // as a word, as Qt's own text widgets count them. At the very end
        // the last run is meant.
        if (length == 0)
            return false;
        if (position >= length)
            position = t.SendScintilla(Text1::SCI_POSITIONBEFORE, length);
        const long after = t.SendScintilla(Text1::SCI_POSITIONAFTER, position);
        *start = t.SendScintilla(Text1::SCI_WORDSTARTPOSITION, after, 0L);
        *end = t.SendScintilla(Text1::SCI_WORDENDPOSITION, position, 0L);
        clipToPiece(t, position, start, end);
        return true;
    }
    case QAccessible::SentenceBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary: {
        // A line, with its line break; source code has no other paragraphs
        // or sentences.
        const long line = t.SendScintilla(Text1::SCI_LINEFROMPOSITION, position);
        *start = t.SendScintilla(Text1::SCI_POSITIONFROMLINE, line);
        *end = t.SendScintilla(Text1::SCI_POSITIONFROMLINE, line + 1);
        clipToPiece(t, position, start, end);
        return true;
    }
    case QAccessible::NoBoundary:
        *start = 0;
        *end = length;
        return true;
    }
    return false;
}

bool Text1Accessible::inText(int offset) const {
    // The count of the whole text only where the offset reaches its end.
    return offset >= 0 &&
           (edit()->positionAt(offset) < long(edit()->byteLength()) || offset <= characterCount());
}

QString Text1Accessible::unitText(long start, long end, int* startOffset, int* endOffset) const {
    *startOffset = edit()->offsetAt(start);
    *endOffset = edit()->offsetAt(end);
    return edit()->readableText(start, end);
}

QString Text1Accessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                      int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    long start = 0;
    long end = 0;
    if (!inText(offset) || !unitAt(edit()->positionAt(offset), boundaryType, &start, &end))
        return {};
    return unitText(start, end, startOffset, endOffset);
}

QString Text1Accessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    long start = 0;
    long end = 0;
    if (!inText(offset))
        return {};
    const long position = edit()->positionAt(offset);
    // The unit that ends where the one at the offset starts.
    if (boundaryType == QAccessible::CharBoundary)
        start = position;
    else if (!unitAt(position, boundaryType, &start, &end))
        return {};
    if (start == 0 || !unitAt(edit()->SendScintilla(Text1::SCI_POSITIONBEFORE, start), boundaryType,
                              &start, &end))
        return {};
    return unitText(start, end, startOffset, endOffset);
}

QString Text1Accessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    long start = 0;
    long end = 0;
    if (!inText(offset) || !unitAt(edit()->positionAt(offset), boundaryType, &start, &end) ||
        end >= long(edit()->byteLength()) || !unitAt(end, boundaryType, &start, &end))
        return {};
    return unitText(start, end, startOffset, endOffset);
}

int Text1Accessible::characterCount() const {
    return edit()->characterCount();
}

QRect Text1Accessible::characterRect(int offset) const {
    Text1& t = *edit();
    const long position = t.positionAt(offset);
    const int x = int(t.SendScintilla(Text1::SCI_POINTXFROMPOSITION, 0UL, position));
    const int y = int(t.SendScintilla(Text1::SCI_POINTYFROMPOSITION, 0UL, position));
    const QFontMetrics metrics(t.font());
    QRect rect(x, y, metrics.horizontalAdvance(text(offset, offset + 1)),
               int(t.SendScintilla(Text1::SCI_TEXTHEIGHT, 0UL)));
    rect.moveTo(t.viewport()->mapToGlobal(rect.topLeft()));
    return rect;
}

int Text1Accessible::offsetAtPoint(const QPoint& point) const {
    Text1& t = *edit();
    const QPoint p = t.viewport()->mapFromGlobal(point);
    const long position = t.SendScintilla(Text1::SCI_POSITIONFROMPOINTCLOSE, p.x(), p.y());
    return position < 0 ? -1 : t.offsetAt(position);
}

void Text1Accessible::scrollToSubstring(int startIndex, int endIndex) {
    edit()->SendScintilla(Text1::SCI_SCROLLRANGE, edit()->positionAt(endIndex),
                          edit()->positionAt(startIndex));
}

QString Text1Accessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One font and colour for the whole text: one run.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void Text1Accessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void Text1Accessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void Text1Accessible::replaceText(int startOffset, int endOffset, const QString& text) {
    Text1& t = *edit();
    // Text goes in as the code page's bytes, like typed text; what the code
    // page cannot hold is not turned into "?".
    if (t.isReadOnly() || firstUnencodable(text, t.codePage()))
        return;
    t.setSelectionRange(t.positionAt(startOffset), t.positionAt(endOffset));
    t.replaceSelectedBytes(encodeText(text, t.codePage()));
}

} // namespace tarnwick
