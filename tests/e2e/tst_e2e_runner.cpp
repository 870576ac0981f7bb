// The Run menu on a real desktop: launch scripts run in a real terminal with
// the real JDK, and the Command Line question answered in Qt's input box.
#include "e2e/KeyboardMap.h"
#include "e2e/Session.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace tarnwick::e2e;

class TestE2eRunner : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void compileAndExecute();
    void commandLine();
    void heldKeyRunsOnce_data();
    void heldKeyRunsOnce();

private:
    // Waits for the console the editor started, then answers its closing
    // "Press any key" so that it goes away.
    bool dismissConsole() const;

    std::unique_ptr<Session> s_;
};

void TestE2eRunner::init() {
    s_ = std::make_unique<Session>();
    QCOMPARE(s_->start(), QString());
}

void TestE2eRunner::cleanup() {
    QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

bool TestE2eRunner::dismissConsole() const {
    if (!s_->desktop->waitForTerminalFocus())
        return false;
    s_->desktop->keys({"space"});
    return QTest::qWaitFor([&] { return s_->desktop->windowsOfClass("xterm").isEmpty(); }, 30000);
}

void TestE2eRunner::compileAndExecute() {
    s_->write(QStringLiteral("Hello.java"),
              "public class Hello { public static void main(String[] a) throws Exception {\n"
              "  java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), \"ran\");\n"
              "} }\n");
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());

    s_->desktop->keys({"F9"});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(s_->path(QStringLiteral("Hello.class"))).size() > 0, 60000);
    QCOMPARE(s_->read(QStringLiteral("temc.bat")),
             QByteArray("@echo OFF\r\nclearscr\r\njavac Hello.java\r\nkeypress"));
    QVERIFY(dismissConsole());

    QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Hello.java"))));
    s_->desktop->keys({"ctrl+F9"});
    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("ran.txt")), QByteArray("ran"), 60000);
    QCOMPARE(s_->read(QStringLiteral("temr.bat")),
             QByteArray("@echo OFF\r\nclearscr\r\njava Hello\r\nkeypress"));
    QVERIFY(dismissConsole());
}

void TestE2eRunner::commandLine() {
    s_->desktop->keys({"F5"});
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Enter here$")));
    s_->desktop->type(QStringLiteral("touch \"made by me\""));
    s_->desktop->keys({"Return"});

    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("made by me")), QByteArray(), 30000);
    QCOMPARE(s_->read(QStringLiteral("temc.bat")),
             QByteArray("@echo OFF\r\nclearscr\r\ntouch \"made by me\"\r\nkeypress"));
    QVERIFY(dismissConsole());
}

void TestE2eRunner::heldKeyRunsOnce_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("upInConsole");
    QTest::addColumn<QByteArray>("runs");
    QTest::newRow("Compile held") << QStringLiteral("F9") << false
                                  << QByteArray("javac Hello.java\n");
    QTest::newRow("Execute held") << QStringLiteral("ctrl+F9") << false
                                  << QByteArray("java Hello\n");
    // The key comes up in the console that took the keyboard, where the
    // editor never sees its release; pressed again, it runs again.
    QTest::newRow("Compile, up in the console, pressed again")
        << QStringLiteral("F9") << true << QByteArray("javac Hello.java\njavac Hello.java\n");
}

// A key held for two seconds auto-repeats some fifty times; the command runs
// once. javac and java are stand-ins on PATH that count their runs.
void TestE2eRunner::heldKeyRunsOnce() {
    QFETCH(QString, key);
    QFETCH(bool, upInConsole);
    QFETCH(QByteArray, runs);
    QVERIFY(QDir(s_->dir.path()).mkdir(QStringLiteral("bin")));
    for (const char* tool : {"javac", "java"}) {
        const QString name = QStringLiteral("bin/") + QLatin1String(tool);
        s_->write(name, QByteArray("#!/bin/sh\necho \"") + tool + " $*\" >> runs.log\n");
        QVERIFY(QFile::setPermissions(s_->path(name),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    QCOMPARE(s_->desktop->stop(), QStringList());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"),
                       s_->path(QStringLiteral("bin:")) + qEnvironmentVariable("PATH"));
    s_->write(QStringLiteral("Hello.java"), "class Hello {}\n");
    QCOMPARE(s_->start(Desktop::WindowManager::Openbox, environment), QString());
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());

    if (upInConsole) {
        // No repeats, which would answer the console's "press any key".
        QVERIFY(setAutoRepeat(s_->desktop->display(), false));
        s_->desktop->xdotool({QStringLiteral("keydown"), key});
        // openbox gives a new window the focus only once the key is up;
        // the focus is put there by hand, as a quick click would, once the
        // console's window can take it.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QStringList consoles = s_->desktop->windowsOfClass("xterm");
                if (consoles.isEmpty())
                    return false;
                s_->desktop->xdotool({QStringLiteral("windowfocus"), consoles.first()});
                return s_->desktop->waitForTerminalFocus(500);
            },
            30000));
        s_->desktop->xdotool({QStringLiteral("keyup"), key});
        QVERIFY(dismissConsole());
        const QString editor = Session::titleOf(QStringLiteral("Hello.java"));
        s_->desktop->xdotool({QStringLiteral("windowfocus"), s_->desktop->waitForWindow(editor)});
        QVERIFY(s_->desktop->waitForFocus(editor));
        s_->desktop->keys({key});
    } else {
        s_->desktop->holdKey(key, 2000);
    }

    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("runs.log")), runs, 30000);
    // Repeats still on their way would start another run within moments.
    QTest::qWait(3000);
    QCOMPARE(s_->read(QStringLiteral("runs.log")), runs);
}

QTEST_GUILESS_MAIN(TestE2eRunner)
#include "tst_e2e_runner.moc"
