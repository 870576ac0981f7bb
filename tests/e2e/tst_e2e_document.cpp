// The file commands on a real desktop: Qt's own file dialogs and message
// boxes answered from the keyboard, and the bytes they leave on disk.
#include "e2e/Session.h"

#include <QTest>

using namespace tarnwick::e2e;
using WM = Desktop::WindowManager;

class TestE2eDocument : public QObject {
    Q_OBJECT

private slots:
    void init() { s_ = std::make_unique<Session>(); }
    void cleanup();

    void openTypeSave_data();
    void openTypeSave();
    void saveAsOverwrite();
    void closeQuestion();

private:
    std::unique_ptr<Session> s_;
};

void TestE2eDocument::cleanup() {
    // Nothing started on the display outlives the test.
    if (s_->desktop)
        QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

void TestE2eDocument::openTypeSave_data() {
    QTest::addColumn<WM>("wm");
    QTest::newRow("openbox") << WM::Openbox;
    // Nobody hands the keyboard back after a dialog: the editor must.
    QTest::newRow("no window manager") << WM::None;
}

void TestE2eDocument::openTypeSave() {
    QFETCH(WM, wm);
    s_->write(QStringLiteral("Hello.java"), "class Hello {}\r\n");
    QCOMPARE(s_->start(wm), QString());

    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    // Typed straight after the dialog closes, with no click in between, at
    // the caret's place after Open; Enter breaks lines as the file does.
    s_->desktop->type(QStringLiteral("xyz"));
    s_->desktop->keys({QStringLiteral("Return"), QStringLiteral("ctrl+s")});

    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("Hello.java")),
                              QByteArray("xyz\r\nclass Hello {}\r\n"), 10000);
    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Hello.java"))));
}

void TestE2eDocument::saveAsOverwrite() {
    s_->write(QStringLiteral("Old.java"), "old text");
    QCOMPARE(s_->start(), QString());
    // Level 1, so that an Enter counted in the text would add a Tab.
    s_->desktop->keys({QStringLiteral("Tab"), QStringLiteral("a")});

    s_->menu({QStringLiteral("Down"), QStringLiteral("Up"), QStringLiteral("Up"),
              QStringLiteral("Return")}); // File, Save As
    QCOMPARE(s_->answerFileDialog(QStringLiteral("Save As"), QStringLiteral("Old.java")),
             QString());
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Overwrite\\?$")));
    s_->desktop->keys({QStringLiteral("n")});
    // No: the file stays, and the dialog asks again.
    QCOMPARE(s_->answerFileDialog(QStringLiteral("Save As"), QStringLiteral("Old.java")),
             QString());
    QCOMPARE(s_->read(QStringLiteral("Old.java")), QByteArray("old text"));
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Overwrite\\?$")));
    s_->desktop->keys({QStringLiteral("Return")}); // Yes, the default

    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Old.java"))));
    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("Old.java")), QByteArray("\ta"), 10000);
    // The Enters that answered the dialogs typed nothing: Save writes the
    // same bytes, and Exit finds nothing unsaved to ask about.
    s_->desktop->keys({QStringLiteral("ctrl+s"), QStringLiteral("ctrl+x")});
    QVERIFY(s_->desktop->waitForEditorExit());
    QCOMPARE(s_->read(QStringLiteral("Old.java")), QByteArray("\ta"));
    QCOMPARE(QDir(s_->dir.path()).entryList(QDir::Files).join(' '), QString("Old.java"));
}

void TestE2eDocument::closeQuestion() {
    s_->write(QStringLiteral("Hello.java"), "class Hello {}");
    QCOMPARE(s_->start(), QString());
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    s_->desktop->keys({QStringLiteral("x")});

    s_->desktop->keys({QStringLiteral("ctrl+x")});
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^File not saved$")));
    s_->desktop->keys({QStringLiteral("Escape")}); // Cancel keeps the window
    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Hello.java"))));
    QVERIFY(s_->desktop->editorRunning());

    s_->desktop->keys({QStringLiteral("ctrl+x")});
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^File not saved$")));
    s_->desktop->keys({QStringLiteral("n")});
    QVERIFY(s_->desktop->waitForEditorExit());
    QCOMPARE(s_->read(QStringLiteral("Hello.java")), QByteArray("class Hello {}"));
    // The launch scripts are created and removed on the way out.
    QCOMPARE(QDir(s_->dir.path()).entryList(QDir::Files).join(' '), QString("Hello.java"));
}

QTEST_GUILESS_MAIN(TestE2eDocument)
#include "tst_e2e_document.moc"
