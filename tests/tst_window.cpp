// The main window offscreen: its menus, the unsaved-text question, the Edit
// commands and indentation, and the offsets a screen reader counts in.
#include "app/ClientFit.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/MemoryLimit.h"
#include "textarea/KeyCodes.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

#include <sys/mman.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// Asked on closing, or at a logout and then on the close that follows (No).
struct QuestionRow {
    const char* name;
    bool logout, dirty, saveSucceeds, typeAfter, ends;
    int answer, questions; // in all
};
const QuestionRow questionRows[] = {
    {"close: Cancel keeps it open", false, true, true, false, false, 2, 1},
    {"close: No closes", false, true, true, false, true, 7, 1},
    {"close: Yes saves and closes", false, true, true, false, true, 6, 1},
    {"close: Yes, save cancelled: stays", false, true, false, false, false, 6, 1},
    {"logout, saved: ends, nothing asked", true, false, true, false, true, 0, 0},
    {"logout: Cancel keeps the session", true, true, true, false, false, 2, 2},
    {"logout: No ends, the close asks nothing", true, true, true, false, true, 7, 1},
    {"logout: No, then typing: the close asks", true, true, true, true, true, 7, 2},
    {"logout: Yes saves and ends", true, true, true, false, true, 6, 1},
    {"logout: Yes, save cancelled", true, true, false, false, false, 6, 2},
};

// Steps on a fresh, focused window whose program clipboard holds "kept":
// those named in editing(), else typed ("\t" Tab, "\r" Enter, "\b" Backspace).
// What they leave: the text, the program's clipboard, anchor-caret, the
// indent level, 1 if saved; the last key; the text after one undo, if given
// ("hello world" after a document's command). The desktop's clipboard is
// never touched; in a single-byte code page a text its character set lacks
// is not pasted from it at all, rather than with "?".
struct EditRow {
    const char* name;
    QStringList steps;
    const char* left;
    int lastKey = 0;
    QByteArray undone = {};
};
const int enter = keyCodeEnter, bs = keyCodeBackspace;
const EditRow editRows[] = {
    {"enter at the end", {"a\t\tb\r"}, "a\t\tb\n\t\t|kept|7-7|2|0", enter, "a\t\tb\n"},
    {"enter in the middle, Tabs at the end",
     {"\txy", "Left", "\r"},
     "\tx\ny\t|kept|5-5|1|0",
     enter},
    {"keypad Enter is Enter", {"\ta", "Num+Enter"}, "\ta\n\t|kept|4-4|1|0", enter},
    {"backspaces after enter: one level less", {"\t\ta\r\b\b"}, "\t\ta\n|kept|4-4|1|0", bs},
    {"backspace after enter at level 0", {"a\r\b"}, "a|kept|1-1|0|0", bs},
    {"shift between enter and backspace", {"\ta\r", "Shift", "\b"}, "\ta\n|kept|3-3|1|0", bs},
    {"Tab over a selection", {"ab\rcd", "all", "\t"}, "\t|kept|1-1|1|0", keyCodeTab},
    {"caret moved by keyboard keeps",
     {"\t\tx\r", "Left"},
     "\t\tx\n\t\t|kept|5-5|2|0",
     Qt::Key_Left},
    {"click resets", {"\t\tx\r", "click"}, "\t\tx\n\t\t|kept|0-0|0|0"},
    {"completed Open resets", {"\t\tx\r", "open"}, "class Hello {}\n|kept|0-0|0|1"},
    {"Open that ends early keeps", {"\t\tx\r", "cancelled"}, "\t\tx\n\t\t|kept|6-6|2|0", enter},
    {"New keeps", {"\t\tx\r", "new"}, "|kept|0-0|2|1", enter},
    {"copy of nothing empties", {"hello", "sel 3 3", "edcopy"}, "hello world||3-3|0|1"},
    {"copy", {"hello", "sel 6 11", "edcopy"}, "hello world|world|6-11|0|1"},
    {"cut", {"hello", "sel 6 11", "edcut"}, "hello |world|6-6|0|0"},
    {"paste before any copy removes", {"hello", "clip ", "sel 0 6", "edpaste"}, "world||0-0|0|0"},
    {"paste", {"hello", "sel 6 11", "edpaste"}, "hello kept|kept|10-10|0|0"},
    {"pasted Tabs raise no level",
     {"hello", "clip \t\t", "sel 6 11", "edpaste"},
     "hello \t\t|\t\t|8-8|0|0"},
    {"delete, the clipboard kept", {"hello", "sel 5 11", "eddel"}, "hello|kept|5-5|0|0"},
    {"desktop's Latin-1",
     {"hello", "sel 6 11", "desk caf\u00e9", "Ctrl+V"},
     "hello caf\xe9|kept|10-10|0|0",
     Qt::Key_Control},
    {"desktop's Cyrillic",
     {"hello", "sel 6 11", "desk \u041f\u0440\u0438", "Ctrl+V"},
     "hello world|kept|6-11|0|1",
     Qt::Key_Control},
};

QByteArray selection(Text1& text) {
    return QByteArray::number(text.anchorPosition()) + '-' +
           QByteArray::number(text.caretPosition());
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
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
        QVERIFY(e.showActive());
        e.form.resize(700, 500);
        QTRY_COMPARE(e.text().geometry(), e.form.centralWidget()->rect());
        // Alt and a letter that no menu has types nothing (the menus' own
        // letters are in the table below, and end to end).
        QTest::keyClick(&e.text(), Qt::Key_Q, Qt::AltModifier);
        QVERIFY(e.text().bytes().isEmpty() && !QApplication::activePopupWidget());
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
                 "&File|new|&New|Ctrl+N &File|open|&Open|Ctrl+O &File|saveim|&Save|Ctrl+S "
                 "&File|save|Save &As| &File|exit|E&xit|Ctrl+X &Edit|edcut|Cu&t|Shift+Del "
                 "&Edit|edcopy|&Copy|Ctrl+Ins &Edit|edpaste|&Paste|Shift+Ins &Edit|eddel|&Delete| "
                 "|font|F&ont....| &Run|compile|&Compile|F9 &Run|exec|&Execute|Ctrl+F9 "
                 "&Run|comlne|Command &Line|F5 &Run|compro|Command &Prompt|F7 "
                 "&Run|ncomp|&Normal Compile|Ctrl+F5 &Run|nexec|Normal E&xecute|Ctrl+F7 "
                 "&Help|About|&About| &Help|Condi|&Conditions|");
    }

    // Cancel, or a save that did not happen, keeps the window or the
    // session; agreeing to end without saving also answers the close after
    // it, until the text changes. The logout inhibitor follows savedChanged.
    void closeAsksAboutUnsavedText_data() { addRows(questionRows); }
    void closeAsksAboutUnsavedText() {
        const QuestionRow& r = row(questionRows);
        Folder folder;
        Editor e;
        e.form.show();
        QSignalSpy saves(&e.form, &Form1::savedChanged);
        if (r.dirty)
            e.type("unsaved");
        QTRY_COMPARE(saves.count(), int(r.dirty));
        if (r.answer)
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        const QString path = folder.filePath("S.java");
        e.platform.saveAnswers.push_back(r.saveSucceeds ? std::optional(FakePlatform::choose(path))
                                                        : std::nullopt);
        const bool saved = r.answer == 6 && r.saveSucceeds;
        if (r.logout) {
            QCOMPARE(e.form.sessionMayEnd(), r.ends);
            QCOMPARE(saves.count(), int(r.dirty) + int(saved));
            if (r.typeAfter)
                e.type("+");
            e.platform.messageAnswers.push_back(MsgAnswer::No);
        }
        e.form.exit();
        QCOMPARE(e.form.isVisible(), !r.ends && !r.logout);
        QCOMPARE(readBytes("S.java"), saved ? "unsaved" : "(absent)");
        const PlatformCall question{"messageBox", "Do you want to save the changes",
                                    "File not saved", 3};
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(r.questions, question));
    }

    void editing_data() { addRows(editRows); }
    void editing() {
        const EditRow& r = row(editRows);
        Folder folder;
        QVERIFY(writeBytes("Hello.java", "class Hello {}\n"));
        Editor e;
        QVERIFY(e.showActive());
        Text1& text = e.text();
        QString desktop = QStringLiteral("desk");
        QGuiApplication::clipboard()->setText(desktop);
        e.state().clipText = "kept";
        e.platform.messageAnswers = {MsgAnswer::No};
        for (const QString& step : r.steps) {
            const QString arg = step.section(' ', 1);
            if (step == "hello") // a document as opened
                e.type("hello world"), text.clearUndoHistory(), e.state().isSaved = true;
            else if (step.startsWith("sel "))
                text.setSelectionRange(arg.section(' ', 0, 0).toLong(),
                                       arg.section(' ', 1).toLong());
            else if (step.startsWith("clip "))
                e.state().clipText = arg.toUtf8();
            else if (step.startsWith("desk "))
                QGuiApplication::clipboard()->setText(desktop = arg);
            else if (step.startsWith("ed"))
                e.form.action(step)->trigger();
            else if (step == "click" || step == "Shift")
                step == "click"
                    ? QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, QPoint(5, 5))
                    : QTest::keyClick(&text, Qt::Key_Shift);
            else if (step == "all" || step == "new")
                step == "all" ? text.selectAll() : e.form.new_();
            else if (step == "open" || step == "cancelled")
                step == "open" ? e.open(folder.filePath("Hello.java"))
                               : (e.platform.openAnswers = {std::nullopt}, e.form.open());
            else if (step.contains('+') || step == "Left")
                QTest::keySequence(&text, QKeySequence(step));
            else
                QTest::keyClicks(&text, step);
        }
        QCOMPARE(text.bytes() + '|' + e.state().clipText + '|' + selection(text) + '|' +
                     QByteArray::number(e.state().indentLevel) + (e.state().isSaved ? "|1" : "|0"),
                 r.left);
        QCOMPARE(e.state().lastKeyCode, r.lastKey);
        QCOMPARE(QGuiApplication::clipboard()->text(), desktop);
        QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text.bytes(), r.steps[0] == "hello" ? "hello world"
                               : r.undone.isNull()   ? text.bytes()
                                                     : r.undone);
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
            e.state().isSaved = true;
            e.state().clipText = QByteArray::fromRawData(static_cast<const char*>(zeros), size);
            e.text().setSelectionRange(6, 11);
            {
                std::optional<MemoryLimit> limit;
                QVERIFY(!limited || limit.emplace(128 << 20).active());
                e.form.action(QStringLiteral("edpaste"))->trigger();
            }
            e.state().clipText.clear();
            const PlatformCall message{"messageBox",
                                       "The text could not be pasted\r" + QString(reason),
                                       "Can't paste", 64};
            QCOMPARE(e.platform.calls, QList<PlatformCall>{message});
            QCOMPARE(e.text().bytes() + selection(e.text()), "hello world6-11");
            QVERIFY(e.state().isSaved);
        }
    }

    // The reader's text and Scintilla's line index count the same characters,
    // whatever the bytes: otherwise every offset after an odd byte is off.
    void offsetsAgreeWithTheDocument() {
        Editor e(CodePage::Utf8);
        Text1& t = e.text();
        // Cut short; overlong and surrogates; past U+10FFFF, stray trail bytes; valid.
        for (const char* bytes :
             {"a\xc3\r\n\xe2\x82\n\xf0\x9f\x98", "\xc0\xaf\xe0\x80\xaf\xed\xa0\x80",
              "\xf4\x90\x80\x80\x80\xbf\xf8\xff",
              "\xf0\x9f\x98\x80\xef\xbf\xbd\xf4\x8f\xbf\xbd\xc3\xa9"}) {
            t.clearDocument();
            t.appendBytes(bytes + QByteArray("\n") + bytes);
            QCOMPARE(t.characterCount(), t.readableText(0, long(t.byteLength())).size());
            for (long p = 0, end = long(t.byteLength()); p <= end;
                 p = p < end ? long(t.SendScintilla(Text1::SCI_POSITIONAFTER, p)) : p + 1) {
                QCOMPARE(t.offsetAt(p), t.readableText(0, p).size());
                QCOMPARE(t.positionAt(t.offsetAt(p)), p);
            }
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
