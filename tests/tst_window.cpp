// The main window offscreen: its menus and keys, the unsaved-text question,
// the Edit commands and indentation, where glyphs are drawn, and what a
// screen reader is told.
#include "app/ClientFit.h"
#include "editing/EditCommands.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/Legibility.h"
#include "support/MemoryLimit.h"
#include "textarea/KeyCodes.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <sys/mman.h>

using namespace tarnwick;
using namespace tarnwick::test;
using S = QsciScintillaBase;

namespace {

// A key on the focused text area, then (when a menu opens) a letter typed
// into the menu; the command that runs, if any.
struct KeyRow {
    const char *name, *menu, *command;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    Qt::Key letter;
};
const KeyRow keyRows[] = {
    {"Ctrl+X, which the text area binds too", "", "exit", Qt::Key_X, Qt::ControlModifier, {}},
    {"Ctrl+S", "", "saveim", Qt::Key_S, Qt::ControlModifier, {}},
    {"Alt+F, A", "file", "save", Qt::Key_F, Qt::AltModifier, Qt::Key_A},
    {"Alt+O: Font.... on the bar", "", "font", Qt::Key_O, Qt::AltModifier, {}},
    {"F10, S", "file", "saveim", Qt::Key_F10, Qt::NoModifier, Qt::Key_S},
    {"Alt+Q: no menu's letter", "", "", Qt::Key_Q, Qt::AltModifier, {}},
};

// Asked on closing or at a logout (then the close that follows answers No).
struct QuestionRow {
    const char* name;
    bool logout, dirty;
    int answer;
    bool saveSucceeds, typeAfter, ends;
    int questions; // in all, the close after a logout included
};
const QuestionRow questionRows[] = {
    {"close: Cancel keeps it open", false, true, 2, true, false, false, 1},
    {"close: No closes", false, true, 7, true, false, true, 1},
    {"close: Yes saves and closes", false, true, 6, true, false, true, 1},
    {"close: Yes, save cancelled: stays", false, true, 6, false, false, false, 1},
    {"logout, saved: ends, nothing asked", true, false, 0, true, false, true, 0},
    {"logout: Cancel keeps the session", true, true, 2, true, false, false, 2},
    {"logout: No ends, the close asks nothing", true, true, 7, true, false, true, 1},
    {"logout: No, then typing: the close asks", true, true, 7, true, true, true, 2},
    {"logout: Yes saves and ends", true, true, 6, true, false, true, 1},
    {"logout: Yes, save cancelled", true, true, 6, false, false, false, 2},
};

// Steps (else typed: "\t" Tab, "\r" Enter, "\b" Backspace); the text, caret,
// indent level and last key they leave; the text after one undo, if given.
struct IndentRow {
    const char* name;
    QStringList steps;
    QByteArray text;
    int caret, level, lastKey;
    QByteArray undone = {};
};
const int enter = keyCodeEnter, bs = keyCodeBackspace;
const IndentRow indentRows[] = {
    {"enter at the end", {"a\t\tb\r"}, "a\t\tb\n\t\t", 7, 2, enter, "a\t\tb\n"},
    {"enter in the middle, Tabs at the very end", {"\txy", "left", "\r"}, "\tx\ny\t", 5, 1, enter},
    {"keypad Enter is Enter", {"\ta", "keypad"}, "\ta\n\t", 4, 1, enter},
    {"backspaces after enter lower the level once", {"\t\ta\r\b\b"}, "\t\ta\n", 4, 1, bs},
    {"backspace after enter at level 0", {"a\r\b"}, "a", 1, 0, bs},
    {"shift between enter and backspace", {"\ta\r", "shift", "\b"}, "\ta\n", 3, 1, bs},
    {"Tab over a selection", {"ab\rcd", "all", "\t"}, "\t", 1, 1, keyCodeTab},
    {"caret moved by keyboard keeps", {"\t\tx\r", "left"}, "\t\tx\n\t\t", 5, 2, Qt::Key_Left},
    {"click resets", {"\t\tx\r", "click"}, "\t\tx\n\t\t", 0, 0, 0},
    {"completed Open resets", {"\t\tx\r", "open"}, "class Hello {}\n", 0, 0, 0},
    {"Open that ends early keeps", {"\t\tx\r", "cancelled"}, "\t\tx\n\t\t", 6, 2, enter},
    {"New keeps", {"\t\tx\r", "new"}, "", 0, 2, enter},
};

// A command on "hello world", selected from anchor to caret, with the
// program's clipboard; what it leaves.
struct EditRow {
    const char *name, *command, *clipBefore, *text, *clip;
    int anchor, caret, anchorAfter, caretAfter;
};
const EditRow editRows[] = {
    {"copy with nothing selected empties", "edcopy", "old", "hello world", "", 3, 3, 3, 3},
    {"copy", "edcopy", "mine", "hello world", "world", 6, 11, 6, 11},
    {"cut", "edcut", "mine", "hello ", "world", 6, 11, 6, 6},
    {"paste before any copy removes", "edpaste", "", "world", "", 0, 6, 0, 0},
    {"paste", "edpaste", "mine", "hello mine", "mine", 6, 11, 10, 10},
    {"pasted Tabs raise no level", "edpaste", "\t\t", "hello \t\t", "\t\t", 6, 11, 8, 8},
    {"delete, the clipboard kept", "eddel", "old", "hello", "old", 5, 11, 5, 5},
};

// Every event a screen reader is given, as "kind offset text".
QStringList told;
void record(QAccessibleEvent* event) {
    if (auto* i = dynamic_cast<QAccessibleTextInsertEvent*>(event))
        told << QStringLiteral("insert %1 ").arg(i->changePosition()) + i->textInserted();
    else if (auto* r = dynamic_cast<QAccessibleTextRemoveEvent*>(event))
        told << QStringLiteral("remove %1 ").arg(r->changePosition()) + r->textRemoved();
    else if (auto* u = dynamic_cast<QAccessibleTextUpdateEvent*>(event))
        told << QStringLiteral("update %1 ").arg(u->changePosition()) + u->textRemoved() + '>' +
                    u->textInserted();
    else if (auto* s = dynamic_cast<QAccessibleTextSelectionEvent*>(event))
        told << QStringLiteral("selection %1 %2").arg(s->selectionStart()).arg(s->selectionEnd());
    else if (auto* c = dynamic_cast<QAccessibleTextCursorEvent*>(event))
        told << QStringLiteral("caret %1").arg(c->cursorPosition());
}
void listening(bool on) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
}
// As a keyboard beyond ASCII sends it.
void typeKeys(QWidget* widget, const QString& text) {
    for (const char32_t c : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
}
// UTF-8 that the single-byte code page also reads: CR LF, letters of two
// bytes, one beyond the first plane, a byte that starts no character.
const QByteArray sample = "ab\r\nGr\xc3\xbc\xc3\x9f"
                          "e \xf0\x9f\x98\x80\n\xff"
                          "z";

QString selection(Text1& text) {
    return QStringLiteral("%1-%2").arg(text.anchorPosition()).arg(text.caretPosition());
}
long pointX(Text1& text, long position) {
    return text.SendScintilla(S::SCI_POINTXFROMPOSITION, 0UL, position);
}
// Whether columns of a text line (0 at the top) hold ink.
bool inkIn(Text1& text, int left, int right, int line = 0) {
    const int height = int(text.SendScintilla(S::SCI_TEXTHEIGHT, 0UL));
    const QRect region(QPoint(left, line * height), QPoint(right, line * height + height - 1));
    return legibilityIn(text.viewport()->grab().toImage(), region).inkPixels > 0;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::installUpdateHandler(record); }

    void startsWithInitialState() {
        Editor e;
        QCOMPARE(e.form.windowTitle(), QStringLiteral("Untitled - Tarnwick"));
        QCOMPARE(e.text().fontFamily(), QStringLiteral("DejaVu Sans")); // for "MS Sans Serif"
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 255, 255));
        QVERIFY(!e.text().foregroundColour() && !e.text().autoIndent() && e.state().isSaved);
        // The text area fills what the menu bar leaves, unless nothing is left.
        QCOMPARE(text1SizeFor(QSize(1, 1), QSize(5, 5)), QSize(1, 1));
        QCOMPARE(text1SizeFor(QSize(0, 3), QSize(5, 5)), QSize(5, 5));
        QCOMPARE(text1SizeFor(QSize(3, 0), QSize(5, 5)), QSize(5, 5));
        e.form.show();
        e.form.resize(700, 500);
        QTRY_COMPARE(e.text().geometry(), e.form.centralWidget()->rect());
    }

    // Menu, command, caption with its underlined letter, and shortcut, in order.
    void menuBarMatchesTable() {
        Editor e;
        QStringList bar;
        for (QAction* top : e.form.menuBar()->actions())
            for (QAction* item : top->menu() ? top->menu()->actions() : QList{top}) {
                QVERIFY(item->isEnabled() && item->isVisible());
                QCOMPARE(e.form.action(item->objectName()), item);
                bar << (top->menu() ? top->text() : QString()) + '|' + item->objectName() + '|' +
                           item->text() + '|' + item->shortcut().toString();
            }
        QCOMPARE(bar.join(' '),
                 QStringLiteral(
                     "&File|new|&New|Ctrl+N &File|open|&Open|Ctrl+O &File|saveim|&Save|Ctrl+S "
                     "&File|save|Save &As| &File|exit|E&xit|Ctrl+X &Edit|edcut|Cu&t|Shift+Del "
                     "&Edit|edcopy|&Copy|Ctrl+Ins &Edit|edpaste|&Paste|Shift+Ins "
                     "&Edit|eddel|&Delete| |font|F&ont....| &Run|compile|&Compile|F9 "
                     "&Run|exec|&Execute|Ctrl+F9 &Run|comlne|Command &Line|F5 "
                     "&Run|compro|Command &Prompt|F7 &Run|ncomp|&Normal Compile|Ctrl+F5 "
                     "&Run|nexec|Normal E&xecute|Ctrl+F7 &Help|About|&About| "
                     "&Help|Condi|&Conditions|"));
    }

    // Runs the one command and types nothing, even where the text area has
    // a binding of its own for the key.
    void keyboardReachesEveryMenu_data() { addRows(keyRows); }
    void keyboardReachesEveryMenu() {
        const KeyRow& r = row(keyRows);
        Editor e;
        QVERIFY(e.showActive());
        e.type("selected text");
        e.text().setSelectionRange(0, 8);
        e.state().isSaved = true;
        e.platform.saveAnswers.push_back(std::nullopt);
        QGuiApplication::clipboard()->setText(QStringLiteral("outside"));
        QStringList ran;
        for (QAction* action : e.form.findChildren<QAction*>())
            if (e.form.action(action->objectName()) == action)
                connect(action, &QAction::triggered, this,
                        [&ran, action] { ran << action->objectName(); });
        QTest::keyClick(&e.text(), r.key, r.modifiers);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QCOMPARE(popup ? popup->objectName() : QString(), QString(r.menu));
        if (popup)
            QTest::keyClick(popup, r.letter);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(ran.join(' '), QString(r.command));
        QCOMPARE(e.text().bytes() + QGuiApplication::clipboard()->text().toUtf8(),
                 "selected textoutside");
    }

    // Cancel, or a save that did not happen, keeps the window or the
    // session; agreeing to end without saving also answers the close after
    // it, until the text changes.
    void closeAsksAboutUnsavedText_data() { addRows(questionRows); }
    void closeAsksAboutUnsavedText() {
        const QuestionRow& r = row(questionRows);
        Folder folder;
        Editor e;
        e.form.show();
        QSignalSpy saves(&e.form, &Form1::savedChanged); // what the logout inhibitor follows
        if (r.dirty)
            e.type("unsaved");
        if (r.answer)
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        e.platform.saveAnswers.push_back(
            r.saveSucceeds ? std::optional(FakePlatform::choose(folder.filePath("S.java")))
                           : std::nullopt);
        QTRY_COMPARE(saves.count(), int(r.dirty));
        if (r.logout) {
            QCOMPARE(e.form.sessionMayEnd(), r.ends);
            QCOMPARE(saves.count(), int(r.dirty) + int(r.answer == 6 && r.saveSucceeds));
            if (r.typeAfter)
                e.type("+");
            e.platform.messageAnswers.push_back(MsgAnswer::No);
        }
        e.form.exit();
        QCOMPARE(e.form.isVisible(), !r.ends && !r.logout);
        QCOMPARE(readBytes("S.java"), r.answer == 6 && r.saveSucceeds ? "unsaved" : "(absent)");
        const PlatformCall question{"messageBox", "Do you want to save the changes",
                                    "File not saved", 3};
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(r.questions, question));
    }

    void indentation_data() { addRows(indentRows); }
    void indentation() {
        const IndentRow& r = row(indentRows);
        Folder folder;
        QVERIFY(writeBytes("Hello.java", "class Hello {}\n"));
        Editor e;
        QVERIFY(e.showActive());
        Text1* text = &e.text();
        e.state().clipText = "kept";
        e.platform.messageAnswers = {MsgAnswer::No};
        e.platform.openAnswers = {std::nullopt};
        for (const QString& step : r.steps) {
            if (step == "left" || step == "shift" || step == "keypad")
                QTest::keyClick(text,
                                step == "left"    ? Qt::Key_Left
                                : step == "shift" ? Qt::Key_Shift
                                                  : Qt::Key_Enter,
                                step == "keypad" ? Qt::KeypadModifier : Qt::NoModifier);
            else if (step == "click")
                QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            else if (step == "all")
                text->selectAll();
            else if (step == "new")
                e.form.new_();
            else if (step == "cancelled")
                e.form.open();
            else if (step == "open")
                e.open(folder.filePath("Hello.java"));
            else
                QTest::keyClicks(text, step);
        }
        QCOMPARE(text->bytes(), r.text);
        QCOMPARE(selection(*text), QStringLiteral("%1-%1").arg(r.caret));
        QCOMPARE(QList<int>({e.state().indentLevel, e.state().lastKeyCode}),
                 QList<int>({r.level, r.lastKey}));
        QCOMPARE(e.state().clipText, "kept"); // survives New and Open
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(r.undone.isNull() || text->bytes() == r.undone);
    }

    // The system clipboard is never touched; one undo step restores.
    void editCommands_data() { addRows(editRows); }
    void editCommands() {
        const EditRow& r = row(editRows);
        Editor e;
        QVERIFY(e.showActive());
        QGuiApplication::clipboard()->setText(QStringLiteral("system"));
        e.type("hello world");
        e.text().clearUndoHistory();
        e.state().clipText = r.clipBefore;
        e.text().setSelectionRange(r.anchor, r.caret);
        e.form.action(r.command)->trigger();
        QCOMPARE(e.text().bytes(), r.text);
        QCOMPARE(e.state().clipText + '|' + selection(e.text()).toUtf8(),
                 r.clip + QByteArray("|") + QByteArray::number(r.anchorAfter) + '-' +
                     QByteArray::number(r.caretAfter));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("system"));
        QCOMPARE(e.state().isSaved, e.text().bytes() == "hello world");
        QVERIFY(e.platform.calls.isEmpty() && e.state().indentLevel == 0);
        QTest::keyClick(&e.text(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e.text().bytes(), QByteArray("hello world"));
    }

    // Ctrl+V in a single-byte locale: a text the character set holds goes
    // in as its bytes; one it does not is not pasted, rather than with "?".
    void desktopPasteInASingleByteCodePage() {
        for (const auto& [charset, paste, text] :
             {std::tuple{"", u"caf\u00e9", "x caf\xe9"},
              {"", u"\u041f\u0440\u0438", "x "},
              {"KOI8-R", u"\u041f\u0440\u0438", "x \xf0\xd2\xc9"}}) {
            Editor e;
            QVERIFY(e.showActive());
            useSingleByteCharset(*charset ? charset : nullptr);
            e.type("x ");
            e.text().setSelectionRange(2, 2);
            QGuiApplication::clipboard()->setText(QString::fromUtf16(paste));
            QTest::keyClick(&e.text(), Qt::Key_V, Qt::ControlModifier);
            useSingleByteCharset(nullptr);
            QCOMPARE(e.text().bytes(), QByteArray(text));
        }
    }

    void pasteThatDoesNotFitChangesNothing() {
        for (const auto& [size, limited, reason] :
             {std::tuple{Text1::largestDocument - 5, false,
                         "The text would grow larger than 2 GiB, the most the editor can hold"},
              {qint64(512 << 20), true, "Not enough memory"}}) {
            if (limited && !canLimitMemory)
                continue; // a sanitizer's allocator never fails under a limit
            // Untouched anonymous memory reads as zeros and costs nothing.
            void* zeros =
                mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            const auto unmap = qScopeGuard([&] { munmap(zeros, size_t(size)); });
            Editor e;
            e.type("hello world");
            e.state().clipText = QByteArray::fromRawData(static_cast<const char*>(zeros), size);
            e.text().setSelectionRange(6, 11);
            {
                std::optional<MemoryLimit> limit;
                QVERIFY(!limited || limit.emplace(128 << 20).active());
                e.form.action(QStringLiteral("edpaste"))->trigger();
            }
            e.state().clipText.clear();
            QCOMPARE(e.platform.calls,
                     (QList<PlatformCall>{
                         {"messageBox", QStringLiteral("The text could not be pasted\r") + reason,
                          "Can't paste", 64}}));
            QCOMPARE(e.text().bytes() + selection(e.text()).toUtf8(), "hello world6-11");
            QVERIFY(e.state().isSaved);
        }
    }

    // "AV" and "Te" are kerned: measured one way and drawn another, sixty
    // pairs put the caret far off the last glyph; accented letters are
    // measured by a layout of the segment.
    void caretEndsWhereTheTextIsDrawn() {
        for (const QByteArray& pairs : {QByteArray("AVTe"), QByteArray("AV\xc3\xa9Te")}) {
            Editor e(CodePage::Utf8);
            e.form.resize(2400, 300);
            QVERIFY(e.showActive());
            e.text().setFontPointSize(12);
            e.type(pairs.repeated(30));
            QTest::qWait(50);
            const int end = int(pointX(e.text(), e.text().byteLength()));
            QVERIFY2(inkIn(e.text(), end - 3, end + 3) && !inkIn(e.text(), end + 4, end + 200),
                     qPrintable(QString::number(end)));
        }
    }

    // A long line typed at its end, and edited anywhere: scrolled to, drawn,
    // and every character where a fresh layout of the same text puts it,
    // across the 4096-byte steps the line is looked at in.
    void longLineEditsLaidOutAsNew() {
        const QByteArray line =
            QByteArray("int a;\tb = \"\xc3\xa9t\xc3\xa9\"; ").repeated(1600);
        for (const auto& [text, at, key] :
             {std::tuple{line, 32000L, Qt::Key_X},
              {line, 20001L, Qt::Key_X},
              {line, 5L, Qt::Key_Tab},
              {line, 20001L, Qt::Key_Backspace},
              {"a" + QByteArray("\xc3\xa9").repeated(2500), 5001L, Qt::Key_X},
              {QByteArray("{\"key\": [1, 2]}, ").repeated(1 << 16), long(17 << 16), Qt::Key_X},
              {QByteArray("abcdefghijklmnop").repeated(1 << 16), long(1 << 20), Qt::Key_X}}) {
            Editor edited(CodePage::Utf8), fresh(CodePage::Utf8);
            QVERIFY(edited.showActive());
            edited.type(text + "\nclass B {}\n");
            edited.text().setSelectionRange(at, at);
            QTest::qWait(20);
            QVERIFY(pointX(edited.text(), at) >= 0 &&
                    pointX(edited.text(), at) < edited.text().viewport()->width());
            QTest::keyClick(&edited.text(), key);
            QTest::qWait(20);
            QVERIFY(inkIn(edited.text(), 0, edited.text().viewport()->width()));
            const QByteArray bytes = edited.text().bytes();
            QVERIFY2(key == Qt::Key_Backspace || bytes == text.left(at) +
                                                             (key == Qt::Key_X ? "x" : "\t") +
                                                             text.mid(at) + "\nclass B {}\n", qPrintable(QString::number(at) + " " + QString::number(bytes.size()) + " " + QString::number(text.size()) + bytes.mid(at - 3, 10).toPercentEncoding()));
            // One character's width from each to the next, across a step too.
            for (long p = 4084; text.startsWith("a\xc3") && p < 4108; p += 2)
                QVERIFY(qAbs(2 * pointX(edited.text(), p + 2) - pointX(edited.text(), p) -
                             pointX(edited.text(), p + 4)) <= 2);
            QVERIFY(fresh.showActive());
            fresh.type(bytes);
            fresh.text().setSelectionRange(at, at);
            QTest::qWait(20);
            for (long p = qMax(0L, at - 5000); p < qMin(at + 5000, long(text.size())); p += 37) {
                while ((uchar(bytes[qsizetype(p)]) & 0xc0) == 0x80)
                    ++p;
                QCOMPARE(pointX(edited.text(), p) - pointX(edited.text(), at),
                         pointX(fresh.text(), p) - pointX(fresh.text(), at));
            }
        }
    }

    // The text interface reads the document as the screen shows it, in
    // offsets, and edits it in the code page's bytes: what the code page
    // cannot hold changes nothing. Then one event per change, at the offset
    // the reader counts in; none, and no line index kept, while no reader
    // listens.
    void screenReader() {
        for (const bool utf8 : {true, false}) {
            const QString shown =
                utf8 ? QString::fromUtf8("ab\r\nGr\u00fc\u00dfe \U0001F600\n\ufffdz")
                     : QString::fromLatin1(sample);
            Folder folder;
            QVERIFY(writeBytes("Sample.java", sample));
            Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
            e.open(folder.filePath("Sample.java"));
            listening(true);
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&e.text());
            QVERIFY(accessible && accessible->state().multiLine && accessible->state().editable);
            QAccessibleTextInterface* text = accessible->textInterface();
            const int g = int(shown.indexOf('G')), space = int(shown.indexOf(' '));
            const int lineEnd = int(shown.indexOf('\n', g)) + 1;
            int from = 0, to = 0;
            const auto got = [&](const QString& seen) {
                return seen + QStringLiteral("|%1-%2").arg(from).arg(to);
            };
            const auto at = [](int a, int b, const QString& seen) {
                return seen + QStringLiteral("|%1-%2").arg(a).arg(b);
            };
            QCOMPARE(QStringList(
                         {text->text(0, text->characterCount()), text->text(g, space),
                          got(text->textAtOffset(g + 1, QAccessible::LineBoundary, &from, &to)),
                          got(text->textBeforeOffset(g + 1, QAccessible::LineBoundary, &from, &to)),
                          text->textAfterOffset(g, QAccessible::LineBoundary, &from, &to),
                          got(text->textAtOffset(g + 2, QAccessible::WordBoundary, &from, &to)),
                          text->textAfterOffset(g, QAccessible::WordBoundary, &from, &to),
                          text->textAtOffset(space + 1, QAccessible::CharBoundary, &from, &to),
                          text->textBeforeOffset(1, QAccessible::CharBoundary, &from, &to),
                          text->textAtOffset(shown.size(), QAccessible::CharBoundary, &from, &to)}),
                     QStringList({shown, shown.mid(g, space - g),
                                  at(g, lineEnd, shown.mid(g, lineEnd - g)), "ab\r\n|0-4",
                                  shown.mid(lineEnd), at(g, space, shown.mid(g, space - g)), " ",
                                  shown.mid(space + 1, utf8 ? 2 : 1), "a", ""}));
            text->setCursorPosition(lineEnd - 1);
            QCOMPARE(text->cursorPosition(), lineEnd - 1);
            QCOMPARE(e.text().caretPosition(), long(sample.indexOf('\n', 4)));
            text->setSelection(0, g, space);
            text->selection(0, &from, &to);
            QCOMPARE(got(e.text().selectedBytes()), at(g, space,
                                                       "Gr\xc3\xbc\xc3\x9f"
                                                       "e"));
            QCOMPARE(text->selectionCount(), 1);
            accessible->editableTextInterface()->replaceText(g, space,
                                                             QStringLiteral("\u00e9\u041f"));
            accessible->editableTextInterface()->insertText(0, QStringLiteral("\u00e9"));
            accessible->editableTextInterface()->deleteText(1, 2);
            QCOMPARE(e.text().bytes(), utf8 ? "\xc3\xa9"
                                              "b\r\n\xc3\xa9\xd0\x9f" +
                                                  sample.mid(11)
                                            : "\xe9" + sample.mid(1));
            e.state().isSaved = true;
            e.open(folder.filePath("Sample.java"));
            QVERIFY(e.showActive());
            QTest::keyClick(&e.text(), Qt::Key_End, Qt::ControlModifier);
            told.clear();
            typeKeys(&e.text(), QStringLiteral("\u00e9\u20ac")); // no euro in the code page
            for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                                 {Qt::Key_Backspace, Qt::NoModifier},
                                                 {Qt::Key_Home, Qt::ControlModifier},
                                                 {Qt::Key_End, Qt::ControlModifier}})
                QTest::keyClick(&e.text(), key, modifiers);
            // A selection replaced by a paste: one removal and one insertion.
            e.state().clipText = "xy";
            e.text().setSelectionRange(0, 2);
            editing::edpaste(e.state(), e.text(), e.platform);
            const int n = utf8 ? 15 : 19, m = n + (utf8 ? 2 : 1);
            QCOMPARE(
                told.join('|'),
                QStringLiteral("insert %1 \u00e9|caret %2|").arg(n).arg(n + 1) +
                    (utf8 ? QStringLiteral("insert 16 \u20ac|caret 17|") : QString()) +
                    QStringLiteral("insert %1 \r\n|caret %2|remove %1 \r\n|caret %1|caret 0|caret "
                                   "%1|selection 0 2|caret 2|insert 2 xy|remove 0 ab|selection 2 2")
                        .arg(m)
                        .arg(m + 2));
            told.clear();
            e.state().isSaved = true;
            e.form.new_(); // the whole change at once
            QVERIFY(told.size() == 2 && told[0].startsWith("update 0 xy") && told[1] == "caret 0");
            listening(false);
            typeKeys(&e.text(), QStringLiteral("abc"));
            QCOMPARE(told.size(), 2);
            QCOMPARE(e.text().SendScintilla(S::SCI_GETLINECHARACTERINDEX), 0L);
            listening(true);
            QCOMPARE(e.text().SendScintilla(S::SCI_GETLINECHARACTERINDEX),
                     utf8 ? long(S::SC_LINECHARACTERINDEX_UTF16) : 0L);
        }
    }

    // The reader's text and Scintilla's line index count the same characters,
    // whatever the bytes: otherwise every offset after an odd byte is off.
    void offsetsAgreeWithTheDocument() {
        Editor e(CodePage::Utf8);
        Text1& t = e.text();
        // Cut short; overlong and surrogates; past U+10FFFF and stray trail bytes; valid.
        for (const char* bytes :
             {"a\xc3\r\n\xe2\x82\n\xf0\x9f\x98", "\xc0\xaf\xe0\x80\xaf\xed\xa0\x80",
              "\xf4\x90\x80\x80\x80\xbf\xf8\xff",
              "\xf0\x9f\x98\x80\xef\xbf\xbd\xf4\x8f\xbf\xbd\xc3\xa9"}) {
            t.clearDocument();
            t.appendBytes(bytes + QByteArray("\n") + bytes);
            QCOMPARE(t.characterCount(), t.readableText(0, long(t.byteLength())).size());
            for (long p = 0; p <= long(t.byteLength());
                 p = long(t.SendScintilla(S::SCI_POSITIONAFTER, p)) + (p == long(t.byteLength()))) {
                QCOMPARE(t.offsetAt(p), t.readableText(0, p).size());
                QCOMPARE(t.positionAt(t.offsetAt(p)), p);
            }
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
