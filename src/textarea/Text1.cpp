#include "textarea/Text1.h"

#include "platform/FontMapping.h"
#include "textarea/KeyCodes.h"
#include "textarea/Text1Accessible.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <new>

namespace tarnwick {

Text1::Text1(QWidget* parent) : QsciScintilla(parent) {
    installText1Accessible();
    configure();
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &Text1::onModified);
    QAccessible::installActivationObserver(this);
}

Text1::~Text1() {
    QAccessible::removeActivationObserver(this);
}

void Text1::setCodePage(CodePage codePage) {
    codePage_ = codePage;
#ifdef QSCINTILLA_EIGHT_BIT_CODEC
    // The component draws and types single-byte text in the locale's
    // character set, as the program's own code page does, not in Latin-1.
    // The system's QScintilla cannot; there Latin-1 is all it shows.
    setEightBitCodec([](const char* bytes, int length) { return decodeSingleByte(bytes, length); },
                     [](const QString& text) { return encodeText(text, CodePage::SingleByte); });
#endif
    applyCodePage();
    offsets_.reset();
}

void Text1::configure() {
    setLexer(nullptr);
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    setFolding(QsciScintilla::NoFoldStyle);
    setBraceMatching(QsciScintilla::NoBraceMatch);
    setAutoIndent(false);
    setBackspaceUnindents(false);
    setTabIndents(false);
    setIndentationsUseTabs(true);
    setWrapMode(QsciScintilla::WrapNone);
    SendScintilla(SCI_SETHSCROLLBAR, 1);
    SendScintilla(SCI_SETVSCROLLBAR, 1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SendScintilla(SCI_INDICSETSTYLE, strikeIndicator, INDIC_STRIKE);
    SendScintilla(SCI_INDICSETUNDER, strikeIndicator, 0L);
    SendScintilla(SCI_SETMODEVENTMASK, changeNotices);
    // Keep the layout of every line on screen, not only the caret's: a long
    // line above or below the caret was laid out again at every repaint.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    // Redo on the key other desktop editors also use, beside Ctrl+Y.
    standardCommands()
        ->find(QsciCommand::Redo)
        ->setAlternateKey(QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z).toCombined());
    configureMargin();
    clearDocument();

    appearance_.family = installedFamilyFor(QStringLiteral("MS Sans Serif"));
    appearance_.pointSize = 9.75;
    applyAppearance();
}

void Text1::applyCodePage() {
    // Setting the code page makes Scintilla rebuild its per-line data, even
    // when nothing changes: set it only when it differs.
    const long wanted = codePage_ == CodePage::Utf8 ? SC_CP_UTF8 : 0;
    if (SendScintilla(SCI_GETCODEPAGE) != wanted)
        SendScintilla(SCI_SETCODEPAGE, wanted);
}

void Text1::applyDocumentSettings(int eolMode) {
    // Code page, tabs and line-break mode belong to Scintilla's document, so
    // they are set again for every document swapped in.
    applyCodePage();
    SendScintilla(SCI_SETUSETABS, 1);
    SendScintilla(SCI_SETEOLMODE, eolMode);
}

const char* Text1::rawBytes() const {
    return static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
}

qint64 Text1::byteLength() const {
    return SendScintilla(SCI_GETLENGTH);
}

QByteArray Text1::bytes() const {
    return QByteArray(rawBytes(), byteLength());
}

long Text1::caretPosition() const {
    return SendScintilla(SCI_GETCURRENTPOS);
}

long Text1::anchorPosition() const {
    return SendScintilla(SCI_GETANCHOR);
}

void Text1::setSelectionRange(long anchor, long caret) {
    SendScintilla(SCI_SETSEL, (unsigned long)(anchor), caret);
    tellReader();
}

void Text1::clearUndoHistory() {
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

QByteArray Text1::selectedBytes() const {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QByteArray(text + start, end - start);
}

bool Text1::replaceSelectedBytes(const QByteArray& bytes) {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (byteLength() - (end - start) + bytes.size() > largestDocument)
        return false;
    SendScintilla(SCI_BEGINUNDOACTION);
    // The new bytes go in after the selection before the selection goes, so
    // that running out of memory on the way in leaves the text as it was.
    // SCI_REPLACETARGET takes an explicit length, so NUL bytes go in too.
    bool inserted = true;
    try {
        SendScintilla(SCI_SETTARGETRANGE, end, end);
        SendScintilla(SCI_REPLACETARGET, bytes.size(), bytes.constData());
    } catch (const std::bad_alloc&) {
        inserted = false;
    }
    // Scintilla catches some allocation failures itself and only notes them.
    if (SendScintilla(SCI_GETSTATUS) != SC_STATUS_OK) {
        SendScintilla(SCI_SETSTATUS, SC_STATUS_OK);
        inserted = false;
    }
    if (inserted) {
        SendScintilla(SCI_DELETERANGE, start, end - start);
        SendScintilla(SCI_GOTOPOS, start + long(bytes.size()));
    }
    SendScintilla(SCI_ENDUNDOACTION);
    fitLineNumbers();
    // The undo history records an insertion before making it, so a failed
    // one may have left a step that never happened; undoing it would
    // delete text that is really there.
    if (!inserted)
        SendScintilla(SCI_EMPTYUNDOBUFFER);
    tellReader();
    return inserted;
}

void Text1::appendBytes(const QByteArray& bytes) {
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    fitLineNumbers();
    tellReader();
}

void Text1::clearDocument() {
    // A fresh document rather than deleting the text: deleting would copy
    // the old text into the undo history only to throw it away.
    noteReplacementForReader();
    replaceDocument(0);
    finishNewDocument(SC_EOL_LF);
}

DocumentLoad Text1::beginLoad(qint64 expectedSize, qint64 expectedLines) {
    void* previous = SendScintillaPtrResult(SCI_GETDOCPOINTER);
    SendScintilla(SCI_ADDREFDOCUMENT, 0, previous);
    DocumentLoad load(*this, ScintillaDocument(*this, previous),
                      {anchorPosition(), caretPosition(), SendScintilla(SCI_GETFIRSTVISIBLELINE)});
    noteReplacementForReader();
    loading_ = true;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    // Scintilla grows its buffer (and copies the whole text) as soon as an
    // insertion would fill the gap exactly, so the room is a little more
    // than the file: the last piece then fits without that copy.
    constexpr qint64 slack = 64 * 1024;
    replaceDocument(expectedSize > 0 ? expectedSize + slack : 0);
    // The line index has the same habit, hence a few lines more.
    if (expectedLines > 1)
        SendScintilla(SCI_ALLOCATELINES, static_cast<unsigned long>(expectedLines + 16));
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    return load;
}

bool Text1::appendLoadedBytes(const char* data, qint64 length) {
    // One append per piece of the file: with undo collection off and only
    // the cheap change notices on, Scintilla just copies the bytes in.
    SendScintilla(SCI_APPENDTEXT, (unsigned long)(length), data);
    return SendScintilla(SCI_GETSTATUS) == SC_STATUS_OK;
}

void Text1::commitLoad(DocumentLoad load) {
    const int eolMode = load.eolMode();
    load.takePrevious().reset();
    loading_ = false;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    finishNewDocument(eolMode);
}

void Text1::restoreDocument(ScintillaDocument previous,
                            const DocumentLoad::ViewPosition& position) {
    // The view takes its own reference again; `previous` drops the load's.
    SendScintilla(SCI_SETDOCPOINTER, 0, previous.get());
    SendScintilla(SCI_SETSEL, (unsigned long)(position.anchor), position.caret);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, position.firstVisibleLine);
    SendScintilla(SCI_SETSTATUS, SC_STATUS_OK);
    loading_ = false;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    // Nothing changed for a reader.
    replacedForReader_ = false;
    replacedFirstLine_.clear();
    offsets_.reset();
    fitLineNumbers();
}

void Text1::replaceDocument(qint64 reserve) {
    // Without a lexer the per-byte style buffer is never used: documents
    // without one take half the memory.
    const ScintillaDocument created(
        *this, reinterpret_cast<void*>(SendScintilla(SCI_CREATEDOCUMENT,
                                                     (unsigned long)(qMax<qint64>(reserve, 0)),
                                                     long(SC_DOCUMENTOPTION_STYLES_NONE))));
    // The view takes its own reference and the creator's goes with
    // `created`, so the document dies with the view. QScintilla's
    // QsciDocument wrapper is hidden, so nothing looks at a replaced
    // document again.
    SendScintilla(SCI_SETDOCPOINTER, 0, created.get());
    offsets_.reset();
    // New documents start out in UTF-8; switching while the document is
    // still empty is cheap.
    applyDocumentSettings(SC_EOL_LF);
}

void Text1::finishNewDocument(int eolMode) {
    SendScintilla(SCI_SETEOLMODE, eolMode);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    if (appearance_.strikeout)
        fillStrikeout(0, byteLength());
    // Replacing the text is a change like any other.
    emit aboutToChange();
    fitLineNumbers();
    tellReader();
}

void Text1::setReservedShortcuts(const QList<QKeySequence>& keys) {
    reserved_ = keys;
    // Drop the component's own bindings for these keys, so that a key event
    // that reaches it anyway does not cut or paste behind the menu's back.
    for (QsciCommand* command : standardCommands()->commands()) {
        for (const QKeySequence& key : keys) {
            const int combined = key[0].toCombined();
            if (command->key() == combined)
                command->setKey(0);
            if (command->alternateKey() == combined)
                command->setAlternateKey(0);
        }
    }
}

bool Text1::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const QKeySequence pressed(ke->keyCombination());
        // Declining the override lets the menu's shortcut fire; the
        // component would otherwise accept every key it has a binding for.
        if (reserved_.contains(pressed)) {
            ke->ignore();
            return true;
        }
    }
    const bool handled = QsciScintilla::event(e);
    // Keys, input methods and shortcuts edit the text from here.
    fitLineNumbers();
    tellReader();
    return handled;
}

bool Text1::viewportEvent(QEvent* e) {
    const bool handled = QsciScintilla::viewportEvent(e);
    // Clicks, drops and the context menu edit the text from here.
    fitLineNumbers();
    tellReader();
    return handled;
}

void Text1::keyPressEvent(QKeyEvent* e) {
    typedKeys_.press(physicalKey(*e));
    emit keyPressedCode(pressCharCode(*e));
    if (e->key() == Qt::Key_Tab && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        !isReadOnly()) {
        // Scintilla would indent a multi-line selection; a Tab is one Tab.
        replaceSelectedBytes(QByteArray(1, '\t'));
        e->accept();
        return;
    }
    if (altTypesNothing(*e)) {
        // Alt and a letter belongs to the menus: a letter no menu underlines
        // must not land in the text either. AltGr is not Alt here, so the
        // characters it types on other layouts still go in.
        e->ignore();
        return;
    }
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier && !isReadOnly() &&
        codePage_ == CodePage::Utf8 && anchorPosition() == caretPosition()) {
        // Scintilla's own Delete takes a lead byte's whole sequence length
        // even when the bytes after it form no character with it ("\xc3b"
        // would lose the "b"); delete exactly the character the caret moves
        // over.
        const long caret = caretPosition();
        const long after = SendScintilla(SCI_POSITIONAFTER, caret);
        if (after > caret)
            SendScintilla(SCI_DELETERANGE, caret, after - caret);
        e->accept();
        return;
    }
    // The component would type a character that the code page cannot hold
    // as "?", a different character from the one on the key.
    if (!e->text().isEmpty() && firstUnencodable(e->text(), codePage_)) {
        e->accept();
        return;
    }
    // The same for the component's own paste from the desktop's clipboard:
    // a text it could only paste with "?" in place of some characters is not
    // pasted at all.
    if (e->matches(QKeySequence::Paste) &&
        firstUnencodable(QGuiApplication::clipboard()->text(), codePage_)) {
        QApplication::beep();
        e->accept();
        return;
    }
    QsciScintilla::keyPressEvent(e);
}

void Text1::keyReleaseEvent(QKeyEvent* e) {
    QsciScintilla::keyReleaseEvent(e);
    // Only the release of a key pressed here counts, once however long it
    // was held: on X the server sends no releases for repeats (asked for at
    // start-up), elsewhere Qt marks them.
    if (typedKeys_.release(physicalKey(*e), e->isAutoRepeat()))
        emit keyReleasedCode(releaseKeyCode(*e));
}

void Text1::focusOutEvent(QFocusEvent* e) {
    typedKeys_.forgetAll();
    QsciScintilla::focusOutEvent(e);
}

void Text1::mousePressEvent(QMouseEvent* e) {
    QsciScintilla::mousePressEvent(e);
    emit clicked();
}

int Text1::changeNoticeMask() const {
    // While a file loads, its pieces need neither the change signal nor the
    // strikeout: both follow once the whole document is in.
    if (appearance_.strikeout && !loading_)
        return changeNotices | SC_MOD_INSERTTEXT;
    return changeNotices;
}

void Text1::onModified(int position, int modificationType, const char*, int length, int, int, int,
                       int, int, int) {
    // QScintilla no longer sees the insert and delete notices, so it raises
    // no textChanged(); the notice before the change is raised here, for
    // typed and programmed changes alike.
    if (loading_)
        return;
    if (modificationType & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
        emit aboutToChange();
        if (readerListens())
            noteChangeForReader(modificationType, position, length);
        // After the reader's note, which counts in the text before the change.
        if (codePage_ == CodePage::Utf8)
            offsets_.beforeChange(splitBytes(), position,
                                  (modificationType & SC_MOD_BEFOREDELETE) ? length : 0);
    }
    // Text typed while strikeout is on is struck out too.
    if (appearance_.strikeout && (modificationType & SC_MOD_INSERTTEXT))
        fillStrikeout(position, length);
}

} // namespace tarnwick
