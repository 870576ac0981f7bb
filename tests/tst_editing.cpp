// The Edit menu's commands and automatic indentation, driven through the real
// main window and its text area with key and mouse events.
#include "support/Editor.h"
#include "support/MemoryLimit.h"
#include "textarea/KeyCodes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/mman.h>

using namespace tarnwick;
using tarnwick::test::FakePlatform;

namespace {

// (anchor, caret)
QPair<long, long> selectionOf(Text1* text) {
    return {text->anchorPosition(), text->caretPosition()};
}

// User actions (see run) on a fresh window; the text, caret and indentation
// state they leave; and, when given, the text after one undo.
struct Typing {
    QStringList script;
    QByteArray text;
    int caret, indentLevel, lastKeyCode;
    QByteArray undone = {};
};

// A command or key on "hello world" with a selection and clipText, the system
// clipboard holding "system"; then what it leaves.
struct EditCase {
    QString command;
    QByteArray clipBefore;
    int anchor, caret;
    QByteArray text, clip;
    int anchorAfter, caretAfter;
};

} // namespace

Q_DECLARE_METATYPE(Typing)
Q_DECLARE_METATYPE(EditCase)

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { editor_.reset(); }

    void indentation_data();
    void indentation();
    void editCommands_data();
    void editCommands();
    void desktopPasteInASingleByteCodePage_data();
    void desktopPasteInASingleByteCodePage();
    void pasteThatDoesNotFitChangesNothing_data();
    void pasteThatDoesNotFitChangesNothing();

private:
    void run(const QStringList& script);

    QTemporaryDir dir_;
    std::optional<test::Editor> editor_;
    // Short names for the parts of editor_.
    Form1* form_ = nullptr;
    Text1* text_ = nullptr;
    FakePlatform* platform_ = nullptr;
};

void TestEditing::init() {
    editor_.emplace();
    form_ = &editor_->form;
    text_ = &editor_->text();
    platform_ = &editor_->platform;
    QVERIFY(editor_->showActive());
}

// Plays the named steps below (document commands decline to save), or else
// types the text key by key ("\t" Tab, "\r" Enter, "\b" Backspace).
void TestEditing::run(const QStringList& script) {
    platform_->messageAnswers = {MsgAnswer::No};
    for (const QString& step : script) {
        if (step == QLatin1String("left") || step == QLatin1String("shift")) {
            QTest::keyClick(text_, step == QLatin1String("left") ? Qt::Key_Left : Qt::Key_Shift);
        } else if (step == QLatin1String("hold-enter")) {
            // Press, auto-repeat release/press pairs, then the one real release.
            for (int i = 0; i < 6; ++i) {
                QKeyEvent event(i % 2 ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_Return,
                                Qt::NoModifier, QStringLiteral("\r"), i > 0 && i < 5);
                QApplication::sendEvent(text_, &event);
            }
        } else if (step == QLatin1String("dialog-enter")) {
            // The Enter that answered a dialog: pressed there, released here.
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier,
                              QStringLiteral("\r"));
            QApplication::sendEvent(text_, &release);
        } else if (step == QLatin1String("keypad-enter")) {
            QTest::keyClick(text_, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (step == QLatin1String("click")) {
            QTest::mouseClick(text_->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        } else if (step == QLatin1String("select-all")) {
            text_->selectAll();
        } else if (step == QLatin1String("open-cancelled")) {
            platform_->openAnswers = {std::nullopt};
            form_->open();
        } else if (step == QLatin1String("new")) {
            form_->new_();
        } else if (step == QLatin1String("open")) {
            const QString path = dir_.filePath(QStringLiteral("Hello.java"));
            QVERIFY(platform_->writeFile(path, "class Hello {}\n", 15, nullptr));
            platform_->openAnswers = {FakePlatform::choose(path)};
            form_->open();
        } else {
            QTest::keyClicks(text_, step);
        }
    }
}

void TestEditing::indentation_data() {
    QTest::addColumn<Typing>("c");

    const int enter = keyCodeEnter, backspace = keyCodeBackspace;
    QTest::newRow("enter at the end appends the level's Tabs, caret after them")
        << Typing{{"a\t\tb\r"}, "a\t\tb\n\t\t", 7, 2, enter, "a\t\tb\n"};
    QTest::newRow("enter in the middle breaks at the caret, Tab goes to the very end")
        << Typing{{"\txy", "left", "\r"}, "\tx\ny\t", 5, 1, enter};
    QTest::newRow("keypad Enter is Enter")
        << Typing{{"\ta", "keypad-enter"}, "\ta\n\t", 4, 1, enter};
    QTest::newRow("held enter: several breaks, one set of Tabs")
        << Typing{{"\ta", "hold-enter"}, "\ta\n\n\n\t", 6, 1, enter};
    QTest::newRow("an enter released without its press here counts not")
        << Typing{{"\ta", "dialog-enter"}, "\ta", 2, 1, int('A')};
    QTest::newRow("two backspaces after enter delete the Tabs, lower the level once")
        << Typing{{"\t\ta\r\b\b"}, "\t\ta\n", 4, 1, backspace};
    QTest::newRow("backspace after enter at level 0 stays at 0")
        << Typing{{"a\r\b"}, "a", 1, 0, backspace};
    QTest::newRow("shift released between enter and backspace keeps the level")
        << Typing{{"\ta\r", "shift", "\b"}, "\ta\n", 3, 1, backspace};
    QTest::newRow("Tab over a multi-line selection is one Tab, one level")
        << Typing{{"ab\rcd", "select-all", "\t"}, "\t", 1, 1, keyCodeTab};
    QTest::newRow("moving the caret by keyboard keeps")
        << Typing{{"\t\tx\r", "left"}, "\t\tx\n\t\t", 5, 2, int(Qt::Key_Left)};
    QTest::newRow("click resets") << Typing{{"\t\tx\r", "click"}, "\t\tx\n\t\t", 0, 0, 0};
    QTest::newRow("completed Open resets")
        << Typing{{"\t\tx\r", "open"}, "class Hello {}\n", 0, 0, 0};
    QTest::newRow("Open that ends early keeps")
        << Typing{{"\t\tx\r", "open-cancelled"}, "\t\tx\n\t\t", 6, 2, enter};
    QTest::newRow("New keeps") << Typing{{"\t\tx\r", "new"}, "", 0, 2, enter};
}

void TestEditing::indentation() {
    QFETCH(Typing, c);
    form_->state().clipText = "kept";

    run(c.script);

    QCOMPARE(text_->bytes(), c.text);
    QCOMPARE(selectionOf(text_), qMakePair(long(c.caret), long(c.caret)));
    QCOMPARE(form_->state().indentLevel, c.indentLevel);
    QCOMPARE(form_->state().lastKeyCode, c.lastKeyCode);
    QCOMPARE(form_->state().clipText, QByteArray("kept")); // survives New and Open
    if (!c.undone.isNull()) {
        QTest::keyClick(text_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text_->bytes(), c.undone);
    }
}

void TestEditing::editCommands_data() {
    QTest::addColumn<EditCase>("c");

    const QByteArray start("hello world");
    QTest::newRow("copy with nothing selected empties the clipboard")
        << EditCase{"edcopy", "old", 3, 3, start, "", 3, 3};
    QTest::newRow("paste before any copy removes the selection")
        << EditCase{"edpaste", "", 0, 6, "world", "", 0, 0};
    QTest::newRow("delete removes the selection, clipboard stays")
        << EditCase{"eddel", "old", 5, 11, "hello", "old", 5, 5};
    QTest::newRow("Shift+Del cuts")
        << EditCase{"Shift+Del", "mine", 6, 11, "hello ", "world", 6, 6};
    QTest::newRow("Ctrl+Ins copies") << EditCase{"Ctrl+Ins", "mine", 6, 11, start, "world", 6, 11};
    QTest::newRow("Shift+Ins pastes")
        << EditCase{"Shift+Ins", "mine", 6, 11, "hello mine", "mine", 10, 10};
    QTest::newRow("pasted Tabs raise no level")
        << EditCase{"edpaste", "\t\t", 6, 11, "hello \t\t", "\t\t", 8, 8};
}

void TestEditing::editCommands() {
    QFETCH(EditCase, c);
    QGuiApplication::clipboard()->setText(QStringLiteral("system"));
    text_->appendBytes("hello world");
    text_->clearUndoHistory();
    form_->state().isSaved = true;
    form_->state().clipText = c.clipBefore;
    text_->setSelectionRange(c.anchor, c.caret);

    if (c.command.startsWith(QLatin1String("ed")))
        form_->action(c.command)->trigger();
    else
        QTest::keySequence(text_, QKeySequence(c.command));

    QCOMPARE(text_->bytes(), c.text);
    QCOMPARE(form_->state().clipText, c.clip);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("system"));
    QCOMPARE(selectionOf(text_), qMakePair(long(c.anchorAfter), long(c.caretAfter)));
    QCOMPARE(form_->state().isSaved, c.text == "hello world");
    QVERIFY(platform_->calls.isEmpty());
    QCOMPARE(form_->state().indentLevel, 0);
    QTest::keyClick(text_, Qt::Key_Z, Qt::ControlModifier); // one undo step
    QCOMPARE(text_->bytes(), QByteArray("hello world"));
}

// Ctrl+V from the desktop's clipboard, and typed keys, in a single-byte
// locale: a text the locale's character set holds goes in as its bytes; one
// it does not is not pasted, rather than pasted with "?" in place of some
// characters.
void TestEditing::desktopPasteInASingleByteCodePage_data() {
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<bool>("paste"); // else typed
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("Latin-1") << QByteArray() << true << "caf\u00e9" << QByteArray("x caf\xe9");
    QTest::newRow("Cyrillic: nothing")
        << QByteArray() << true << "\u041f\u0440\u0438" << QByteArray("x ");
    QTest::newRow("KOI8-R, pasted")
        << QByteArray("KOI8-R") << true << "\u041f\u0440\u0438" << QByteArray("x \xf0\xd2\xc9");
    QTest::newRow("KOI8-R, typed, an accent it lacks dropped")
        << QByteArray("KOI8-R") << false << "\u0436\u00e9" << QByteArray("x \xd6");
}

void TestEditing::desktopPasteInASingleByteCodePage() {
    QFETCH(QByteArray, charset);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QByteArray, text);
    useSingleByteCharset(charset.constData());
    text_->appendBytes("x ");
    text_->setSelectionRange(2, 2);
    if (paste) {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(text_, Qt::Key_V, Qt::ControlModifier);
    } else {
        // Keys of a layout beyond ASCII, as the keyboard sends them.
        for (const QChar c : input)
            QTest::sendKeyEvent(QTest::Click, text_, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    useSingleByteCharset(nullptr);
    QCOMPARE(text_->bytes(), text);
}

void TestEditing::pasteThatDoesNotFitChangesNothing_data() {
    QTest::addColumn<qint64>("clipSize");
    QTest::addColumn<bool>("memoryLimited");
    QTest::addColumn<QString>("reason");
    // "hello world" with "world" selected: 6 bytes stay.
    QTest::newRow("past 2 GiB") << Text1::largestDocument - 5 << false
                                << "The text would grow larger than 2 GiB, the most the editor can "
                                   "hold";
    QTest::newRow("memory runs out") << qint64(512 << 20) << true << "Not enough memory";
}

void TestEditing::pasteThatDoesNotFitChangesNothing() {
    QFETCH(qint64, clipSize);
    QFETCH(bool, memoryLimited);
    QFETCH(QString, reason);
    if (memoryLimited && !test::canLimitMemory)
        QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
    // Untouched anonymous memory reads as zeros and costs nothing until used.
    void* zeros = mmap(nullptr, size_t(clipSize), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(zeros != MAP_FAILED);
    const auto unmap = qScopeGuard([&] { munmap(zeros, size_t(clipSize)); });
    text_->appendBytes("hello world");
    form_->state().isSaved = true;
    form_->state().clipText = QByteArray::fromRawData(static_cast<const char*>(zeros), clipSize);
    text_->setSelectionRange(6, 11);
    {
        std::optional<test::MemoryLimit> limit;
        if (memoryLimited)
            QVERIFY(limit.emplace(128 << 20).active());
        form_->action(QStringLiteral("edpaste"))->trigger();
    }
    form_->state().clipText.clear();

    QCOMPARE(platform_->calls,
             (QList<test::PlatformCall>{
                 {"messageBox", "The text could not be pasted\r" + reason, "Can't paste", 64}}));
    QCOMPARE(text_->bytes(), QByteArray("hello world"));
    QCOMPARE(selectionOf(text_), qMakePair(6L, 11L));
    QVERIFY(form_->state().isSaved);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
