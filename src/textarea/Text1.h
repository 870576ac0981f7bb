#pragma once

#include "platform/CodePage.h"
#include "textarea/CharacterOffsets.h"
#include "textarea/DocumentLoad.h"
#include "textarea/TypedKeys.h"

#include <Qsci/qsciscintilla.h>

#include <QAccessible>
#include <QKeySequence>
#include <QList>
#include <QPair>
#include <QRgb>

#include <limits>
#include <optional>

class QAction;
class QMenu;

namespace tarnwick {

// The main window's text area. Scintilla keeps the document as bytes and
// only shows them in the code page (UTF-8 or single-byte), so every byte
// value, invalid UTF-8 and every kind of line break survive a load and a
// save. Everything the rest of the program does with the text goes through
// the byte, caret and selection calls below; the component's QString calls,
// which stop at a NUL byte and convert characters, are out of reach.
class Text1 : public QsciScintilla, private QAccessible::ActivationObserver {
    Q_OBJECT

public:
    explicit Text1(QWidget* parent = nullptr);
    ~Text1() override;

    // The code page of the document shown and of every later one. Typed and
    // pasted characters go in as its bytes.
    void setCodePage(CodePage codePage);
    CodePage codePage() const { return codePage_; }

    // The largest document edited correctly: QScintilla hands positions and
    // lengths to its own code and to ours as int, so past this size an edit
    // near the end would land somewhere else.
    static constexpr qint64 largestDocument = std::numeric_limits<int>::max();

    // The whole text as bytes. The pointer stays valid until the next change.
    const char* rawBytes() const;
    qint64 byteLength() const;
    QByteArray bytes() const;

    // Positions are byte offsets from the start of the text.
    long caretPosition() const;
    long anchorPosition() const;
    // Selects from anchor to caret (equal: no selection) and shows the caret.
    void setSelectionRange(long anchor, long caret);
    QByteArray selectedBytes() const;
    // Replaces the selection (or inserts at the caret) as one undo step.
    // False, with the text unchanged, when the result would be larger than
    // largestDocument or memory runs out.
    bool replaceSelectedBytes(const QByteArray& bytes);
    // Appends at the very end as one undo step, without touching the rest.
    void appendBytes(const QByteArray& bytes);
    // Forgets every undo step so far.
    void clearUndoHistory();

    // Loading replaces the whole document, with an empty undo history; see
    // DocumentLoad. expectedSize and expectedLines only reserve room.
    DocumentLoad beginLoad(qint64 expectedSize, qint64 expectedLines = 0);
    void commitLoad(DocumentLoad load);
    // For DocumentLoad: append a piece of the file, and put the previous
    // document back when a load ends without commit.
    bool appendLoadedBytes(const char* data, qint64 length);
    void restoreDocument(ScintillaDocument previous, const DocumentLoad::ViewPosition& position);
    void clearDocument();

    // For screen readers (Text1Accessibility.cpp). Offsets count UTF-16
    // units, as Qt does, and are found without scanning the document: a byte
    // is a character in the single-byte code page, and in UTF-8 they are
    // counted only as far as a question reaches (CharacterOffsets).
    int offsetAt(long position) const;
    long positionAt(int offset) const;
    // The most of a line or word a reader is given at a time, in bytes.
    static constexpr long longestReaderPiece = 8192;
    int characterCount() const;
    QString readableText(long from, long to) const;

    // Keys the menu bar owns: the text area neither claims nor binds them.
    void setReservedShortcuts(const QList<QKeySequence>& keys);
    // Commands the context menu offers after the component's own entries.
    void setContextActions(const QList<QAction*>& actions) { contextActions_ = actions; }
    // The context menu as a right click shows it; the caller owns it.
    QMenu* createContextMenu();

    // Line numbers, compiler marks and moving between lines
    // (Text1Navigation.cpp). Lines count from 0.
    void setLineNumbersShown(bool shown);
    bool lineNumbersShown() const { return lineNumbers_; }
    int lineCount() const;
    int caretLine() const;
    // The caret at the start of the line, with nothing selected, on screen.
    void goToLine(int line);
    // Replaces every range (in order, not overlapping) with the same bytes,
    // as one undo step; the caret after the last replacement. False, with
    // the text unchanged, when the result would be larger than
    // largestDocument.
    bool replaceRanges(const QList<QPair<qint64, qint64>>& ranges, const QByteArray& bytes);
    // A line the last compile had something to say about: a marker in the
    // margin and the message under the line. Both belong to the document, so
    // they move with their line as the text is edited, and a new document
    // (New, Open) starts without them.
    struct LineMark {
        int line = 0;
        bool warning = false;
        QByteArray message; // in the code page's bytes, lines joined by LF
    };
    void setLineMarks(const QList<LineMark>& marks);
    // The marked lines in order, and what is shown under each.
    QList<LineMark> lineMarks() const;
    // The next marked line after `from` (before it when !forward), wrapping
    // around the end; none when nothing is marked.
    std::optional<int> nextMarkedLine(int from, bool forward) const;

    // Appearance of the whole text (Text1Appearance.cpp).
    void setFontFamily(const QString& family);
    QString fontFamily() const { return appearance_.family; }
    void setFontPointSize(qreal points);
    qreal fontPointSize() const { return appearance_.pointSize; }
    void setBold(bool on);
    bool isBold() const { return appearance_.bold; }
    void setItalic(bool on);
    bool isItalic() const { return appearance_.italic; }
    void setUnderline(bool on);
    bool isUnderline() const { return appearance_.underline; }
    void setStrikeout(bool on);
    bool isStrikeout() const { return appearance_.strikeout; }
    // std::nullopt is the platform's default text colour, which equals no RGB value.
    std::optional<QRgb> foregroundColour() const { return appearance_.foreground; }
    void setForegroundColour(QRgb colour);
    QRgb backgroundColour() const { return appearance_.background; }
    void setBackgroundColour(QRgb colour);

signals:
    // The text is about to change: typed, pasted, undone or set by the
    // program, a new document included. Raised before the change, because
    // the notices after it make QScintilla count from the start of the text.
    void aboutToChange();
    void keyPressedCode(int charCode);
    void keyReleasedCode(int keyCode);
    void clicked();

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // QString and line/index access, and the component's document wrapper,
    // which goes stale when a load swaps the document: hidden.
    using QsciScintilla::append;
    using QsciScintilla::document;
    using QsciScintilla::insert;
    using QsciScintilla::insertAt;
    using QsciScintilla::replaceSelectedText;
    using QsciScintilla::selectedText;
    using QsciScintilla::setDocument;
    using QsciScintilla::setText;
    using QsciScintilla::text;

    static constexpr int strikeIndicator = 8;
    static constexpr int errorMarker = 0;
    static constexpr int warningMarker = 1;
    static constexpr int markerMask = (1 << errorMarker) | (1 << warningMarker);
    static constexpr int messageStyle = 40;
    // Change notices that carry the inserted or deleted text make QScintilla
    // count characters from the start of the document for each edit, and
    // raise its own accessibility events with those counts. The "before"
    // notices cost nothing and are enough to know that the text changes and
    // what a screen reader must be told; the full insert notice is wanted
    // only while strikeout is on.
    static constexpr int changeNotices = SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE;

    // An edit as a screen reader is told of it once it is done.
    struct ReaderChange {
        bool inserted = false;
        int offset = 0;
        QString text;
    };
    // The notice before an insertion carries no text: the bytes are read
    // once they are in, at the next notice or when the reader is told.
    struct PendingInsert {
        long position = 0;
        long length = 0;
        int offset = 0;
    };

    struct Appearance {
        QString family;
        qreal pointSize = 9.75;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeout = false;
        std::optional<QRgb> foreground;
        QRgb background = qRgb(255, 255, 255);
    };

    void configure();
    void applyCodePage();
    void applyDocumentSettings(int eolMode);
    void applyAppearance();
    void fillStrikeout(qint64 position, qint64 length);
    void onModified(int position, int modificationType, const char*, int length, int, int, int, int,
                    int, int);
    void replaceDocument(qint64 reserve);
    void finishNewDocument(int eolMode);
    int changeNoticeMask() const;
    // Text1Navigation.cpp
    void configureMargin();
    void applyMarginAppearance();
    // The margin as wide as the largest line number needs; measured again
    // only when the number of digits or the font changes.
    void fitLineNumbers(bool fontChanged = false);

    // Text1Accessibility.cpp
    static bool readerListens() { return QAccessible::isActive(); }
    void accessibilityActiveChanged(bool active) override;
    SplitBytes splitBytes() const;
    void noteChangeForReader(int modificationType, long position, long length);
    void takePendingInsert();
    void noteReplacementForReader();
    QString firstLineForReader() const;
    void tellReader();

    Appearance appearance_;
    QList<QKeySequence> reserved_;
    QList<QAction*> contextActions_;
    bool lineNumbers_ = true;
    int marginDigits_ = 0;
    bool loading_ = false;
    TypedKeys typedKeys_;
    CodePage codePage_ = CodePage::SingleByte;
    QList<ReaderChange> readerChanges_;
    std::optional<PendingInsert> pendingInsert_;
    // A New or Open since the reader was last told.
    bool replacedForReader_ = false;
    QString replacedFirstLine_; // of the text it replaced
    // Filled in by questions, which are const.
    mutable CharacterOffsets offsets_;
    int readerCaret_ = -1;
    int readerAnchor_ = -1;
};

} // namespace tarnwick
