// The main window and its dialogs offscreen: the menus, the font dialog and
// the About box; what a reader or the eye gets from the text area: the
// accessibility interface and its events in both code pages, colours that
// stay readable whatever the desktop's scheme, the installed stand-ins for
// fonts and where glyphs are drawn. Keys, focus and real X events are the
// end-to-end tests'.
#include "about/frmAbout.h"
#include "app/ClientFit.h"
#include "editing/EditCommands.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/Form2.h"
#include "platform/FontMapping.h"
#include "platform/ReadableColours.h"
#include "support/Editor.h"
#include "support/Harness.h"

#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace tarnwick;
using namespace tarnwick::test;
using S = QsciScintillaBase;

namespace {

struct FontEditor : Editor {
    Form2* dialog() { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* open() { return form.action("font")->trigger(), dialog(); }
    QAbstractButton* at(const char* name) { return dialog()->findChild<QAbstractButton*>(name); }
    QListWidget* list(const char* name) { return dialog()->findChild<QListWidget*>(name); }
    // The colour entries are made in their index order.
    QAbstractButton* colour(int i) { return dialog()->findChildren<QRadioButton*>("Option1")[i]; }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); }
    void pick(const char* name, int i) {
        QListWidget* l = list(name);
        l->scrollToItem(l->item(i));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(i)).center());
    }
    // What the text is drawn with: family, points, bold/italic/underline/
    // strikeout, text and paper colours.
    QString look() {
        const auto get = [this](int m) { return text().SendScintilla(unsigned(m), 0UL); };
        const auto rgb = [&](int m) {
            return QColor(get(m) & 0xff, get(m) >> 8 & 0xff, get(m) >> 16).name().remove(0, 1);
        };
        char name[256] = {};
        text().SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
        return QStringLiteral("%1 %2 %3%4%5%6 %7 %8")
            .arg(name, QString::number(get(S::SCI_STYLEGETSIZEFRACTIONAL) / 100),
                 get(S::SCI_STYLEGETBOLD) ? "b" : "-", get(S::SCI_STYLEGETITALIC) ? "i" : "-",
                 get(S::SCI_STYLEGETUNDERLINE) ? "u" : "-", text().isStrikeout() ? "s" : "-",
                 rgb(S::SCI_STYLEGETFORE), rgb(S::SCI_STYLEGETBACK));
    }
    // What the controls show: rows; Bold, Italic, Strikeout, Underline, Fore,
    // Back; the colour entries shown selected.
    QString shown() {
        QString state = QString::number(list("List1")->currentRow()) + ' ' +
                        QString::number(list("List2")->currentRow()) + ' ';
        for (const char* name : {"Check2", "Check3", "Check4", "Check5", "Option2", "Option3"})
            state += at(name)->isChecked() ? '1' : '0';
        for (int i = 0; i < 8; ++i)
            state += colour(i)->isChecked() ? QStringLiteral(" %1").arg(i) : QString();
        return state;
    }
    QList<int> stored() {
        return {fonts.fontIndex, fonts.sizeIndex, fonts.bold,
                fonts.italic,    fonts.strikeout, fonts.underline};
    }
};

// UTF-8 that the single-byte code page reads too: CR LF, letters of two
// bytes, one beyond the first plane (offsets 10-11), a byte that starts no
// character; 15 characters in UTF-8, 19 in the single-byte code page.
const QByteArray sample = "ab\r\nGr\xc3\xbc\xc3\x9f\x65 \xf0\x9f\x98\x80\n\xff\x7a";

// In UTF-8, the unit around an offset, at (0), before (-1) or after (1) it: its
// start and end (-1: none).
const struct UnitRow {
    const char* name;
    int side, unit, offset, start, end;
} unitRows[] = {
    {"line at", 0, QAccessible::LineBoundary, 5, 4, 13},
    {"line before", -1, QAccessible::LineBoundary, 5, 0, 4},
    {"no line before the first", -1, QAccessible::LineBoundary, 1, -1, -1},
    {"no line after the last", 1, QAccessible::LineBoundary, 14, -1, -1},
    {"word at", 0, QAccessible::WordBoundary, 6, 4, 9},
    {"word after", 1, QAccessible::WordBoundary, 4, 9, 10},
    {"character of two units", 0, QAccessible::CharBoundary, 10, 10, 12},
    {"no character at the end", 0, QAccessible::CharBoundary, 15, -1, -1},
    {"character before", -1, QAccessible::CharBoundary, 1, 0, 1},
    {"whole text", 0, QAccessible::NoBoundary, 3, 0, 15},
    {"at, past the end", 0, QAccessible::LineBoundary, 16, -1, -1},
};

long pointX(Text1& text, long position) {
    return text.SendScintilla(S::SCI_POINTXFROMPOSITION, 0UL, position);
}

// A shown UTF-8 editor holding `bytes`, its caret at `caret`, laid out.
void show(Editor& e, const QByteArray& bytes, long caret) {
    e.form.resize(2400, 300);
    QVERIFY(e.showActive());
    e.type(bytes), e.text().setSelectionRange(caret, caret), QTest::qWait(50);
}

// Where the text component puts characters (the caret, a click, the
// scroll) is where their glyphs are drawn: after typing on lines of a
// megabyte, after edits that lay a line out again only from near the change,
// and in kerned proportional fonts ("AV", "Te"), measured one way and drawn
// another, or measured by a layout of the segment (é).
const QByteArray tabbed =
    QByteArray("int a;\tb = \"\xc3\xa9t\xc3\xa9\"; ").repeated(1600).left(40000);
const struct LayoutRow {
    const char *name, *family;
    QByteArray line;
    long at = -1, key = 0; // where a key is pressed, else the rightmost ink is measured
    bool fresh = true;     // compared with a fresh layout, else the typed bytes
} layoutRows[] = {
    {"kerned, sans", "DejaVu Sans", QByteArray("AVTe").repeated(30)},
    {"kerned, serif", "Liberation Serif", QByteArray("AVTe").repeated(30)},
    {"accented, sans", "DejaVu Sans", QByteArray("AV\xc3\xa9Te").repeated(30)},
    {"typed at the end", "", tabbed, 40000, Qt::Key_X},
    {"typed in the middle", "", tabbed, 20001, Qt::Key_X},
    {"tab typed near the start", "", tabbed, 5, Qt::Key_Tab},
    {"deleted in the middle", "", tabbed, 20001, Qt::Key_Backspace},
    {"1 MiB, typed at the end", "", QByteArray("{\"key\": [1, 2]}, ").repeated(1 << 16), 17 << 16,
     Qt::Key_X, false},
    // An odd start puts a two-byte character across the 4096-byte steps in
    // which a long line is looked at.
    {"two-byte steps, typed at the end", "", "a" + QByteArray("\xc3\xa9").repeated(2500), 5001,
     Qt::Key_X, false},
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void startsWithInitialState() {
        Editor e;
        // "MS Sans Serif" as installed, on white paper.
        QCOMPARE(e.form.windowTitle() + '|' + e.text().fontFamily() +
                     QColor(e.text().backgroundColour()).name(),
                 "Untitled - Tarnwick|DejaVu Sans#ffffff");
        QVERIFY(!e.text().foregroundColour() && !e.text().autoIndent() && e.state().isSaved);
        // The text area fills what the menu bar leaves, unless nothing is left.
        for (const QSize client : {QSize(1, 1), QSize(0, 3), QSize(3, 0)})
            QCOMPARE(text1SizeFor(client, QSize(5, 5)), client.width() == 1 ? client : QSize(5, 5));
        QVERIFY(e.showActive() && e.text().verticalScrollBar()->isVisible() &&
                e.text().horizontalScrollBar()->isVisible());
        e.form.resize(700, 500);
        QTRY_COMPARE(e.text().geometry(), e.form.centralWidget()->rect());
        // Alt and a letter that no menu has types nothing (the menus' own
        // letters are in the table below, and end to end).
        QTest::keyClick(&e.text(), Qt::Key_Q, Qt::AltModifier);
        QVERIFY(e.text().bytes().isEmpty() && !QApplication::activePopupWidget());
        // Menu, command, caption with its underlined letter, and shortcut, in order.
        QStringList bar;
        for (QAction* top : e.form.menuBar()->actions())
            for (QAction* item : top->menu() ? top->menu()->actions() : QList{top})
                bar << (top->menu() ? top->text() : QString()) + '|' + item->objectName() + '|' +
                           item->text() + '|' + item->shortcut().toString();
        QCOMPARE(bar.join(' '),
                 "&File|new|&New|Ctrl+N &File|open|&Open|Ctrl+O &File|saveim|&Save|Ctrl+S "
                 "&File|save|Save &As| &File|exit|E&xit|Ctrl+X &Edit|edcut|Cu&t|Shift+Del "
                 "&Edit|edcopy|&Copy|Ctrl+Ins &Edit|edpaste|&Paste|Shift+Ins &Edit|eddel|&Delete| "
                 "|font|F&ont....| &Run|compile|&Compile|F9 &Run|exec|&Execute|Ctrl+F9 "
                 "&Run|comlne|Command &Line|F5 &Run|compro|Command &Prompt|F7 "
                 "&Run|ncomp|&Normal Compile|Ctrl+F5 &Run|nexec|Normal E&xecute|Ctrl+F7 "
                 "&Help|About|&About| &Help|Condi|&Conditions|");
    }

    // Shown as stored; sizes are the row plus 9 points; styles cover the text
    // typed after too; colours go to the target chosen; kept on Esc (even
    // from a list, which has keys of its own), restored at the next opening,
    // stored again when the main window closes it.
    void fontDialog() {
        FontEditor e;
        QVERIFY(e.showActive());
        e.text().appendBytes("ab");
        QPointer<Form2> dialog = e.open();
        // "MS Sans Serif", "10", Fore: the default text colour is none of the eight.
        QCOMPARE(e.shown() + ' ' + e.look(), "9 1 000010 DejaVu Sans 10 ---- 000000 ffffff");
        // A dialog, which X11 window managers keep over the main window;
        // captions; the keyboard walks the colours in their own order, not
        // their screen order.
        QStringList seen{dialog->windowTitle() +
                         (dialog->windowType() == Qt::Dialog ? "" : " window")};
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>())
            seen << frame->title();
        for (QWidget* w = e.colour(0); seen.size() < 23; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                seen << (w->inherits("QAbstractButton") ? w->property("text").toString()
                                                        : w->objectName());
        QCOMPARE(seen.join(','),
                 "Font...,FONT,Select,COLOR,STYLE,SIZE,Black,Blue,Green,Cyan,Magenta,White,Red,"
                 "Yellow,List1,Bold,Italic,Strikeout,Underline,List2,Fore,Back,Black");
        // Opening it again only brings it forward.
        QVERIFY(e.open() == dialog && e.platform.callsOf("show").size() == 2);
        e.pick("List1", 5), e.pick("List2", 5); // "Courier New", "14"
        for (const char* name : {"Check2", "Check3", "Check5", "Check5", "Check4", "Option3"})
            e.click(e.at(name));
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        for (unsigned long pos : {0UL, 3UL}) // struck out
            QCOMPARE(e.text().SendScintilla(S::SCI_INDICATORVALUEAT, 8UL, pos), 1);
        // The paper is white, so Back finds White; Fore then matches nothing,
        // so the Magenta just chosen stays shown and nothing is applied.
        QVERIFY(e.shown().endsWith("01 1"));
        e.click(e.colour(6)), e.click(e.at("Option2"));
        QVERIFY(e.shown().endsWith("10 6") && !e.text().foregroundColour());
        QString colours;
        for (int i = 0; i < 8; ++i)
            e.click(e.colour(i)), colours += ' ' + e.look().section(' ', -2, -2);
        // As walked above.
        QCOMPARE(colours, " 000000 ffffff ff0000 0000ff 00ff00 00ffff ff00ff ffff00");
        e.click(e.colour(3));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        e.list("List1")->setFocus(), QTest::keyClick(e.list("List1"), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog && e.stored() == QList<int>({5, 5, 1, 1, 1, 0}));
        dialog = e.open(); // Fore again, showing the entry that matches the text
        QCOMPARE(e.shown() + ' ' + e.look(), "5 5 111010 3 Liberation Mono 14 bi-s 0000ff ff00ff");
        e.pick("List1", 0), e.click(e.at("Check5")), e.state().isSaved = true;
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf("close"), QList<PlatformCall>({{"close", "Form2", {}, -1}}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog && e.stored() == QList<int>({0, 5, 1, 1, 1, 1}));
        // A stored font that is missing falls back to the last good one (a
        // click on one, end to end); a last good font uninstalled since it
        // was applied ends the fall-back.
        const PlatformCall notFound{"messageBox",
                                    "Font not available, install into Fonts in Control Panel",
                                    "Not Found", 0};
        // Rows: Times New Roman; Impact and Verdana, which the machine lacks.
        for (const auto& [lastGood, messages, family] :
             {std::tuple{12, 1, "Liberation Serif"}, {6, 2, "DejaVu Sans"}}) {
            Editor f;
            FontDialogMemory memory{std::int16_t(lastGood)};
            FontDialogLogic logic(f.text(), f.platform, memory);
            logic.openingSteps(FontSettings{.fontIndex = 13});
            QCOMPARE(f.platform.callsOf("messageBox"), QList<PlatformCall>(messages, notFound));
            QVERIFY(logic.fontRow() == lastGood && f.text().fontFamily() == family);
        }
    }

    // One modeless box with only a close box; Enter and Esc close it
    // wherever the focus is, and so does closing the main window.
    void aboutBox() {
        // Key 0: the main window closes.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key(0)}) {
            Editor e;
            e.form.show(), e.form.action("About")->trigger(), e.form.action("About")->trigger();
            QPointer<QWidget> box = e.form.aboutWindow();
            const auto child = [&](const char* name) { return box->findChild<QLabel*>(name); };
            const auto frame =
                box->windowFlags() &
                (Qt::WindowType_Mask | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
            QVERIFY(e.form.findChildren<frmAbout*>().size() == 1 &&
                    e.platform.callsOf("show").size() == 2 && box->isVisible() && !box->isModal() &&
                    box->minimumSize() == box->maximumSize() &&
                    frame == (Qt::Dialog | Qt::WindowCloseButtonHint) &&
                    child("picIcon")->pixmap().size() == QSize(32, 32) &&
                    box->focusWidget()->property("default").toBool());
            QCOMPARE(box->windowTitle() + '|' + child("lblVersion")->text() + '|' +
                         child("lblDisclaimer")->text(),
                     "About tarnpad|Version 1.0.0|I made this to help myself avoid the hassles in "
                     "the execution of Java Files. It is not an IDE. Just have Fun!");
            // Three labels are black on any scheme.
            for (const char* name : {"lblTitle", "lblDescription", "lblDisclaimer"})
                QCOMPARE(child(name)->palette().color(QPalette::WindowText), QColor(Qt::black));
            key ? QTest::keyClick(child(key == Qt::Key_Return ? "lblDescription" : "lblDisclaimer"),
                                  key)
                : void(e.form.close());
            QCOMPARE(e.platform.callsOf("close"),
                     QList<PlatformCall>(!key, {"close", "frmAbout", {}, -1}));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(box.isNull());
        }
    }
    // Every unit of the table; caret and selection in offsets, the document
    // in bytes; editing in the code page's bytes, where what it cannot hold
    // changes nothing. Then one event per change at the offset the reader
    // counts in, and the caret after it: é, Enter (CR LF) and Backspace
    // typed at the end; a paste over a selection is one removal and one
    // insertion, New a reorder (no text) and the caret; nothing while no
    // reader listens.
    void readerFollows() {
        static QStringList told; // every text event a reader is given; ^ is the caret
        QAccessible::installUpdateHandler([](QAccessibleEvent* ev) {
            if (auto* i = dynamic_cast<QAccessibleTextInsertEvent*>(ev))
                told << QStringLiteral("+%1 ").arg(i->changePosition()) + i->textInserted();
            else if (auto* r = dynamic_cast<QAccessibleTextRemoveEvent*>(ev))
                told << QStringLiteral("-%1 ").arg(r->changePosition()) + r->textRemoved();
            else if (auto* u = dynamic_cast<QAccessibleTextUpdateEvent*>(ev))
                told << QStringLiteral("=%1 ").arg(u->changePosition()) + u->textRemoved() + '>' +
                            u->textInserted();
            else if (auto* s = dynamic_cast<QAccessibleTextSelectionEvent*>(ev))
                told << QStringLiteral("sel %1 %2").arg(s->selectionStart()).arg(s->selectionEnd());
            else if (auto* c = dynamic_cast<QAccessibleTextCursorEvent*>(ev))
                told << QStringLiteral("^%1").arg(c->cursorPosition());
        });
        auto* reader = QGuiApplicationPrivate::platformIntegration()->accessibility();
        for (const auto& [utf8, in, edited, typed] :
             {std::tuple{1, QString::fromUtf8("ab\r\nGr\u00fc\u00dfe \U0001F600\n\ufffdz"),
                         "\xc3\xa9\x62\r\n\xc3\xa9\xd0\x9f" + sample.mid(11),
                         "+12 é|^13|+13 \r\n|^15|-13 \r\n|^13|paste|sel 0 1|^1|+1 xy|-0 é|sel 2 "
                         "2|^2|new|=0 "
                         "xyb\r\n>|^0"},
              {0, QString::fromLatin1(sample), "\xe9\x62" + sample.mid(2),
               "+19 é|^20|+20 \r\n|^22|-20 \r\n|^20|paste|sel 0 2|^2|+2 xy|-0 éb|sel 2 2|new|=0 "
               "xy\r\n>|^0"}}) {
            reader->setActive(true);
            Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
            Text1& text = e.text();
            text.SendScintilla(Text1::SCI_SETEOLMODE, Text1::SC_EOL_CRLF), e.type(sample);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&text);
            QAccessibleTextInterface* t = a->textInterface();
            QVERIFY(a->state().multiLine && a->state().editable &&
                    t->characterCount() == in.size() && t->text(0, int(in.size())) == in);
            int from = 0, to = 0;
            for (const UnitRow& r : unitRows) {
                const auto unit = QAccessible::TextBoundaryType(r.unit);
                const QString got = r.side < 0   ? t->textBeforeOffset(r.offset, unit, &from, &to)
                                    : r.side > 0 ? t->textAfterOffset(r.offset, unit, &from, &to)
                                                 : t->textAtOffset(r.offset, unit, &from, &to);
                const QString want = r.start < 0 ? QString() : in.mid(r.start, r.end - r.start);
                QVERIFY2(!utf8 || (got == want && from == r.start && to == r.end), r.name);
            }
            const int g = int(in.indexOf('G')), space = int(in.indexOf(' '));
            QList<long> seen{t->selectionCount()};
            t->setCursorPosition(int(in.indexOf('\n', g))),
                seen << t->cursorPosition() << text.caretPosition();
            t->setSelection(0, g, space), t->selection(0, &from, &to);
            QCOMPARE(seen << t->selectionCount() << from << to,
                     QList<long>({0, in.indexOf('\n', g), sample.indexOf('\n', 4), 1, g, space}));
            QCOMPARE(text.selectedBytes(), "Gr\xc3\xbc\xc3\x9f\x65");
            QAccessibleEditableTextInterface* edit = a->editableTextInterface();
            edit->replaceText(g, space, "\u00e9\u041f"), edit->insertText(0, "\u00e9"),
                edit->deleteText(1, 2);
            QCOMPARE(text.bytes(), edited);
            QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier), told.clear();
            QTest::sendKeyEvent(QTest::Click, &text, Qt::Key_unknown, "\u00e9", Qt::NoModifier);
            QTest::keyClick(&text, Qt::Key_Return), QTest::keyClick(&text, Qt::Key_Backspace);
            told << "paste", e.state().clipText = "xy", text.setSelectionRange(0, 2);
            editing::edpaste(e.state(), text, e.platform);
            told << "new", e.state().isSaved = true, e.form.new_();
            reader->setActive(false), QTest::keyClicks(&text, QStringLiteral("abc"));
            QCOMPARE(told.join('|'), QString::fromUtf8(typed));
            reader->setActive(true);
            // The reader's text and its offsets count the same characters
            // whatever the bytes: the non-characters U+FFFE and U+1FFFF, cut
            // sequences, overlong ones and surrogates, beyond U+10FFFF, stray
            // trail bytes, valid ones of three and four bytes.
            e.type("\xef\xbf\xbe\xf0\x9f\xbf\xbf\n\xc3\r\n\xe2\x82\n\xf0\x9f\x98|"
                   "\xc0\xaf\xe0\x80\xaf\xed\xa0\x80\xf0\x80\x80"
                   "\x80\xf4\x90\x80\x80\x80\xbf\xf8\xef\xbf\xbd\xf4\x8f\xbf\xbd");
            for (long p = 0, n = long(text.byteLength()); p <= n;
                 p = p < n ? long(text.SendScintilla(Text1::SCI_POSITIONAFTER, p)) : n + 1)
                QVERIFY(text.offsetAt(p) == text.readableText(0, p).size() &&
                        text.positionAt(text.offsetAt(p)) == p);
            // Offsets known far along move with an edit before them, which
            // here joins the cut sequence "\xc3" to a character; Scintilla's
            // index of the whole document is never made.
            e.type(QByteArray("\xc3\xa9").repeated(20000));
            const long cut = long(text.bytes().indexOf("\xc3\r")) + 1;
            QVERIFY(text.characterCount() > 20000);
            text.setSelectionRange(cut, cut), text.replaceSelectedBytes("\xa9");
            const long end = long(text.byteLength()), mid = end - 30000;
            QCOMPARE(QList<long>({text.characterCount(), text.positionAt(text.offsetAt(mid))}),
                     QList<long>({text.readableText(0, end).size(), mid}));
            QCOMPARE(text.SendScintilla(Text1::SCI_GETLINECHARACTERINDEX), 0L);
            // A line of 40 KB is read in pieces, one after the other.
            const int last = int(text.characterCount()) - 1;
            QList<int> pieces(4);
            t->textAtOffset(last, QAccessible::LineBoundary, &pieces[0], &pieces[1]);
            t->textBeforeOffset(last, QAccessible::LineBoundary, &pieces[2], &pieces[3]);
            QVERIFY2(pieces[1] == last + 1 && pieces[3] == pieces[0] &&
                         text.positionAt(pieces[1]) - text.positionAt(pieces[0]) <= 8192 &&
                         text.positionAt(pieces[3]) - text.positionAt(pieces[2]) > 8000,
                     qPrintable(QString::number(pieces[0]) + ' ' + QString::number(pieces[2])));
        }
    }

    // The lightest grey that still reads on white and the next one; a light
    // desktop scheme is kept, else the style's; with neither, black on white.
    // KDE's Breeze Dark's selection pair reads at only 2.4:1.
    void colours() {
        const auto ratio = [](QColor a, QColor b) { return qRound(contrastRatio(a, b) * 100); };
        QVERIFY(ratio(Qt::black, Qt::white) == 2100 && ratio(Qt::white, 0x767676) == 454 &&
                ratio(0x777777, Qt::white) == 448);
        const QPalette dark(QColor(0x292c30), QColor(0x202326)), paper{QColor(Qt::white)},
            none = lightScheme(dark, dark);
        QVERIFY(lightScheme(paper, dark) == paper && lightScheme(dark, paper) == paper &&
                none.text().color() == Qt::black && none.windowText() == none.text() &&
                none.base().color() == Qt::white);
        // A pair that reads keeps its text colour; one that does not gets
        // black or white, whichever reads better.
        QCOMPARE(QList({readableOn(0x202326, 0x3daee9), readableOn(0x3daee9, 0xfcfcfc),
                        readableOn(Qt::darkBlue, Qt::blue)}),
                 QList<QColor>({0x3daee9, Qt::black, Qt::white}));
        // Arial and Courier have stand-ins, an installed family is itself,
        // and the dialogs use the small sans serif face.
        QCOMPARE(installedFamilyFor("Arial") + '|' + installedFamilyFor("Courier") + '|' +
                     installedFamilyFor("DejaVu Serif") + '|' + dialogFont().family() + ' ' +
                     QString::number(dialogFont().pointSize()),
                 "Liberation Sans|Liberation Mono|DejaVu Serif|DejaVu Sans 8");
    }
    void layout_data() { addRows(layoutRows); }
    void layout() {
        const LayoutRow& r = row(layoutRows);
        Editor edited(CodePage::Utf8), fresh(CodePage::Utf8);
        Text1& text = edited.text();
        if (r.at < 0) { // the last glyph ends within a few pixels of its advance
            text.setFontFamily(r.family), text.setFontPointSize(12), show(edited, r.line, 0);
            const QImage image = text.viewport()->grab().toImage();
            const int height = int(text.SendScintilla(S::SCI_TEXTHEIGHT, 0UL));
            int ink = 0; // the rightmost dark pixel of the line
            for (int y = 0; y < height; ++y)
                for (int x = ink; x < image.width(); ++x)
                    ink = qGray(image.pixel(x, y)) < 128 ? x : ink;
            QCOMPARE_LE(qAbs(ink - pointX(text, r.line.size())), 3);
            return;
        }
        show(edited, r.line + '\n', r.at);
        QTest::keyClick(&text, Qt::Key(r.key)), QTest::qWait(50);
        const QByteArray bytes = text.bytes();
        if (!r.fresh) { // exactly the key's byte, the caret after it, drawn there
            QVERIFY(bytes == r.line + "x\n" && text.caretPosition() == r.at + 1);
            const long x = pointX(text, r.at + 1);
            QVERIFY(x > pointX(text, r.at) && x < text.viewport()->width());
            // One character's width from each to the next across the first step.
            const double width = (pointX(text, 5001) - pointX(text, 1)) / 2500.0;
            for (long at = 4096 - 11; r.line.size() < 9000 && at < 4096 + 13; at += 2)
                QCOMPARE_LE(qAbs(pointX(text, at + 2) - pointX(text, at) - width), 1.5);
            return;
        }
        QVERIFY(bytes != r.line + '\n');
        show(fresh, bytes, text.caretPosition());
        for (long p = 0; p < bytes.size() - 1; p += 37) {
            while (p > 0 && (uchar(bytes[qsizetype(p)]) & 0xc0) == 0x80)
                ++p;
            QCOMPARE(pointX(text, p) - pointX(text, 0),
                     pointX(fresh.text(), p) - pointX(fresh.text(), 0));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
