// The main window: start-up state, menu bar, accelerators, resizing, closing.
#include "app/ClientFit.h"
#include "support/Editor.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// The caption as shown, without the marker of its underlined letter.
QString caption(const QAction* action) {
    QString text = action->text();
    return text.remove(QLatin1Char('&'));
}

// The action's text underlines one letter, which no earlier entry of the
// same menu underlines.
bool hasOwnMnemonic(const QAction* action, QSet<QKeySequence>& taken) {
    const QKeySequence letter = QKeySequence::mnemonic(action->text());
    if (letter.isEmpty() || action->text().count(QLatin1Char('&')) != 1 || taken.contains(letter))
        return false;
    taken.insert(letter);
    return true;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startsWithInitialState() {
        Editor e;
        QCOMPARE(e.form.windowTitle(), QStringLiteral("Untitled - Tarnwick"));
        e.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e.form));
        QCOMPARE(e.form.centralWidget()->size(), QSize(538, 351));
        QCOMPARE(e.text().size(), QSize(538, 351));
        QCOMPARE(e.text().pos(), QPoint(0, 0));

        QVERIFY(!e.text().isUtf8());
        // "MS Sans Serif" is not installed; its stand-in is.
        QCOMPARE(e.text().fontFamily(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, 0), 975L);
        QVERIFY(!e.text().isBold() && !e.text().isItalic() && !e.text().isUnderline());
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 255, 255));
        QVERIFY(!e.text().foregroundColour().has_value());
        QVERIFY(e.text().verticalScrollBar()->isVisible());
        QVERIFY(e.text().horizontalScrollBar()->isVisible());
        for (int margin = 0; margin < 5; ++margin)
            QCOMPARE(e.text().marginWidth(margin), 0);
        QVERIFY(!e.text().autoIndent());
    }

    // The whole bar as one listing: menu, item name, caption and shortcut, in
    // order; "Font...." stands on the bar itself. Every caption carries an
    // underlined letter of its own within its menu, the bar's included.
    void menuBarMatchesTable() {
        Editor e;
        QStringList bar;
        QSet<QKeySequence> barLetters;
        for (QAction* top : e.form.menuBar()->actions()) {
            QVERIFY2(hasOwnMnemonic(top, barLetters), qPrintable(top->text()));
            QSet<QKeySequence> letters;
            const QList<QAction*> items = top->menu() ? top->menu()->actions() : QList{top};
            for (QAction* item : items) {
                QVERIFY(item->isEnabled() && item->isVisible());
                QCOMPARE(e.form.action(item->objectName()), item);
                if (top->menu())
                    QVERIFY2(hasOwnMnemonic(item, letters), qPrintable(item->text()));
                bar << QStringLiteral("%1|%2|%3|%4")
                           .arg(top->menu() ? caption(top) : QString(), item->objectName(),
                                caption(item), item->shortcut().toString());
            }
        }
        QCOMPARE(bar, (QStringList{
                          "File|new|New|Ctrl+N", "File|open|Open|Ctrl+O", "File|saveim|Save|Ctrl+S",
                          "File|save|Save As|", "File|exit|Exit|Ctrl+X", "Edit|edcut|Cut|Shift+Del",
                          "Edit|edcopy|Copy|Ctrl+Ins", "Edit|edpaste|Paste|Shift+Ins",
                          "Edit|eddel|Delete|", "|font|Font....|", "Run|compile|Compile|F9",
                          "Run|exec|Execute|Ctrl+F9", "Run|comlne|Command Line|F5",
                          "Run|compro|Command Prompt|F7", "Run|ncomp|Normal Compile|Ctrl+F5",
                          "Run|nexec|Normal Execute|Ctrl+F7", "Help|About|About|",
                          "Help|Condi|Conditions|"}));
    }

    // With the text area focused, menu keys still reach the menu, also those
    // the component has bindings of its own for (Ctrl+X cut; the Edit keys
    // have rows in tst_editing, which also check what they did).
    void acceleratorsReachMenuFromText1_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("name");
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << "exit";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier) << "saveim";
        QTest::newRow("F9") << int(Qt::Key_F9) << int(Qt::NoModifier) << "compile";
        QTest::newRow("Ctrl+F7") << int(Qt::Key_F7) << int(Qt::ControlModifier) << "nexec";
    }
    void acceleratorsReachMenuFromText1() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, name);
        Editor e;
        QVERIFY(e.showActive());
        e.type("selected text");
        e.text().setSelectionRange(0, 8);
        e.state().isSaved = true;
        QGuiApplication::clipboard()->setText(QStringLiteral("outside"));
        QSignalSpy fired(e.form.action(name), &QAction::triggered);
        QTest::keyClick(&e.text(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(fired.count(), 1);
        // The component's own clipboard keys never ran.
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("outside"));
        QCOMPARE(e.text().bytes(), QByteArray("selected text"));
    }

    // With the text area focused, Alt and a menu's letter (or F10) opens the
    // menu and the item's letter picks the item; Alt with any letter types
    // nothing into the text.
    void keyboardReachesEveryMenu_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("menu"); // the menu that opens, or none
        QTest::addColumn<int>("letter");   // then typed into the open menu
        QTest::addColumn<QString>("name"); // the item that runs, or none
        QTest::newRow("Alt+F, A") << int(Qt::Key_F) << int(Qt::AltModifier) << "file"
                                  << int(Qt::Key_A) << "save";
        QTest::newRow("Alt+E, D") << int(Qt::Key_E) << int(Qt::AltModifier) << "edit"
                                  << int(Qt::Key_D) << "eddel";
        QTest::newRow("Alt+R, X") << int(Qt::Key_R) << int(Qt::AltModifier) << "run"
                                  << int(Qt::Key_X) << "nexec";
        QTest::newRow("Alt+H, C") << int(Qt::Key_H) << int(Qt::AltModifier) << "Help"
                                  << int(Qt::Key_C) << "Condi";
        QTest::newRow("Alt+O: Font....")
            << int(Qt::Key_O) << int(Qt::AltModifier) << "" << 0 << "font";
        QTest::newRow("F10, S") << int(Qt::Key_F10) << int(Qt::NoModifier) << "file"
                                << int(Qt::Key_S) << "saveim";
        QTest::newRow("Alt+Q: no menu's letter")
            << int(Qt::Key_Q) << int(Qt::AltModifier) << "" << 0 << "";
    }
    void keyboardReachesEveryMenu() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, menu);
        QFETCH(int, letter);
        QFETCH(QString, name);
        Editor e;
        QVERIFY(e.showActive());
        e.type("text");
        e.state().isSaved = true;
        e.platform.saveAnswers.push_back(std::nullopt);
        // Every menu command, counted when it runs.
        QHash<QAction*, int> fired;
        for (QAction* action : e.form.findChildren<QAction*>()) {
            if (e.form.action(action->objectName()) == action)
                connect(action, &QAction::triggered, this, [&fired, action] { ++fired[action]; });
        }

        QTest::keyClick(&e.text(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QCOMPARE(popup ? popup->objectName() : QString(), menu);
        if (popup)
            QTest::keyClick(popup, Qt::Key(letter));
        QTRY_VERIFY(!QApplication::activePopupWidget());

        QHash<QAction*, int> expected;
        if (!name.isEmpty())
            expected.insert(e.form.action(name), 1);
        QCOMPARE(fired, expected);
        QCOMPARE(e.text().bytes(), QByteArray("text"));
    }

    // Closing with unsaved text asks first; Cancel, or a save that did not
    // happen, keeps the window open.
    void closeAsksAboutUnsavedText_data() {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("closed");
        QTest::newRow("saved: closes at once") << false << 0 << true << true;
        QTest::newRow("Cancel keeps it open") << true << 2 << true << false;
        QTest::newRow("No closes and discards") << true << 7 << true << true;
        QTest::newRow("Yes saves and closes") << true << 6 << true << true;
        QTest::newRow("Yes, save cancelled: stays") << true << 6 << false << false;
    }
    void closeAsksAboutUnsavedText() {
        QFETCH(bool, dirty);
        QFETCH(int, answer);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, closed);
        QTemporaryDir dir;
        Editor e;
        e.form.show();
        e.type("unsaved");
        e.state().isSaved = !dirty;
        if (answer)
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        const QString target = dir.filePath(QStringLiteral("Saved.java"));
        e.platform.saveAnswers.push_back(saveSucceeds ? std::optional(FakePlatform::choose(target))
                                                      : std::nullopt);
        e.form.exit();

        QCOMPARE(!e.form.isVisible(), closed);
        const PlatformCall question{"messageBox", "Do you want to save the changes",
                                    "File not saved", 3};
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(dirty ? 1 : 0, question));
        QCOMPARE(readBytes(target), answer == 6 && saveSucceeds ? "unsaved" : "<unreadable>");
        QCOMPARE(e.text().bytes(), QByteArray("unsaved"));
    }

    // Before a logout the session manager asks whether the session may end:
    // the question of New and Open, with the logout in place of the
    // replaced text. Agreeing to end without saving also answers the close
    // that follows it, until the text changes again.
    void sessionEndAsksAboutUnsavedText_data() {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("typeAfter"); // a change between the logout and the close
        QTest::addColumn<bool>("mayEnd");
        QTest::addColumn<int>("questions"); // asked in all, the close included
        QTest::newRow("saved: ends, nothing asked") << false << 0 << true << false << true << 0;
        QTest::newRow("Cancel keeps the session") << true << 2 << true << false << false << 2;
        QTest::newRow("No ends, the close asks nothing") << true << 7 << true << false << true << 1;
        QTest::newRow("No, then typing: the close asks") << true << 7 << true << true << true << 2;
        QTest::newRow("Yes saves and ends") << true << 6 << true << false << true << 1;
        QTest::newRow("Yes, save cancelled: session kept")
            << true << 6 << false << false << false << 2;
    }
    void sessionEndAsksAboutUnsavedText() {
        QFETCH(bool, dirty);
        QFETCH(int, answer);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, typeAfter);
        QFETCH(bool, mayEnd);
        QFETCH(int, questions);
        QTemporaryDir dir;
        Editor e;
        e.form.show();
        QSignalSpy savedChanges(&e.form, &Form1::savedChanged);
        if (dirty)
            e.type("unsaved");
        if (answer)
            e.platform.messageAnswers.push_back(MsgAnswer(answer));
        const QString target = dir.filePath(QStringLiteral("Saved.java"));
        e.platform.saveAnswers.push_back(saveSucceeds ? std::optional(FakePlatform::choose(target))
                                                      : std::nullopt);
        // What the logout inhibitor follows: unsaved from the first change,
        // saved again after a Yes.
        QTRY_COMPARE(savedChanges.count(), dirty ? 1 : 0);

        QCOMPARE(e.form.sessionMayEnd(), mayEnd);
        QCOMPARE(readBytes(target), answer == 6 && saveSucceeds ? "unsaved" : "<unreadable>");
        QCOMPARE(savedChanges.count(), (dirty ? 1 : 0) + (answer == 6 && saveSucceeds ? 1 : 0));
        if (typeAfter)
            e.type("+");
        e.platform.messageAnswers.push_back(MsgAnswer::No);
        e.form.exit();
        QVERIFY(!e.form.isVisible());
        const PlatformCall question{"messageBox", "Do you want to save the changes",
                                    "File not saved", 3};
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(questions, question));
    }

    // The text area fills the client area, unless none is left.
    void textAreaFollowsClientArea_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("one pixel each") << QSize(1, 1) << QSize(1, 1);
        QTest::newRow("no width left") << QSize(0, 300) << QSize(538, 351);
        QTest::newRow("no height left") << QSize(300, 0) << QSize(538, 351);
    }
    void textAreaFollowsClientArea() {
        QFETCH(QSize, client);
        QFETCH(QSize, expected);
        QCOMPARE(text1SizeFor(client, QSize(538, 351)), expected);
    }

    void resizingTheWindowResizesText1() {
        Editor e;
        e.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e.form));
        e.form.resize(700, 500);
        QTRY_COMPARE(e.text().size(), e.form.centralWidget()->size());
        QCOMPARE(e.text().pos(), QPoint(0, 0));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
