#pragma once

#include <QAccessibleWidget>

namespace tarnwick {

class Text1;

// Text1 as screen readers see it: its text, caret and selection, the text
// around an offset by character, word or line, and editing. Offsets come
// from Text1, which finds them without scanning the document; QScintilla's
// own accessible counts from the start of the document on every keystroke.
class Text1Accessible : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface {
public:
    explicit Text1Accessible(Text1* text);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    Text1* edit() const;
    bool inText(int offset) const;
    // The byte range of the unit (character, word, line) that holds the
    // character at `position`; false when there is none.
    bool unitAt(long position, QAccessible::TextBoundaryType boundary, long* start,
                long* end) const;
    QString unitText(long start, long end, int* startOffset, int* endOffset) const;
};

// Offers Text1Accessible for every Text1, whether or not a reader is
// listening yet. Process-wide; Text1 installs it with its first instance.
void installText1Accessible();

} // namespace tarnwick
