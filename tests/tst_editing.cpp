// The Edit menu's commands and automatic indentation, driven through the real
// main window and its text area with key and mouse events.
#include "app/FontSettings.h"
#include "app/Form1.h"
#include "app/KeyCodes.h"
#include "app/Text1.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tarnwick;
using tarnwick::test::FakePlatform;

namespace {

// (anchor, caret)
QPair<long, long> selectionOf(Text1* text) {
    return {text->SendScintilla(QsciScintillaBase::SCI_GETANCHOR),
            text->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)};
}

// A held key as the window system reports it: the first press, then pairs of
// auto-repeat release and press, then the one real release.
void holdKey(Text1* text, Qt::Key key, const QString& chars) {
    const auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, key, Qt::NoModifier, chars, repeat);
        QApplication::sendEvent(text, &event);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 2; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
}

// User actions (see run) on a fresh window, then the text, the caret
// (nothing selected) and the indentation state they leave; and, when given,
// the text after one undo.
struct Typing {
    QStringList script;
    QByteArray text;
    int caret, indentLevel, lastKeyCode;
    QByteArray undone = {};
};

// An Edit menu command or a key on the saved "hello world" with a selection
// and clipText, the system clipboard holding "system"; then what it leaves.
struct EditCase {
    QString command;
    QByteArray clipBefore;
    int anchor, caret;
    QByteArray text, clip;
    int anchorAfter, caretAfter;
    QString system = QStringLiteral("system");
};

} // namespace

Q_DECLARE_METATYPE(Typing)
Q_DECLARE_METATYPE(EditCase)

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { form_.reset(); }

    void indentation_data();
    void indentation();
    void editCommands_data();
    void editCommands();

private:
    void run(const QStringList& script);

    QTemporaryDir dir_;
    std::unique_ptr<FakePlatform> platform_;
    std::unique_ptr<FontSettings> fontSettings_;
    std::unique_ptr<Form1> form_;
    Text1* text_ = nullptr;
};

void TestEditing::init() {
    platform_ = std::make_unique<FakePlatform>();
    fontSettings_ = std::make_unique<FontSettings>();
    form_ = std::make_unique<Form1>(*platform_, *fontSettings_);
    text_ = form_->text1();
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    text_->setFocus();
}

// Plays user actions: the named keys and steps below, the document commands
// (declining to save the typing; one per script), or else text typed key by key ("\t" is Tab,
// "\r" Enter, "\b" Backspace).
void TestEditing::run(const QStringList& script) {
    static const QHash<QString, QKeyCombination> keys = {
        {"left", Qt::Key_Left},
        {"home", Qt::Key_Home},
        {"shift", Qt::Key_Shift},
        {"selectall", Qt::CTRL | Qt::Key_A},
        {"kpenter", Qt::KeypadModifier | Qt::Key_Enter},
    };
    const QString path = dir_.filePath(QStringLiteral("Hello.java"));
    platform_->messageAnswers = {MsgAnswer::No};
    for (const QString& step : script) {
        if (keys.contains(step)) {
            QTest::keyClick(text_, keys[step].key(), keys[step].keyboardModifiers());
        } else if (step == QLatin1String("shiftenter")) {
            // Shift goes up first, so the Enter release no longer carries it.
            QTest::keyPress(text_, Qt::Key_Shift);
            QTest::keyPress(text_, Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyRelease(text_, Qt::Key_Shift, Qt::ShiftModifier);
            QTest::keyRelease(text_, Qt::Key_Return);
        } else if (step == QLatin1String("hold-enter")) {
            holdKey(text_, Qt::Key_Return, QStringLiteral("\r"));
        } else if (step == QLatin1String("hold-tab")) {
            holdKey(text_, Qt::Key_Tab, QStringLiteral("\t"));
        } else if (step == QLatin1String("click")) {
            QTest::mouseClick(text_->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        } else if (step == QLatin1String("new")) {
            form_->new_();
        } else if (step.startsWith(QLatin1String("open"))) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("class Hello {}\n") == 15);
            file.close();
            platform_->openAnswers = {FakePlatform::choose(path)};
            if (step == QLatin1String("open-cancelled"))
                platform_->openAnswers = {std::nullopt};
            if (step == QLatin1String("open-fails")) {
                platform_->failRead.insert(path, QStringLiteral("Permission denied"));
                platform_->messageAnswers.push_back(MsgAnswer::Ok);
            }
            form_->open();
        } else {
            QTest::keyClicks(text_, step);
        }
    }
}

void TestEditing::indentation_data() {
    QTest::addColumn<Typing>("c");

    const int enter = keyCodeEnter;
    const int backspace = keyCodeBackspace;
    const QByteArray typed("\t\tx\n\t\t");
    QTest::newRow("enter at the end appends the level's Tabs, caret after them")
        << Typing{{"a\t\tb\r"}, "a\t\tb\n\t\t", 7, 2, enter, "a\t\tb\n"};
    QTest::newRow("enter in the middle breaks at the caret, Tab goes to the very end")
        << Typing{{"\txy", "left", "\r"}, "\tx\ny\t", 5, 1, enter, "\tx\ny"};
    QTest::newRow("keypad enter and shift+enter are enters")
        << Typing{{"\ta", "kpenter", "shiftenter"}, "\ta\n\t\n\t", 6, 1, enter};
    QTest::newRow("held enter: several breaks, one set of Tabs")
        << Typing{{"\ta", "hold-enter"}, "\ta\n\n\n\t", 6, 1, enter, "\ta\n\n\n"};
    QTest::newRow("held tab counts every typed Tab")
        << Typing{{"hold-tab", "\r"}, "\t\t\t\n\t\t\t", 7, 3, enter};
    QTest::newRow("backspace after enter deletes the last Tab and lowers the level")
        << Typing{{"\t\ta\r\b"}, "\t\ta\n\t", 5, 1, backspace};
    QTest::newRow("second backspace deletes the Tab but keeps the level")
        << Typing{{"\t\ta\r\b\b"}, "\t\ta\n", 4, 1, backspace};
    QTest::newRow("backspace after enter at level 0 stays at 0")
        << Typing{{"a\r\b"}, "a", 1, 0, backspace};
    QTest::newRow("shift released between enter and backspace keeps the level")
        << Typing{{"\ta\r", "shift", "\b"}, "\ta\n", 3, 1, backspace};
    QTest::newRow("backspace over a typed Tab keeps the level")
        << Typing{{"a\t\b"}, "a", 1, 1, backspace};
    QTest::newRow("tab over a multi-line selection is one Tab and one level")
        << Typing{{"ab\rcd", "selectall", "\t"}, "\t", 1, 1, keyCodeTab};
    QTest::newRow("click resets") << Typing{{"\t\tx\r", "click"}, typed, 0, 0, 0};
    QTest::newRow("keyboard caret move keeps")
        << Typing{{"\t\tx\r", "home"}, typed, 4, 2, Qt::Key_Home};
    QTest::newRow("completed Open resets")
        << Typing{{"\t\tx\r", "open"}, "class Hello {}\n", 0, 0, 0};
    QTest::newRow("cancelled Open keeps")
        << Typing{{"\t\tx\r", "open-cancelled"}, typed, 6, 2, enter};
    QTest::newRow("Open of an unreadable file keeps")
        << Typing{{"\t\tx\r", "open-fails"}, typed, 6, 2, enter};
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
    // The program's clipboard survives every document command.
    QCOMPARE(form_->state().clipText, QByteArray("kept"));
    QVERIFY(platform_->unscripted.isEmpty());
    if (!c.undone.isNull()) {
        QTest::keyClick(text_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text_->bytes(), c.undone);
    }
}

void TestEditing::editCommands_data() {
    QTest::addColumn<EditCase>("c");

    const QByteArray start("hello world");
    const QByteArray bytes("a\0\r\n\xe9\xff", 6);
    QTest::newRow("copy takes the selection, text stays")
        << EditCase{"edcopy", "old", 0, 5, start, "hello", 0, 5};
    QTest::newRow("copy with nothing selected empties the clipboard")
        << EditCase{"edcopy", "old", 3, 3, start, "", 3, 3};
    QTest::newRow("cut takes a backward selection and removes it")
        << EditCase{"edcut", "old", 11, 6, "hello ", "world", 6, 6};
    QTest::newRow("cut with nothing selected empties the clipboard, text stays")
        << EditCase{"edcut", "old", 2, 2, start, "", 2, 2};
    QTest::newRow("paste replaces the selection, caret after it")
        << EditCase{"edpaste", "XY", 6, 11, "hello XY", "XY", 8, 8};
    QTest::newRow("paste at the caret; its Tabs raise no level")
        << EditCase{"edpaste", "\t\t", 5, 5, "hello\t\t world", "\t\t", 7, 7};
    QTest::newRow("paste before any copy removes the selection")
        << EditCase{"edpaste", "", 0, 6, "world", "", 0, 0};
    QTest::newRow("paste keeps every byte value")
        << EditCase{"edpaste", bytes, 5, 6, "hello" + bytes + "world", bytes, 11, 11};
    QTest::newRow("delete removes the selection, clipboard stays")
        << EditCase{"eddel", "old", 5, 11, "hello", "old", 5, 5};
    // The accelerators work on the program's clipboard only; Ctrl+C and
    // Ctrl+V stay the component's own, on the system clipboard.
    QTest::newRow("Shift+Del cuts")
        << EditCase{"Shift+Del", "mine", 6, 11, "hello ", "world", 6, 6};
    QTest::newRow("Ctrl+Ins copies") << EditCase{"Ctrl+Ins", "mine", 6, 11, start, "world", 6, 11};
    QTest::newRow("Shift+Ins pastes")
        << EditCase{"Shift+Ins", "mine", 6, 11, "hello mine", "mine", 10, 10};
    QTest::newRow("Ctrl+C copies to the system")
        << EditCase{"Ctrl+C", "mine", 6, 11, start, "mine", 6, 11, "world"};
    QTest::newRow("Ctrl+V pastes the system's")
        << EditCase{"Ctrl+V", "mine", 6, 11, "hello system", "mine", 12, 12};
}

void TestEditing::editCommands() {
    QFETCH(EditCase, c);
    QGuiApplication::clipboard()->setText(QStringLiteral("system"));
    text_->appendBytes("hello world");
    text_->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    form_->state().isSaved = true;
    form_->state().clipText = c.clipBefore;
    text_->SendScintilla(QsciScintillaBase::SCI_SETSEL, (unsigned long)c.anchor, long(c.caret));

    if (c.command.startsWith(QLatin1String("ed")))
        form_->action(c.command)->trigger();
    else
        QTest::keySequence(text_, QKeySequence(c.command));

    QCOMPARE(text_->bytes(), c.text);
    QCOMPARE(form_->state().clipText, c.clip);
    QCOMPARE(QGuiApplication::clipboard()->text(), c.system);
    QCOMPARE(selectionOf(text_), qMakePair(long(c.anchorAfter), long(c.caretAfter)));
    QCOMPARE(form_->state().isSaved, c.text == "hello world");
    QCOMPARE(form_->state().indentLevel, 0);
    // Nothing asked: the commands make no checks and report nothing.
    QVERIFY(platform_->calls.isEmpty());
    // One undo takes the whole command back.
    QTest::keyClick(text_, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(text_->bytes(), QByteArray("hello world"));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
