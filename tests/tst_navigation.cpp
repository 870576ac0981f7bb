// The text area's own commands offscreen: the line-number margin, go to
// line, find and replace in the code page's bytes, the compile's marks, the
// keys and the context menu; and the script runner keeping what javac says.
#include "navigation/CompilerMessages.h"
#include "navigation/FindBox.h"
#include "navigation/NavigationCommands.h"
#include "platform/ReadableColours.h"
#include "support/Editor.h"
#include "support/Harness.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <Qsci/qscicommandset.h>

#include <sys/stat.h>

using namespace tarnwick;
using namespace tarnwick::test;
using namespace Qt::Literals::StringLiterals;
using S = QsciScintillaBase;

namespace {

const QString helpers = qEnvironmentVariable("TARNWICK_HELPER_DIR");

// An answer to Ctrl+G in "a\nb\nc\nd\ne", the caret at its end (9): where
// the caret is then, at the start of the line named.
const struct GoToRow {
    const char *name, *answer;
    long caret;
} goToRows[] = {
    {"a number", " 2 ", 2},
    {"javac's message pasted", "My 7 Files.java:3: error: ';' expected", 4},
    {"past the end: the last line", "99999999999", 8},
    {"0 names no line", "0", 9},
    {"Esc (empty) moves nothing", "", 9},
    {"no number", "Hello.java: error: x", 9},
};

// A request on a text: "c" match case, "w" whole word; the action from the
// selection `from`: next, previous, one or all replaced. What is left: the
// text, the selection, 1 if still saved, and for "all" the text after one undo.
const struct SearchRow {
    const char *name, *text, *find, *replacement, *flags, *action;
    int from;
    const char* left;
    bool utf8 = true;
} searchRows[] = {
    {"any case by default", "int Foo; foo", "FOO", "", "", "next", 0, "int Foo; foo|4-7|1"},
    {"match case", "int Foo; foo", "foo", "", "c", "next", 0, "int Foo; foo|9-12|1"},
    {"whole word", "food foo_ foo", "foo", "", "w", "next", 0, "food foo_ foo|10-13|1"},
    {"previous, round the start", "ab ab x", "ab", "", "", "previous", 0, "ab ab x|3-5|1"},
    {"not found: nothing moves", "ab", "x", "", "", "next", 1, "ab|1-1|1"},
    {"UTF-8 letters by their folding", "x \xc3\x9c y", "\u00fc", "", "", "next", 0,
     "x \xc3\x9c y|2-4|1"},
    {"single-byte letters by their folding", "\xc9t\xe9", "\u00e9", "", "", "next", 3,
     "\xc9t\xe9|0-1|1", false},
    {"replace: the selected match, then the next", "ab ab", "ab", "X", "", "one", 0, "X ab|2-4|0"},
    {"replace all: one undo step, broken bytes kept",
     "\xc3"
     "a.b\xff.\xe2\x82",
     ".", "::", "", "all", 0,
     "\xc3"
     "a::b\xff::\xe2\x82|8-8|0|\xc3"
     "a.b\xff.\xe2\x82"},
    {"replace all, none found: still saved", "abc", "x", "y", "", "all", 0, "abc|0-0|1|abc"},
    {"replacement the code page lacks", "a.b", ".", "\u0416", "", "all", 0, "a.b|0-0|1|a.b", false},
};

// What the runner keeps: the folder, NUL, javac's error output. The file the
// editor has open: /w/Hello.java. Each message kept as "LINE:e|w:TEXT".
const struct MessageRow {
    const char *name, *file;
    QByteArray record;
    const char* marks;
} messageRows[] = {
    {"this file, its source lines left out", "/w/Hello.java",
     "/w\0Hello.java:3: error: ';' expected\n  int a\n       ^\n1 error\n"_ba,
     "3:e:error: ';' expected"},
    {"another file, the same name elsewhere", "/w/Hello.java",
     "/w\0Other.java:3: error: x\n../v/Hello.java:4: error: y\n"_ba, ""},
    {"a path with spaces, absolute or not", "/a b/My Hello.java",
     "/a b\0My Hello.java:12: error: x: y\r\n/a b/My Hello.java:2: error: z\r\n"_ba,
     "12:e:error: x: y 2:e:error: z"},
    {"warnings", "/w/Hello.java", "/w\0Hello.java:5: warning: [removal] x\n"_ba,
     "5:w:warning: [removal] x"},
    {"no line", "/w/Hello.java", "/w\0error: file not found: Hello.java\nHello.java: error: x\n"_ba,
     ""},
};

// Hello.java of six lines marked from "Hello.java:3: error" and ":5:
// warning", then a step: what is marked ("LINE e|w", from 0), and the line
// F8 reaches from the top and Shift+F8 from there.
const struct MarkRow {
    const char *name, *step, *marks;
    int next, previous;
} markRows[] = {
    {"marked on activation; F8 and Shift+F8 go round", "", "2e 4w", 2, 4},
    {"marks move with their lines", "insert", "4e 6w", 4, 6},
    {"marks stay through Replace All", "replace", "2e 4w", 2, 4},
    {"New clears", "new", "", 0, 0},
    {"Open clears; the same messages are not read again", "open", "", 0, 0},
    {"Compile clears", "compile", "", 0, 0},
    {"a compile of another file clears", "other", "", 0, 0},
};

// The runner given a script whose compiler line writes to both outputs:
// the kept record's mode and bytes ({dir} the folder it ran in), what the
// console showed on its error output, and whether a planted link's target
// stayed untouched.
const struct KeepRow {
    const char *name, *line, *folderMode;
    QByteArray kept;
} keepRows[] = {
    {"javac's error output, mode 600, a planted link replaced", "javac Hello.java", "700",
     "600 {dir}\0Hello.java:3: error: x\n"_ba},
    {"not a compiler line: nothing kept", "sh bin/javac", "700", "(absent)"},
    {"a folder others may enter: nothing kept", "javac Hello.java", "755", "(absent)"},
};

QString marksOf(Text1& text) {
    QStringList marks;
    for (const Text1::LineMark& mark : text.lineMarks())
        marks << QString::number(mark.line) + (mark.warning ? "w" : "e");
    return marks.join(' ');
}

long marginWidth(Text1& text) {
    return text.SendScintilla(S::SCI_GETMARGINWIDTHN, 0L);
}

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void goToLine_data() { addRows(goToRows); }
    void goToLine() {
        const GoToRow& r = row(goToRows);
        Editor e;
        e.type("a\nb\nc\nd\ne");
        e.text().setSelectionRange(9, 9);
        e.platform.inputAnswers = {r.answer};
        e.form.action("goToLine")->trigger();
        const PlatformCall asked{"inputBox", "Line number (1 - 5):", "Go to Line", -1};
        QCOMPARE(e.platform.callsOf("inputBox"), QList<PlatformCall>{asked});
        QCOMPARE(e.text().caretPosition(), r.caret);
        QCOMPARE(e.text().anchorPosition(), e.text().caretPosition());
    }

    void search_data() { addRows(searchRows); }
    void search() {
        const SearchRow& r = row(searchRows);
        Editor e(r.utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        e.type(r.text);
        e.text().clearUndoHistory();
        e.state().isSaved = true;
        e.text().setSelectionRange(r.from, QString(r.action) == "one" ? 2 : r.from);
        const bool replacing = QString(r.action) == "one" || QString(r.action) == "all";
        e.form.action(replacing ? "replace" : "find")->trigger();
        auto* box = e.form.findChild<FindBox*>();
        box->findChild<QLineEdit*>("findText")->setText(QString::fromUtf8(r.find));
        box->findChild<QLineEdit*>("replaceText")->setText(QString::fromUtf8(r.replacement));
        box->findChild<QCheckBox*>("matchCase")->setChecked(QString(r.flags).contains('c'));
        box->findChild<QCheckBox*>("wholeWord")->setChecked(QString(r.flags).contains('w'));
        const QHash<QString, const char*> buttons{{"next", "findNext"},
                                                  {"previous", "findPrevious"},
                                                  {"one", "replace"},
                                                  {"all", "replaceAll"}};
        box->findChild<QPushButton*>(buttons[r.action])->click();
        QByteArray left = e.text().bytes() + '|' + QByteArray::number(e.text().anchorPosition()) +
                          '-' + QByteArray::number(e.text().caretPosition()) + '|' +
                          QByteArray::number(e.state().isSaved);
        if (QString(r.action) == "all") {
            e.text().undo();
            left += '|' + e.text().bytes();
        }
        QCOMPARE(left, QByteArray(r.left));
    }

    void compilerMessages_data() { addRows(messageRows); }
    void compilerMessages() {
        const MessageRow& r = row(messageRows);
        QStringList got;
        for (const navigation::CompilerMessage& m :
             navigation::compilerMessages(r.record, QString::fromUtf8(r.file)))
            got << QString::number(m.line) + (m.warning ? ":w:" : ":e:") + m.text;
        QCOMPARE(got.join(' '), QString::fromUtf8(r.marks));
    }

    void marks_data() { addRows(markRows); }
    void marks() {
        const MarkRow& r = row(markRows);
        const Folder dir;
        QVERIFY(writeBytes("Hello.java", "x\nx\nx\nx\nx\nx\n"));
        const QByteArray record = dir.path().toUtf8() + '\0' +
                                  "Hello.java:3: error: ';' expected\nHello.java:5: warning: w\n";
        QVERIFY(writeBytes("m", record));
        Editor e;
        e.platform.messagesFile = dir.filePath("m");
        e.open(dir.filePath("Hello.java"));
        QVERIFY(e.showActive());
        const QString step = r.step;
        if (step == "insert") {
            e.text().setSelectionRange(0, 0);
            e.text().replaceSelectedBytes("x\ny\n");
        } else if (step == "replace") {
            QCOMPARE(navigation::replaceAll(e.text(), {"x", "yy", {}}, CodePage::SingleByte), 6);
        } else if (step == "new" || step == "compile") {
            e.form.action(step == "new" ? "new" : "compile")->trigger();
        } else if (step == "open") {
            e.open(dir.filePath("Hello.java"));
            e.form.followCompile();
        } else if (step == "other") {
            QVERIFY(QFile::remove("m") &&
                    writeBytes("m", dir.path().toUtf8() + "\0A.java:1: error: x"_ba));
            e.form.followCompile();
        }
        QCOMPARE(marksOf(e.text()), QString(r.marks));
        if (!r.next)
            return;
        QCOMPARE(e.text().lineMarks().first().message, "error: ';' expected"_ba);
        e.text().setSelectionRange(0, 0);
        e.form.action("nextError")->trigger();
        QCOMPARE(e.text().caretPosition(), e.text().SendScintilla(S::SCI_POSITIONFROMLINE, r.next));
        e.form.action("previousError")->trigger();
        QCOMPARE(e.text().caretLine(), r.previous);
    }

    // Shown from the start, as wide as the line count's digits need in the
    // text's font, switched from the context menu, readable on a dark desktop.
    void lineNumbers() {
        Editor e;
        QPalette dark;
        dark.setColor(QPalette::Window, Qt::black);
        dark.setColor(QPalette::PlaceholderText, QColor(40, 40, 40));
        e.text().setPalette(dark);
        const long one = marginWidth(e.text());
        e.type("\n\n\n\n\n\n\n\n");
        QVERIFY(one > 0 && marginWidth(e.text()) == one);
        e.type("\n");
        const long two = marginWidth(e.text());
        QVERIFY(two > one);
        e.text().setFontPointSize(20);
        QVERIFY(marginWidth(e.text()) > two);
        const auto colour = [&](int which) {
            const long bgr = e.text().SendScintilla(which, long(S::STYLE_LINENUMBER));
            return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
        };
        QVERIFY(contrastRatio(colour(S::SCI_STYLEGETFORE), colour(S::SCI_STYLEGETBACK)) >=
                readableContrast);
        e.form.action("lineNumbers")->trigger();
        QCOMPARE(marginWidth(e.text()), 0);
    }

    // The keys reach the text area's commands, none taken from the menu bar
    // or the component; redo on both keys; an Enter in the find box types
    // nothing into the text, Tabs of the indentation included.
    void keys() {
        Editor e;
        QVERIFY(e.showActive());
        const std::unique_ptr<QMenu> menu(e.text().createContextMenu());
        QStringList listed;
        QList<int> taken;
        for (QAction* top : e.form.menuBar()->actions())
            for (QAction* item : top->menu() ? top->menu()->actions() : QList{top})
                taken << item->shortcut()[0].toCombined();
        for (QsciCommand* c : e.text().standardCommands()->commands())
            taken << c->key() << c->alternateKey();
        for (QAction* a : menu->actions().mid(menu->actions().size() - 8)) {
            listed << a->text() + ' ' + a->shortcut().toString();
            QVERIFY2(a->shortcut().isEmpty() || !taken.contains(a->shortcut()[0].toCombined()),
                     qPrintable(a->text()));
        }
        QCOMPARE(listed.join('|'), "&Go to Line... Ctrl+G|&Find... Ctrl+F|Find &Next F3|"
                                   "Find Pre&vious Shift+F3|&Replace... Ctrl+H|Next &Error F8|"
                                   "Previous E&rror Shift+F8|&Line Numbers ");
        QTest::keyClicks(&e.text(), "ab");
        QTest::keyClick(&e.text(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&e.text(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(e.text().bytes(), "ab");
        QTest::keyClick(&e.text(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&e.text(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(e.text().bytes(), "ab");

        e.state().indentLevel = 2;
        QTest::keyClick(&e.text(), Qt::Key_F, Qt::ControlModifier);
        auto* find = e.form.findChild<QLineEdit*>("findText");
        QVERIFY(find && QTest::qWaitForWindowActive(find->window()));
        QTest::keyClicks(find, "b");
        QTest::keyPress(find, Qt::Key_Return);
        e.form.activateWindow();
        QTest::keyRelease(&e.text(), Qt::Key_Return);
        QCOMPARE(e.text().bytes() + ' ' + QByteArray::number(e.text().anchorPosition()), "ab 1");
        find->window()->close();
        e.text().setSelectionRange(0, 0);
        QVERIFY(QTest::qWaitForWindowActive(&e.form));
        QTest::keyClick(&e.text(), Qt::Key_F3);
        QCOMPARE(e.text().selectedBytes(), "b");
    }

    void runnerKeeps_data() { addRows(keepRows); }
    void runnerKeeps() {
        const KeepRow& r = row(keepRows);
        const Folder dir;
        QVERIFY(QDir().mkdir("bin") && QDir().mkdir("private") && writeBytes("victim", "mine"));
        QVERIFY(
            writeBytes("bin/javac", "#!/bin/sh\necho out; echo \"Hello.java:3: error: x\" >&2\n"));
        QFile::setPermissions("bin/javac", QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(dir.filePath("victim"), "private/m"));
        ::chmod("private", QByteArray(r.folderMode).toUInt(nullptr, 8));
        writeBytes("t.bat", "@echo OFF\r\n" + QByteArray(r.line) + "\r\necho done");
        QProcess runner;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", dir.filePath("bin") + ':' + env.value("PATH"));
        env.insert("TARNWICK_COMPILER_MESSAGES", dir.filePath("private/m"));
        runner.setProcessEnvironment(env);
        runner.start(helpers + "/tarnwick-batch", {"t.bat"});
        QVERIFY(runner.waitForFinished(30000));
        QCOMPARE(runner.readAllStandardOutput() + runner.readAllStandardError(),
                 "out\ndone\nHello.java:3: error: x\n");
        struct stat info {};
        const bool kept = ::lstat("private/m", &info) == 0 && S_ISREG(info.st_mode);
        QCOMPARE((kept ? QByteArray::number(info.st_mode & 0777, 8) + ' ' + readBytes("private/m")
                       : "(absent)"),
                 QByteArray(r.kept).replace("{dir}", dir.path().toUtf8()));
        QCOMPARE(readBytes("victim"), "mine");
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
