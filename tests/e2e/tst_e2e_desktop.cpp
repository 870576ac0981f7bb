// What a desktop user expects of the real program: the keyboard reaches
// every menu and Alt never types, Esc closes the font dialog, and a file
// dragged from another program (a real XDND drag) opens.
#include "e2e/Session.h"

#include <QProcess>
#include <QTest>
#include <QUrl>

using namespace tarnwick::e2e;

class TestE2eDesktop : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menusByKeyboard_data();
    void menusByKeyboard();
    void escapeClosesFontDialog();
    void fileDraggedFromAnotherProgram_data();
    void fileDraggedFromAnotherProgram();

private:
    std::unique_ptr<Session> s_;
};

void TestE2eDesktop::init() {
    s_ = std::make_unique<Session>();
    QCOMPARE(s_->start(), QString());
}

void TestE2eDesktop::cleanup() {
    QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

void TestE2eDesktop::menusByKeyboard_data() {
    QTest::addColumn<QStringList>("keys");
    // Each row ends in File, Save by the keyboard: the saved bytes show what
    // the keys typed into the text on the way, which must be nothing.
    QTest::newRow("Alt+F, S") << QStringList{"alt+f", "s"};
    QTest::newRow("F10, S") << QStringList{"F10", "s"};
    QTest::newRow("Alt+E, Alt+R, Alt+H, then Alt+F, S")
        << QStringList{"alt+e", "Escape", "Escape", "alt+r", "Escape", "Escape",
                       "alt+h", "Escape", "Escape", "alt+f", "s"};
    QTest::newRow("Alt+Q, no menu's letter; then F10, S") << QStringList{"alt+q", "F10", "s"};
}

void TestE2eDesktop::menusByKeyboard() {
    QFETCH(QStringList, keys);
    s_->write(QStringLiteral("Keys.java"), QByteArray());
    QCOMPARE(s_->open(QStringLiteral("Keys.java")), QString());
    s_->desktop->type(QStringLiteral("ab"));
    s_->desktop->keys(keys);
    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("Keys.java")), QByteArray("ab"), 10000);
    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Keys.java"))));
}

void TestE2eDesktop::escapeClosesFontDialog() {
    const QString form2Title = QStringLiteral("^Font\\.\\.\\.$");
    s_->desktop->keys({QStringLiteral("alt+o")});
    QVERIFY(s_->desktop->waitForFocus(form2Title));
    s_->desktop->keys({QStringLiteral("Escape")});
    QVERIFY(s_->desktop->waitForNoWindow(form2Title));
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Untitled - Tarnwick$")));
}

void TestE2eDesktop::fileDraggedFromAnotherProgram_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("result"); // what the drag source was told
    QTest::newRow("one file") << QStringList{"Drop.java"} << "copy";
    QTest::newRow("two files: refused") << QStringList{"Drop.java", "Other.java"} << "ignore";
}

void TestE2eDesktop::fileDraggedFromAnotherProgram() {
    QFETCH(QStringList, names);
    QFETCH(QString, result);
    QStringList urls;
    for (const QString& name : names) {
        s_->write(name, "class " + name.toLatin1() + " {}\n");
        urls << QUrl::fromLocalFile(s_->path(name)).toString();
    }
    // Unsaved text: the drop asks first, as Open does.
    s_->desktop->type(QStringLiteral("typed"));
    const QString editor = s_->desktop->waitForWindow(QStringLiteral("^Untitled - Tarnwick$"));
    QProcess* source =
        s_->desktop->startProgram(buildDir() + QStringLiteral("/tests/e2e/dragsource"), urls);
    const QString sourceWindow = s_->desktop->waitForWindow(QStringLiteral("^drag source$"));
    QVERIFY(!sourceWindow.isEmpty());

    // Press on the source, move over the editor's text in steps, release.
    const QPoint from = s_->desktop->geometry(sourceWindow).center();
    const QPoint to = s_->desktop->geometry(editor).center();
    QStringList drag{"mousemove",
                     QString::number(from.x()),
                     QString::number(from.y()),
                     "mousedown",
                     "1",
                     "sleep",
                     "0.3"};
    for (int step = 1; step <= 10; ++step) {
        const QPoint at = from + (to - from) * step / 10;
        drag << "mousemove" << QString::number(at.x()) << QString::number(at.y()) << "sleep"
             << "0.1";
    }
    drag << "sleep"
         << "0.5"
         << "mouseup"
         << "1";
    s_->desktop->xdotool(drag);

    QTRY_VERIFY_WITH_TIMEOUT(source->canReadLine(), 10000);
    QCOMPARE(QString::fromLatin1(source->readLine()).trimmed(), result);
    if (result == QLatin1String("copy")) {
        QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^File not saved$")));
        s_->desktop->keys({QStringLiteral("n")});
        QVERIFY(!s_->desktop->waitForWindow(Session::titleOf(names.first())).isEmpty());
        // The file's own bytes are the text now: a save writes them back
        // with only what is typed next.
        s_->desktop->click(to);
        s_->desktop->keys({QStringLiteral("ctrl+Home")});
        s_->desktop->type(QStringLiteral("x"));
        s_->desktop->keys({QStringLiteral("ctrl+s")});
        QTRY_COMPARE_WITH_TIMEOUT(s_->read(names.first()), QByteArray("xclass Drop.java {}\n"),
                                  10000);
    } else {
        QTest::qWait(500);
        QVERIFY(s_->desktop->windows(QStringLiteral("^File not saved$")).isEmpty());
        QVERIFY(!s_->desktop->windows(QStringLiteral("^Untitled - Tarnwick$")).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestE2eDesktop)
#include "tst_e2e_desktop.moc"
