#include "app/Text1.h"

#include "app/KeyCodes.h"
#include "platform/FontMapping.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

#include <cstddef>

namespace tarnwick {

namespace {

constexpr int strikeIndicator = 8;

// QScintilla's accessible object counts the characters from the start of the
// document to the caret on every screen update: hundreds of milliseconds per
// keystroke near the end of a 50 MB file. While no assistive technology is
// listening, the text area gets Qt's plain accessible instead.
QAccessibleInterface* plainAccessibleWhileInactive(const QString&, QObject* object) {
    if (QAccessible::isActive())
        return nullptr;
    if (auto* text = qobject_cast<Text1*>(object))
        return new QAccessibleWidget(text, QAccessible::EditableText);
    return nullptr;
}

// Change notices that carry the inserted or deleted text make QScintilla
// count characters from the start of the document for each edit. The
// "before" notices cost nothing and are enough to know that the text
// changes; the full insert notice is wanted only while strikeout is on.
constexpr int changeNotices =
    QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;

} // namespace

Text1::Text1(QWidget* parent) : QsciScintilla(parent) {
    configure();
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(plainAccessibleWhileInactive);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &Text1::onModified);
}

void Text1::configure() {
    setUtf8(false);
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
    clearDocument();

    appearance_.family = installedFamilyFor(QStringLiteral("MS Sans Serif"));
    appearance_.pointSize = 9.75;
    applyAppearance();
}

void Text1::applyDocumentSettings(int eolMode) {
    // Code page, tabs and line-break mode belong to Scintilla's document, so
    // they are set again for every document swapped in.
    // Setting the code page makes Scintilla rebuild its per-line data, even
    // when nothing changes: set it only when it differs.
    if (SendScintilla(SCI_GETCODEPAGE) != 0)
        SendScintilla(SCI_SETCODEPAGE, 0);
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

QByteArray Text1::selectedBytes() const {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QByteArray(text + start, end - start);
}

void Text1::replaceSelectedBytes(const QByteArray& bytes) {
    SendScintilla(SCI_BEGINUNDOACTION);
    // SCI_REPLACETARGET takes an explicit length, so NUL bytes go in too.
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    SendScintilla(SCI_SETTARGETSTART, start);
    SendScintilla(SCI_SETTARGETEND, end);
    SendScintilla(SCI_REPLACETARGET, bytes.size(), bytes.constData());
    SendScintilla(SCI_GOTOPOS, start + long(bytes.size()));
    SendScintilla(SCI_ENDUNDOACTION);
}

void Text1::appendBytes(const QByteArray& bytes) {
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
}

void Text1::clearDocument() {
    // A fresh document rather than deleting the text: deleting would copy
    // the old text into the undo history only to throw it away.
    replaceDocument(0);
    finishNewDocument(SC_EOL_LF);
}

void Text1::replaceDocument(qint64 reserve) {
    // Without a lexer the per-byte style buffer is never used: documents
    // without one take half the memory.
    void* document = reinterpret_cast<void*>(
        SendScintilla(SCI_CREATEDOCUMENT, (unsigned long)(qMax<qint64>(reserve, 0)),
                      long(SC_DOCUMENTOPTION_STYLES_NONE)));
    // The view takes its own reference; drop the creator's, so the document
    // dies with the view. QScintilla's QsciDocument wrapper is not used
    // anywhere, so it never looks at a replaced document again.
    SendScintilla(SCI_SETDOCPOINTER, 0, document);
    SendScintilla(SCI_RELEASEDOCUMENT, 0, document);
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
    emit documentReplaced();
    // Replacing the text is a change like any other.
    emit textChanged();
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
    return QsciScintilla::event(e);
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

void Text1::setFontFamily(const QString& family) {
    appearance_.family = family;
    applyAppearance();
}

void Text1::setFontPointSize(qreal points) {
    appearance_.pointSize = points;
    applyAppearance();
}

void Text1::setBold(bool on) {
    appearance_.bold = on;
    applyAppearance();
}

void Text1::setItalic(bool on) {
    appearance_.italic = on;
    applyAppearance();
}

void Text1::setUnderline(bool on) {
    appearance_.underline = on;
    applyAppearance();
}

void Text1::setStrikeout(bool on) {
    if (appearance_.strikeout == on)
        return;
    appearance_.strikeout = on;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    // Scintilla styles have no strikeout: an indicator draws it.
    SendScintilla(SCI_SETINDICATORCURRENT, strikeIndicator);
    if (on)
        fillStrikeout(0, byteLength());
    else
        SendScintilla(SCI_INDICATORCLEARRANGE, 0, byteLength());
}

void Text1::setForegroundColour(QRgb colour) {
    appearance_.foreground = colour;
    applyAppearance();
}

void Text1::setBackgroundColour(QRgb colour) {
    appearance_.background = colour;
    applyAppearance();
}

void Text1::applyAppearance() {
    // Without a lexer all text is in the default style; set it and copy it
    // to every other style.
    const QByteArray family = appearance_.family.toLatin1();
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT,
                  long(qRound(appearance_.pointSize * int(SC_FONT_SIZE_MULTIPLIER))));
    SendScintilla(SCI_STYLESETBOLD, STYLE_DEFAULT, appearance_.bold);
    SendScintilla(SCI_STYLESETITALIC, STYLE_DEFAULT, appearance_.italic);
    SendScintilla(SCI_STYLESETUNDERLINE, STYLE_DEFAULT, appearance_.underline);
    const QColor fore = appearance_.foreground ? QColor::fromRgb(*appearance_.foreground)
                                               : palette().color(QPalette::Text);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, fore);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, QColor::fromRgb(appearance_.background));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_INDICSETFORE, strikeIndicator, fore);
    setCaretForegroundColor(fore);
}

void Text1::fillStrikeout(qint64 position, qint64 length) {
    if (length <= 0)
        return;
    SendScintilla(SCI_SETINDICATORCURRENT, strikeIndicator);
    SendScintilla(SCI_SETINDICATORVALUE, 1);
    SendScintilla(SCI_INDICATORFILLRANGE, long(position), long(length));
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
    // QScintilla no longer sees the insert and delete notices, so the change
    // signal is raised here, for typed and programmed changes alike.
    if (loading_)
        return;
    if (modificationType & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))
        emit textChanged();
    // Text typed while strikeout is on is struck out too.
    if (appearance_.strikeout && (modificationType & SC_MOD_INSERTTEXT))
        fillStrikeout(position, length);
}

} // namespace tarnwick
