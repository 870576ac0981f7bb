// Typing on a real desktop: the Edit keys, automatic indentation with a key
// that really auto-repeats, and the Enter that answers a dialog.
#include "e2e/Session.h"

#include <QRegularExpression>
#include <QTest>

using namespace tarnwick::e2e;

class TestE2eEditing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editKeys();
    void heldEnter_data();
    void heldEnter();
    void dialogEnter_data();
    void dialogEnter();

private:
    std::unique_ptr<Session> s_;
};

void TestE2eEditing::init() {
    s_ = std::make_unique<Session>();
    s_->write(QStringLiteral("Hello.java"), "");
    QCOMPARE(s_->start(), QString());
}

void TestE2eEditing::cleanup() {
    QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

void TestE2eEditing::editKeys() {
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    const QStringList selectFive(5, QStringLiteral("shift+Left"));
    s_->desktop->type(QStringLiteral("hello world"));
    s_->desktop->keys(selectFive + QStringList{"ctrl+Insert", "shift+Delete"}); // cut "world"
    s_->desktop->keys({"shift+Insert", "shift+Insert"});
    s_->desktop->keys(selectFive);
    s_->menu({"Right", "Down", "Up", "Return"}); // Edit, Delete
    // Ctrl+C and Ctrl+V stay the text area's own, on the system clipboard;
    // Shift+Ins still pastes the program's clipboard.
    s_->desktop->keys({"Home", "shift+Right", "shift+Right", "ctrl+c", "End", "ctrl+v"});
    s_->desktop->keys({"shift+Insert", "ctrl+s"});

    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("Hello.java")),
                              QByteArray("hello worldheworld"), 10000);
}

void TestE2eEditing::heldEnter_data() {
    QTest::addColumn<int>("busyLoops");
    QTest::newRow("idle") << 0;
    QTest::newRow("both cores busy") << 2;
}

void TestE2eEditing::heldEnter() {
    QFETCH(int, busyLoops);
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    s_->desktop->keys({"Tab", "a"});
    s_->desktop->startLoad(busyLoops);
    s_->desktop->holdKey(QStringLiteral("Return"), 1600);
    s_->desktop->stopLoad();
    s_->desktop->keys({"b", "ctrl+s"});

    QTRY_VERIFY_WITH_TIMEOUT(s_->read(QStringLiteral("Hello.java")).endsWith('b'), 10000);
    // Many line breaks from the repeats, one set of Tabs for the one release.
    const QByteArray bytes = s_->read(QStringLiteral("Hello.java"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\ta\\n{3,}\\tb$"))
                 .match(QString::fromLatin1(bytes))
                 .hasMatch(),
             bytes.toPercentEncoding().constData());
}

void TestE2eEditing::dialogEnter_data() {
    QTest::addColumn<QString>("dialog");
    QTest::newRow("save dialog") << QStringLiteral("save");
    QTest::newRow("input box") << QStringLiteral("input");
}

// At level 1, an Enter counted in the text would append a Tab: the document
// would be unsaved right after the dialog, and the next Save would write it.
void TestE2eEditing::dialogEnter() {
    QFETCH(QString, dialog);
    QString name = QStringLiteral("Hello.java");
    if (dialog == QLatin1String("save")) {
        name = QStringLiteral("New.java");
        s_->desktop->keys({"Tab", "a", "ctrl+s"}); // untitled: Save asks for a name
        QCOMPARE(s_->answerFileDialog(QStringLiteral("Save As"), name), QString());
    } else {
        QCOMPARE(s_->open(name), QString());
        s_->desktop->keys({"Tab", "a", "ctrl+s", "F5"});
        QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Enter here$")));
        s_->desktop->keys({"Return"});
        // The console of the empty command line waits for a key.
        QVERIFY(s_->desktop->waitForTerminalFocus());
        s_->desktop->keys({"space"});
    }
    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(name)));
    QTRY_COMPARE_WITH_TIMEOUT(s_->read(name), QByteArray("\ta"), 10000);

    s_->desktop->keys({"ctrl+s", "ctrl+x"});
    // Nothing unsaved: Exit asks nothing and the file keeps its bytes.
    QVERIFY(s_->desktop->waitForEditorExit());
    QCOMPARE(s_->read(name), QByteArray("\ta"));
}

QTEST_GUILESS_MAIN(TestE2eEditing)
#include "tst_e2e_editing.moc"
