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
// ("ab cd" after a command on a selection); a paste that does not fit,
// of a clipboard of untouched memory, changes nothing. The desktop's clipboard is
// never touched; in a single-byte code page a text its character set lacks
// is not pasted from it at all, rather than with "?".
struct EditRow {
    const char* name;
    QStringList steps;
    const char* left;
    int lastKey = 0;
    const char* message = nullptr; // why a paste failed
    QByteArray undone = {};
};
const int enter = keyCodeEnter, bs = keyCodeBackspace, ctrl = Qt::Key_Control;
const char *const noMemory = "Not enough memory",
                  *const tooLarge =
                      "The text would grow larger than 2 GiB, the most the editor can hold";
const EditRow editRows[] = {
    {"enter at the end", {"a\t\tb\r"}, "a\t\tb\n\t\t|kept|7-7|2|0", enter, {}, "a\t\tb\n"},
    {"enter mid-line: Tabs at the end", {"\txy", "Left", "\r"}, "\tx\ny\t|kept|5-5|1|0", enter},
    {"keypad Enter is Enter", {"\ta", "Num+Enter"}, "\ta\n\t|kept|4-4|1|0", enter},
    {"backspaces after enter: one level less", {"\t\ta\r\b\b"}, "\t\ta\n|kept|4-4|1|0", bs},
    {"backspace after enter at level 0", {"a\r\b"}, "a|kept|1-1|0|0", bs},
    {"shift between enter and backspace", {"\ta\r", "Shift", "\b"}, "\ta\n|kept|3-3|1|0", bs},
    {"Tab over a selection", {"ab\rcd", "all", "\t"}, "\t|kept|1-1|1|0", keyCodeTab},
    {"caret keys keep", {"\t\tx\r", "Left"}, "\t\tx\n\t\t|kept|5-5|2|0", Qt::Key_Left},
    {"click resets", {"\t\tx\r", "click"}, "\t\tx\n\t\t|kept|0-0|0|0"},
    {"completed Open resets", {"\t\tx\r", "open"}, "class Hello {}\n|kept|0-0|0|1"},
    {"Open that ends early keeps", {"\t\tx\r", "cancelled"}, "\t\tx\n\t\t|kept|6-6|2|0", enter},
    {"New keeps", {"\t\tx\r", "new"}, "|kept|0-0|2|1", enter},
    {"copy of nothing empties", {"sel 1 1", "edcopy"}, "ab cd||1-1|0|1"},
    {"copy", {"sel 3 5", "edcopy"}, "ab cd|cd|3-5|0|1"},
    {"cut", {"sel 3 5", "edcut"}, "ab |cd|3-3|0|0"},
    {"paste before any copy removes", {"sel 0 3", "clip ", "edpaste"}, "cd||0-0|0|0"},
    {"paste", {"sel 3 5", "edpaste"}, "ab kept|kept|7-7|0|0"},
    {"pasted Tabs: no level", {"sel 3 5", "clip \t\t", "edpaste"}, "ab \t\t|\t\t|5-5|0|0"},
    {"delete, the clipboard kept", {"sel 2 5", "eddel"}, "ab|kept|2-2|0|0"},
    {"paste past 2 GiB", {"sel 3 5", "huge", "edpaste"}, "ab cd|huge|3-5|0|1", 0, tooLarge},
    {"no memory", {"sel 3 5", "big", "limit", "edpaste"}, "ab cd|huge|3-5|0|1", 0, noMemory},
    {"desktop's Latin-1", {"sel 3 5", "desk caf\u00e9", "Ctrl+V"}, "ab caf\xe9|kept|7-7|0|0", ctrl},
    {"desktop's Cyrillic", {"sel 3 5", "desk \u041f", "Ctrl+V"}, "ab cd|kept|3-5|0|1", ctrl},
};

// Untouched anonymous memory reads as zeros and costs nothing.
const char* const zeros = static_cast<const char*>(
    mmap(nullptr, size_t(Text1::largestDocument), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));

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
                QVERIFY(item->isEnabled() && item->isVisible() &&
                        e.form.action(item->objectName()) == item);
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
        if (r.dirty)
            e.type("unsaved");
        if (r.answer)
            e.platform.messageAnswers.push_back(MsgAnswer(r.answer));
        const QString path = folder.filePath("S.java");
        e.platform.saveAnswers.push_back(r.saveSucceeds ? std::optional(FakePlatform::choose(path))
                                                        : std::nullopt);
        const bool saved = r.answer == 6 && r.saveSucceeds;
        if (r.logout) {
            QCOMPARE(e.form.sessionMayEnd(), r.ends);
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
        std::optional<MemoryLimit> limit;
        for (const QString& step : r.steps) {
            const QString arg = step.section(' ', 1);
            if (step == "limit" && !canLimitMemory)
                QSKIP("a sanitizer's allocator never fails under a limit");
            if (step == "huge" || step == "big")
                e.state().clipText = QByteArray::fromRawData(
                    zeros, step == "big" ? 512 << 20 : Text1::largestDocument - 2);
            else if (step == "limit")
                QVERIFY(limit.emplace(128 << 20).active());
            else if (step.startsWith("sel ")) // in a document as opened, "ab cd"
                e.type("ab cd"), text.clearUndoHistory(),
                    e.state().isSaved = true,
                    text.setSelectionRange(step.mid(4, 1).toLong(), step.mid(6).toLong());
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
        limit.reset();
        const PlatformCall failed{
            "messageBox", "The text could not be pasted\r" + QString(r.message), "Can't paste", 64};
        QVERIFY(!r.message || e.platform.calls == QList<PlatformCall>{failed});
        QCOMPARE(text.bytes() + '|' +
                     (e.state().clipText.size() > 99 ? "huge" : e.state().clipText) + '|' +
                     selection(text) + '|' + QByteArray::number(e.state().indentLevel) +
                     (e.state().isSaved ? "|1" : "|0"),
                 r.left);
        QCOMPARE(e.state().lastKeyCode, r.lastKey);
        QCOMPARE(QGuiApplication::clipboard()->text(), desktop);
        QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text.bytes(), r.steps[0].startsWith("sel") ? "ab cd"
                               : r.undone.isNull()          ? text.bytes()
                                                            : r.undone);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
