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

long caretOf(Text1* text) {
    return text->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
}

long anchorOf(Text1* text) {
    return text->SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
}

void select(Text1* text, long anchor, long caret) {
    text->SendScintilla(QsciScintillaBase::SCI_SETSEL, (unsigned long)anchor, caret);
}

void sendKey(Text1* text, QEvent::Type type, Qt::Key key, const QString& chars, bool repeat) {
    QKeyEvent event(type, key, Qt::NoModifier, chars, repeat);
    QApplication::sendEvent(text, &event);
}

// A held key as the window system reports it: the first press, then pairs of
// auto-repeat release and press, then the one real release.
void holdKey(Text1* text, Qt::Key key, const QString& chars, int repeats) {
    sendKey(text, QEvent::KeyPress, key, chars, false);
    for (int i = 0; i < repeats; ++i) {
        sendKey(text, QEvent::KeyRelease, key, chars, true);
        sendKey(text, QEvent::KeyPress, key, chars, true);
    }
    sendKey(text, QEvent::KeyRelease, key, chars, false);
}

// Shift goes up before Enter, so the Enter release is the last release and
// carries the Shift modifier no more; the press did carry it.
void shiftEnter(Text1* text) {
    QTest::keyPress(text, Qt::Key_Shift);
    QTest::keyPress(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyRelease(text, Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyRelease(text, Qt::Key_Return);
}

// Plays a small script of user actions on the text area: "type:<letters>",
// key names, "hold-enter", "hold-tab", "click".
void play(Text1* text, const QStringList& script) {
    for (const QString& step : script) {
        if (step.startsWith(QLatin1String("type:")))
            QTest::keyClicks(text, step.mid(5));
        else if (step == QLatin1String("tab"))
            QTest::keyClick(text, Qt::Key_Tab);
        else if (step == QLatin1String("enter"))
            QTest::keyClick(text, Qt::Key_Return);
        else if (step == QLatin1String("kpenter"))
            QTest::keyClick(text, Qt::Key_Enter, Qt::KeypadModifier);
        else if (step == QLatin1String("shiftenter"))
            shiftEnter(text);
        else if (step == QLatin1String("backspace"))
            QTest::keyClick(text, Qt::Key_Backspace);
        else if (step == QLatin1String("delete"))
            QTest::keyClick(text, Qt::Key_Delete);
        else if (step == QLatin1String("left"))
            QTest::keyClick(text, Qt::Key_Left);
        else if (step == QLatin1String("ctrlend"))
            QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        else if (step == QLatin1String("home"))
            QTest::keyClick(text, Qt::Key_Home);
        else if (step == QLatin1String("shift"))
            QTest::keyClick(text, Qt::Key_Shift);
        else if (step == QLatin1String("selectall"))
            QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        else if (step == QLatin1String("hold-enter"))
            holdKey(text, Qt::Key_Return, QStringLiteral("\r"), 2);
        else if (step == QLatin1String("hold-tab"))
            holdKey(text, Qt::Key_Tab, QStringLiteral("\t"), 2);
        else if (step == QLatin1String("click"))
            QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void indentation_data();
    void indentation();
    void keepOrResetIndentation_data();
    void keepOrResetIndentation();
    void editCommands_data();
    void editCommands();
    void acceleratorsUseOwnClipboard_data();
    void acceleratorsUseOwnClipboard();
    void componentKeysKeepSystemClipboard();
    void undoTakesBackOneStep_data();
    void undoTakesBackOneStep();

private:
    // Text that counts as saved, so a test sees whether a command changed it.
    void startWith(const QByteArray& bytes);

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

void TestEditing::cleanup() {
    form_.reset();
    fontSettings_.reset();
    platform_.reset();
}

void TestEditing::startWith(const QByteArray& bytes) {
    text_->appendBytes(bytes);
    text_->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    form_->state().isSaved = true;
}

void TestEditing::indentation_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("indentLevel");
    QTest::addColumn<int>("lastKeyCode");

    const int enter = keyCodeEnter;
    const int backspace = keyCodeBackspace;
    QTest::newRow("enter at the end appends the level's Tabs, caret after them")
        << QStringList{"type:a", "tab", "tab", "type:b", "enter"} << QByteArray("a\t\tb\n\t\t") << 7
        << 2 << enter;
    QTest::newRow("enter in the middle breaks at the caret, Tab goes to the very end")
        << QStringList{"tab", "type:xy", "left", "enter"} << QByteArray("\tx\ny\t") << 5 << 1
        << enter;
    QTest::newRow("enter at level 0 appends nothing")
        << QStringList{"type:ab", "enter"} << QByteArray("ab\n") << 3 << 0 << enter;
    QTest::newRow("keypad enter is an enter")
        << QStringList{"tab", "type:a", "kpenter"} << QByteArray("\ta\n\t") << 4 << 1 << enter;
    QTest::newRow("enter with shift held is an enter")
        << QStringList{"tab", "type:a", "shiftenter"} << QByteArray("\ta\n\t") << 4 << 1 << enter;
    QTest::newRow("held enter: several breaks, one set of Tabs")
        << QStringList{"tab", "type:a", "hold-enter"} << QByteArray("\ta\n\n\n\t") << 6 << 1
        << enter;
    QTest::newRow("held tab counts every typed Tab")
        << QStringList{"hold-tab", "enter"} << QByteArray("\t\t\t\n\t\t\t") << 7 << 3 << enter;
    QTest::newRow("backspace after enter deletes the last Tab and lowers the level")
        << QStringList{"tab", "tab", "type:a", "enter", "backspace"} << QByteArray("\t\ta\n\t") << 5
        << 1 << backspace;
    QTest::newRow("second backspace deletes the Tab but keeps the level")
        << QStringList{"tab", "tab", "type:a", "enter", "backspace", "backspace"}
        << QByteArray("\t\ta\n") << 4 << 1 << backspace;
    QTest::newRow("backspace after enter at level 0 stays at 0")
        << QStringList{"type:a", "enter", "backspace"} << QByteArray("a") << 1 << 0 << backspace;
    QTest::newRow("shift released between enter and backspace keeps the level")
        << QStringList{"tab", "type:a", "enter", "shift", "backspace"} << QByteArray("\ta\n") << 3
        << 1 << backspace;
    QTest::newRow("arrow key between enter and backspace keeps the level")
        << QStringList{"tab", "enter", "left", "backspace"} << QByteArray("\t\t") << 1 << 1
        << backspace;
    QTest::newRow("tab in the middle of a line raises the level")
        << QStringList{"type:ab", "left", "tab"} << QByteArray("a\tb") << 2 << 1 << int(keyCodeTab);
    QTest::newRow("tab over a multi-line selection is one Tab and one level")
        << QStringList{"type:ab", "enter", "type:cd", "selectall", "tab"} << QByteArray("\t") << 1
        << 1 << int(keyCodeTab);
    QTest::newRow("deleting a Tab with the Delete key keeps the level")
        << QStringList{"tab", "tab", "home", "delete"} << QByteArray("\t") << 0 << 2
        << int(Qt::Key_Delete);
    QTest::newRow("backspace over a typed Tab keeps the level")
        << QStringList{"type:a", "tab", "backspace"} << QByteArray("a") << 1 << 1 << backspace;
    QTest::newRow("a click resets the level")
        << QStringList{"tab", "tab", "enter", "click", "ctrlend", "backspace"}
        << QByteArray("\t\t\n\t") << 4 << 0 << backspace;
}

void TestEditing::indentation() {
    QFETCH(QStringList, script);
    QFETCH(QByteArray, text);
    QFETCH(int, caret);
    QFETCH(int, indentLevel);
    QFETCH(int, lastKeyCode);

    play(text_, script);

    QCOMPARE(text_->bytes(), text);
    QCOMPARE(caretOf(text_), long(caret));
    QCOMPARE(anchorOf(text_), long(caret));
    QCOMPARE(form_->state().indentLevel, indentLevel);
    QCOMPARE(form_->state().lastKeyCode, lastKeyCode);
}

void TestEditing::keepOrResetIndentation_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("reset");

    QTest::newRow("click resets") << "click" << true;
    QTest::newRow("keyboard caret move keeps") << "home" << false;
    QTest::newRow("completed Open resets") << "open" << true;
    QTest::newRow("cancelled Open keeps") << "open-cancelled" << false;
    QTest::newRow("Open of an unreadable file keeps") << "open-fails" << false;
    QTest::newRow("New keeps") << "new" << false;
}

void TestEditing::keepOrResetIndentation() {
    QFETCH(QString, action);
    QFETCH(bool, reset);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Hello.java"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("class Hello {}\n"), qint64(15));
    file.close();

    play(text_, {"tab", "tab", "type:x", "enter"});
    form_->state().clipText = "kept";
    QCOMPARE(form_->state().indentLevel, 2);

    // The typed text is unsaved: every document command asks first.
    platform_->messageAnswers = {MsgAnswer::No};
    int lastKeyBefore = keyCodeEnter;
    if (action == QLatin1String("click")) {
        play(text_, {"click"});
    } else if (action == QLatin1String("home")) {
        play(text_, {"home"});
        lastKeyBefore = Qt::Key_Home;
    } else if (action == QLatin1String("open")) {
        platform_->openAnswers = {FakePlatform::choose(path)};
        form_->open();
        QCOMPARE(text_->bytes(), QByteArray("class Hello {}\n"));
    } else if (action == QLatin1String("open-cancelled")) {
        platform_->openAnswers = {std::nullopt};
        form_->open();
        QCOMPARE(text_->bytes(), QByteArray("\t\tx\n\t\t"));
    } else if (action == QLatin1String("open-fails")) {
        platform_->openAnswers = {FakePlatform::choose(path)};
        platform_->failRead.insert(path, QStringLiteral("Permission denied"));
        platform_->messageAnswers.push_back(MsgAnswer::Ok);
        form_->open();
        QCOMPARE(text_->bytes(), QByteArray("\t\tx\n\t\t"));
    } else {
        form_->new_();
        QCOMPARE(text_->bytes(), QByteArray());
    }

    QCOMPARE(form_->state().indentLevel, reset ? 0 : 2);
    QCOMPARE(form_->state().lastKeyCode, reset ? 0 : lastKeyBefore);
    // The program's clipboard survives every document command.
    QCOMPARE(form_->state().clipText, QByteArray("kept"));
    QVERIFY(platform_->unscripted.isEmpty());
}

void TestEditing::editCommands_data() {
    QTest::addColumn<QByteArray>("clipBefore");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("clip");
    QTest::addColumn<int>("caretAfter");
    QTest::addColumn<int>("anchorAfter");

    // Every row starts from the saved text "hello world".
    const QByteArray start("hello world");
    QTest::newRow("copy takes the selection, text stays")
        << QByteArray("old") << 0 << 5 << QStringList{"edcopy"} << start << QByteArray("hello") << 5
        << 0;
    QTest::newRow("copy with nothing selected empties the clipboard")
        << QByteArray("old") << 3 << 3 << QStringList{"edcopy"} << start << QByteArray() << 3 << 3;
    QTest::newRow("cut takes a backward selection and removes it")
        << QByteArray("old") << 11 << 6 << QStringList{"edcut"} << QByteArray("hello ")
        << QByteArray("world") << 6 << 6;
    QTest::newRow("cut with nothing selected empties the clipboard, text stays")
        << QByteArray("old") << 2 << 2 << QStringList{"edcut"} << start << QByteArray() << 2 << 2;
    QTest::newRow("paste replaces the selection, caret after it")
        << QByteArray("XY") << 6 << 11 << QStringList{"edpaste"} << QByteArray("hello XY")
        << QByteArray("XY") << 8 << 8;
    QTest::newRow("paste at the caret; its Tabs raise no level")
        << QByteArray("\t\t") << 5 << 5 << QStringList{"edpaste"} << QByteArray("hello\t\t world")
        << QByteArray("\t\t") << 7 << 7;
    QTest::newRow("paste before any copy removes the selection")
        << QByteArray() << 0 << 6 << QStringList{"edpaste"} << QByteArray("world") << QByteArray()
        << 0 << 0;
    QTest::newRow("paste before any copy without a selection changes nothing")
        << QByteArray() << 4 << 4 << QStringList{"edpaste"} << start << QByteArray() << 4 << 4;
    QTest::newRow("copy of nothing then paste removes the selection")
        << QByteArray("old") << 5 << 5 << QStringList{"edcopy", "selectword", "edpaste"}
        << QByteArray(" world") << QByteArray() << 0 << 0;
    QTest::newRow("delete removes the selection, clipboard stays")
        << QByteArray("old") << 5 << 11 << QStringList{"eddel"} << QByteArray("hello")
        << QByteArray("old") << 5 << 5;
    QTest::newRow("delete with nothing selected does nothing")
        << QByteArray("old") << 5 << 5 << QStringList{"eddel"} << start << QByteArray("old") << 5
        << 5;
    QTest::newRow("paste keeps every byte value")
        << QByteArray("a\0\r\n\xe9\xff", 6) << 5 << 6 << QStringList{"edpaste"}
        << QByteArray("helloa\0\r\n\xe9\xffworld", 16) << QByteArray("a\0\r\n\xe9\xff", 6) << 11
        << 11;
    QTest::newRow("cut then paste twice duplicates the cut text")
        << QByteArray() << 0 << 6 << QStringList{"edcut", "edpaste", "edpaste"}
        << QByteArray("hello hello world") << QByteArray("hello ") << 12 << 12;
}

void TestEditing::editCommands() {
    QFETCH(QByteArray, clipBefore);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QStringList, commands);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, clip);
    QFETCH(int, caretAfter);
    QFETCH(int, anchorAfter);

    startWith("hello world");
    form_->state().clipText = clipBefore;
    select(text_, anchor, caret);

    for (const QString& command : commands) {
        if (command == QLatin1String("selectword"))
            select(text_, 0, 5);
        else
            form_->action(command)->trigger();
    }

    QCOMPARE(text_->bytes(), text);
    QCOMPARE(form_->state().clipText, clip);
    QCOMPARE(caretOf(text_), long(caretAfter));
    QCOMPARE(anchorOf(text_), long(anchorAfter));
    QCOMPARE(form_->state().isSaved, text == "hello world");
    QCOMPARE(form_->state().indentLevel, 0);
    // Nothing asked: the commands make no checks and report nothing.
    QVERIFY(platform_->calls.isEmpty());
}

void TestEditing::acceleratorsUseOwnClipboard_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("clip");

    // Every row: "hello world" with "world" selected, the program's clipboard
    // holding "mine", the system clipboard "system".
    QTest::newRow("Shift+Del cuts") << Qt::Key_Delete << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                    << QByteArray("hello ") << QByteArray("world");
    QTest::newRow("Ctrl+Ins copies") << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ControlModifier)
                                     << QByteArray("hello world") << QByteArray("world");
    QTest::newRow("Shift+Ins pastes") << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                      << QByteArray("hello mine") << QByteArray("mine");
}

void TestEditing::acceleratorsUseOwnClipboard() {
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, clip);

    QClipboard* system = QGuiApplication::clipboard();
    system->setText(QStringLiteral("system"));
    startWith("hello world");
    form_->state().clipText = "mine";
    select(text_, 6, 11);

    QTest::keyClick(text_, key, modifiers);

    QCOMPARE(text_->bytes(), text);
    QCOMPARE(form_->state().clipText, clip);
    QCOMPARE(system->text(), QStringLiteral("system"));
}

void TestEditing::componentKeysKeepSystemClipboard() {
    // Ctrl+C and Ctrl+V remain the component's own, on the system clipboard.
    QClipboard* system = QGuiApplication::clipboard();
    system->setText(QStringLiteral("system"));
    startWith("hello world");
    form_->state().clipText = "mine";

    select(text_, 0, 5);
    QTest::keyClick(text_, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(system->text(), QStringLiteral("hello"));
    QCOMPARE(form_->state().clipText, QByteArray("mine"));

    select(text_, 6, 11);
    QTest::keyClick(text_, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(text_->bytes(), QByteArray("hello hello"));
    QCOMPARE(form_->state().clipText, QByteArray("mine"));
}

void TestEditing::undoTakesBackOneStep_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("beforeUndo");
    QTest::addColumn<QByteArray>("afterUndo");

    // Every row starts from "ab cd" with "cd" selected and "XYZ" in clipText.
    QTest::newRow("cut") << QStringList{"edcut"} << QByteArray("ab ") << QByteArray("ab cd");
    QTest::newRow("paste") << QStringList{"edpaste"} << QByteArray("ab XYZ") << QByteArray("ab cd");
    QTest::newRow("delete") << QStringList{"eddel"} << QByteArray("ab ") << QByteArray("ab cd");
    QTest::newRow("Tabs appended after an enter")
        << QStringList{"end", "tab", "tab", "tab", "enter"} << QByteArray("ab cd\t\t\t\n\t\t\t")
        << QByteArray("ab cd\t\t\t\n");
}

void TestEditing::undoTakesBackOneStep() {
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, beforeUndo);
    QFETCH(QByteArray, afterUndo);

    startWith("ab cd");
    form_->state().clipText = "XYZ";
    select(text_, 3, 5);
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1String("ed")))
            form_->action(step)->trigger();
        else if (step == QLatin1String("end"))
            text_->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        else
            play(text_, {step});
    }
    QCOMPARE(text_->bytes(), beforeUndo);

    QTest::keyClick(text_, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(text_->bytes(), afterUndo);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
