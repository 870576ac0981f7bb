// What a process start would run, the helper programs with the real JDK, and one
// real terminal on a private X server.
#include "platform/ProcessStarter.h"
#include "platform/StartupNotification.h"
#include "runner/LaunchScript.h"
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

using namespace tarnwick;
using tarnwick::test::writeBytes;

namespace {

const QString helpers = qEnvironmentVariable("TARNWICK_HELPER_DIR");

ConsoleSetup setupIn(const QString& folder, const QProcessEnvironment& environment = {}) {
    ConsoleSetup setup;
    setup.helperDirectory = helpers;
    setup.workingDirectory = folder;
    setup.environment = environment;
    return setup;
}

// Running, not merely a zombie nobody has reaped yet.
bool alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.mid(close + 2, 1) != "Z";
}

// The entry the editor uses for the terminal of that name.
KnownTerminal known(const QString& name) {
    for (const KnownTerminal& terminal : knownTerminals()) {
        if (terminal.name == name)
            return terminal;
    }
    return {};
}

bool jdkMissing() {
    return QStandardPaths::findExecutable("javac").isEmpty();
}

// A folder with Hello.java and the scripts exactly as Compile and Execute write them.
bool writeHello(const QTemporaryDir& dir) {
    return dir.isValid() &&
           writeBytes(dir.filePath("Hello.java"),
                      "public class Hello { public static void main(String[] args) {\n"
                      "System.out.println(\"Hello from Tarnwick\"); } }\n") &&
           writeBytes(dir.filePath("temc.bat"),
                      runner::launchScriptBytes(runner::compileCommandLine("Hello.java"),
                                                CodePage::Utf8)) &&
           writeBytes(
               dir.filePath("temr.bat"),
               runner::launchScriptBytes(runner::executeCommandLine("Hello"), CodePage::Utf8));
}

// Runs a script through the built script runner with its input at end of file.
QByteArray runScript(const QString& folder, const QString& script) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", helpers + ":" + environment.value("PATH"));
    // javac and java read and write the locale's character set, as the
    // editor does.
    environment.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(helpers + "/tarnwick-batch", {script});
    // A bound against a hang, not a measure of speed.
    return process.waitForFinished(120000) ? process.readAll() : "timed out";
}

} // namespace

class TestConsole : public QObject {
    Q_OBJECT

private slots:
    void plan_data() {
        QTest::addColumn<QStringList>("installed"); // programs in the stand-in PATH folder
        QTest::addColumn<QStringList>("desktop");   // variables besides PATH
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("expected"); // program then arguments; @bin, @helpers
        QTest::addColumn<QString>("error");        // when nothing can be started; @dir
        const auto row = [](const char* name, const QStringList& installed,
                            const QStringList& desktop, const char* commandLine,
                            const QStringList& expected, const QString& error = {}) {
            QTest::newRow(name) << installed << desktop << QString(commandLine) << expected
                                << error;
        };
        const QStringList kde{"XDG_CURRENT_DESKTOP=KDE"};
        row("x-terminal-emulator before the desktop's",
            {"xterm", "x-terminal-emulator", "konsole", "javac"}, kde, "javac Hello.java",
            {"@bin/x-terminal-emulator", "-T", "javac Hello.java", "-e", "javac", "Hello.java"});
        row("xdg-terminal-exec before the desktop's", {"konsole", "xdg-terminal-exec", "java"}, kde,
            "java Hello", {"@bin/xdg-terminal-exec", "java", "Hello"});
        // The script runner names the script's commands in the title itself.
        row("the desktop's own before the list", {"gnome-terminal", "konsole", "xterm"}, kde,
            "TEMC.BAT", {"@bin/konsole", "-e", "@helpers/tarnwick-batch", "TEMC.BAT"});
        row("most specific desktop first", {"xfce4-terminal", "kgx", "java"},
            {"XDG_CURRENT_DESKTOP=ubuntu:gnome:XFCE"}, "java Hello",
            {"@bin/kgx", "-T", "java Hello", "--", "java", "Hello"});
        row("GNOME Terminal before GNOME Console", {"kgx", "gnome-terminal", "java"},
            {"XDG_CURRENT_DESKTOP=GNOME"}, "java Hello",
            {"@bin/gnome-terminal", "-t", "java Hello", "--", "java", "Hello"});
        row("list order without a desktop", {"xterm", "mate-terminal", "gnome-terminal", "java"},
            {}, "java Hello", {"@bin/gnome-terminal", "-t", "java Hello", "--", "java", "Hello"});
        row("command.com", {"xterm"}, {}, "command.com",
            {"@bin/xterm", "-T", "/bin/zsh", "-e", "/bin/zsh"});
        // Split into words without a shell: blanks separate, quotes group.
        row("words", {"xterm", "java"}, {}, " \t java \t a\"b c\"d \"\" $(id);rm \"a  b",
            {"@bin/xterm", "-T", "java ab cd  $(id);rm a  b", "-e", "java", "ab cd", "", "$(id);rm",
             "a  b"});
        // Terminals that split one string themselves get the words quoted.
        row("one string", {"tilix", "xterm", "java"}, {}, "java it's \"a b\" \"\"",
            {"@bin/tilix", "-t", "java it's a b ", "-e", "java 'it'\\''s' 'a b' ''"});
        row("joined title option", {"terminology"}, {}, "command.com",
            {"@bin/terminology", "--title=/bin/zsh", "-e", "/bin/zsh"});
        row("Wayland-only terminal passed over on X", {"foot", "xterm"}, {}, "command.com",
            {"@bin/xterm", "-T", "/bin/zsh", "-e", "/bin/zsh"});
        row("Wayland-only terminal on Wayland", {"foot", "xterm"}, {"WAYLAND_DISPLAY=wayland-0"},
            "command.com", {"@bin/foot", "-T", "/bin/zsh", "/bin/zsh"});
        row("no terminal", {"javac"}, {}, "javac Hello.java", {},
            "No terminal program was found (looked for x-terminal-emulator, xdg-terminal-exec, "
            "gnome-terminal, konsole, xfce4-terminal, mate-terminal, lxterminal, qterminal, kgx, "
            "ptyxis, tilix, terminator, sakura, terminology, alacritty, kitty, wezterm, foot, "
            "urxvt, xterm)");
        row("no program", {"xterm"}, {}, "javac Hello.java", {},
            "No program named javac was found");
        row("no script", {"xterm"}, {}, "temr.bat", {}, "There is no script temr.bat in @dir");
        row("blanks only", {"xterm"}, {}, " \t ", {}, "The command line is empty");
    }

    void plan() {
        QFETCH(QStringList, installed);
        QFETCH(QStringList, desktop);
        QFETCH(QString, commandLine);
        QFETCH(QStringList, expected);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString bin = dir.filePath("bin");
        QVERIFY(dir.isValid() && QDir().mkpath(bin));
        for (const QString& program : installed) // an empty executable is enough to be found
            QVERIFY(writeBytes(bin + "/" + program, "") &&
                    QFile::setPermissions(bin + "/" + program, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(writeBytes(dir.filePath("TEMC.BAT"), ""));
        ConsoleSetup setup = setupIn(dir.path());
        setup.environment.insert("PATH", bin);
        for (const QString& variable : desktop)
            setup.environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        setup.loginShell = "/bin/zsh";

        QString actualError;
        const std::optional<ConsoleLaunch> launch =
            planConsoleLaunch(commandLine, setup, &actualError);
        QCOMPARE(actualError, error.replace("@dir", dir.path()));
        if (!launch) {
            QVERIFY(expected.isEmpty());
            QVERIFY(!startInTerminal(commandLine, setup, &actualError)); // nothing started either
            return;
        }
        QStringList actual = QStringList{launch->program} + launch->arguments;
        QCOMPARE(actual.replaceInStrings(helpers, "@helpers").replaceInStrings(bin, "@bin"),
                 expected);
        QCOMPARE(launch->environment.value("PATH"), helpers + ":" + bin);
    }

    // The user's time goes to the console as a startup notification id;
    // whatever id or token the editor was itself started with does not.
    void startupNotification_data() {
        QTest::addColumn<quint32>("userTime");
        QTest::addColumn<QString>("startupId"); // @pid for the editor's process id
        QTest::newRow("time of the key")
            << quint32(4294967295u) << "tarnwick-@pid-4294967295_TIME4294967295";
        QTest::newRow("no time known") << quint32(0) << QString();
    }

    void startupNotification() {
        QFETCH(quint32, userTime);
        QFETCH(QString, startupId);
        QTemporaryDir dir;
        ConsoleSetup setup = setupIn(dir.path(), QProcessEnvironment::systemEnvironment());
        setup.terminals = {known("xdg-terminal-exec")};
        setup.terminals.first().name = "sh"; // a program sure to be there, run as it is
        setup.environment.insert("DESKTOP_STARTUP_ID", "launcher-1_TIME10");
        setup.environment.insert("XDG_ACTIVATION_TOKEN", "token-of-the-editor");
        setup.userTime = userTime;
        QString error;
        const std::optional<ConsoleLaunch> launch = planConsoleLaunch("sh", setup, &error);
        QVERIFY2(launch, qPrintable(error));
        QCOMPARE(launch->environment.value("DESKTOP_STARTUP_ID"),
                 startupId.replace("@pid", QString::number(QCoreApplication::applicationPid())));
        QVERIFY(!launch->environment.contains("XDG_ACTIVATION_TOKEN"));
    }

    // The announcement the window manager reads: 20-byte pieces, the text
    // ended by a NUL, quotes and backslashes in values escaped.
    void startupAnnouncement_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::newRow("padded") << QByteArray("remove") << "a"
                                << QList<QByteArray>{
                                       QByteArray("remove: ID=\"a\"\0\0\0\0\0\0", 20)};
        QTest::newRow("NUL fills the piece")
            << QByteArray("new") << "a\"b\\cde"
            << QList<QByteArray>{QByteArray("new: ID=\"a\\\"b\\\\cde\"\0", 20)};
        QTest::newRow("NUL alone in a piece")
            << QByteArray("new") << "a\"b\\cdef"
            << QList<QByteArray>{QByteArray("new: ID=\"a\\\"b\\\\cdef\"", 20),
                                 QByteArray(20, '\0')};
    }

    void startupAnnouncement() {
        QFETCH(QByteArray, kind);
        QFETCH(QString, id);
        QFETCH(QList<QByteArray>, pieces);
        QCOMPARE(startupMessagePieces(startupMessage(kind, {{"ID", id}})), pieces);
    }

    // What the shell, like GLib's parser in the GTK terminals, makes of the
    // quoted words.
    void shellQuoting_data() {
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << QStringList{"javac", "Hello.java", "/usr/bin/x-y_z@1:2,3+4=5%"};
        QTest::newRow("quotes") << QStringList{"it's", "'", "''", "\"a\"", "\\'\\"};
        QTest::newRow("shell characters")
            << QStringList{"$(id)", "`id`", "a;b", "a|b", "*", "~", "#x", "a b", "\t", "", "!"};
        QTest::newRow("Latin-1 and line breaks") << QStringList{"Caf\u00e9", "a\nb", "\r"};
    }

    void shellQuoting() {
        QFETCH(QStringList, words);
        QProcess shell;
        shell.start("/bin/sh", {"-c", "printf '%s\\0' " + shellQuoted(words)});
        QVERIFY(shell.waitForFinished(20000));
        QByteArray expected;
        for (const QString& word : words)
            expected += word.toUtf8() + '\0';
        QCOMPARE(shell.readAllStandardOutput(), expected);
    }

    void defaultSetup() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const ConsoleSetup setup = defaultConsoleSetup();
        QDir::setCurrent(previous);
        QCOMPARE(setup.workingDirectory, QDir(dir.path()).canonicalPath());
        QCOMPARE(setup.helperDirectory,
                 QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../libexec/tarnwick"));
    }

    void scriptRunner() {
        QTemporaryDir dir;
        // A failing line does not stop a script; "@" hides one line; LF alone ends one.
        QVERIFY(writeBytes(dir.filePath("t.bat"), "echo one\r\n@echo two\r\nfalse\r\n\r\n"
                                                  "@echo OFF\nnosuchprogram 2>/dev/null\r\npwd"));
        const QByteArray folder = dir.path().toUtf8();
        QCOMPARE(runScript(dir.path(), "t.bat"),
                 folder + ">echo one\none\ntwo\n" + folder + ">false\n" + folder + "\n");

        if (jdkMissing())
            QSKIP("javac is not on PATH");
        QVERIFY(writeHello(dir));
        const QByteArray compiled = runScript(dir.path(), "temc.bat");
        QVERIFY2(QFile::exists(dir.filePath("Hello.class")), compiled.constData());
        QCOMPARE(compiled, QByteArray("Press any key to continue . . . \n"));
        QCOMPARE(runScript(dir.path(), "temr.bat"),
                 QByteArray("Hello from Tarnwick\nPress any key to continue . . . \n"));
    }

    // Typed in a UTF-8 locale, saved under a Cyrillic name, compiled and run
    // through the scripts by the real JDK: the bytes of the text and of the
    // name reach javac and the shell unchanged.
    void typedUtf8Compiles() {
        if (jdkMissing())
            QSKIP("javac is not on PATH");
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(dir.isValid() && QDir::setCurrent(dir.path()));
        const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        test::Editor e(CodePage::Utf8);
        QVERIFY(e.showActive());
        const QString line = QStringLiteral("public class \u041f\u0440\u0438\u0432\u0435\u0442 { "
                                            "public static void main(String[] a) { "
                                            "System.out.println(\"Gr\u00fc\u00dfe\"); } }");
        for (const QChar c : line)
            QTest::sendKeyEvent(QTest::Click, &e.text(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        const QString source = dir.filePath("\u041f\u0440\u0438\u0432\u0435\u0442.java");
        e.platform.saveAnswers.push_back(test::FakePlatform::choose(source));
        e.form.save();
        QFile saved(source);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), line.toUtf8());

        runner::compile(e.state().fileTitle, e.platform);
        runner::exec(e.state().fileTitle, e.platform);
        QCOMPARE(e.platform.started, (QStringList{"temc.bat", "temr.bat"}));
        const QByteArray compiled = runScript(dir.path(), "temc.bat");
        QVERIFY2(QFile::exists(dir.filePath("\u041f\u0440\u0438\u0432\u0435\u0442.class")),
                 compiled.constData());
        QCOMPARE(runScript(dir.path(), "temr.bat"),
                 QByteArray("Gr\xc3\xbc\xc3\x9f"
                            "e\nPress any key to continue . . . \n"));
    }

    // Two Command Lines in quick succession, each console starting only
    // after both scripts were written, as a slow terminal does: each runs
    // its own command, and the private copies are gone once read.
    void quickCommandsRunTheirOwnScripts() {
        QTemporaryDir dir, runtime;
        const QString previous = QDir::currentPath();
        QVERIFY(dir.isValid() && runtime.isValid() && QDir::setCurrent(dir.path()));
        const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        const QString terminal = dir.filePath("slow-terminal");
        QVERIFY(writeBytes(terminal, "#!/bin/sh\nsleep 0.5\nexec \"$@\" </dev/null\n") &&
                QFile::setPermissions(terminal, QFile::ReadOwner | QFile::ExeOwner));
        ConsoleSetup setup = setupIn(dir.path(), QProcessEnvironment::systemEnvironment());
        setup.environment.insert("XDG_RUNTIME_DIR", runtime.path());
        setup.terminals = {known("xdg-terminal-exec")};
        setup.terminals.first().name = terminal;
        test::FakePlatform platform;
        platform.startsScript = [&setup](const QString& name, const QByteArray& bytes,
                                         QString* error) {
            return startScriptInTerminal(name, bytes, setup, error);
        };
        platform.inputAnswers = {"echo A >> race.log", "echo B >> race.log"};

        QElapsedTimer both;
        both.start();
        runner::comlne(platform);
        runner::comlne(platform);
        QVERIFY2(both.elapsed() < 400, "the second script came after the first console read");
        QCOMPARE(platform.started, (QStringList{"temc.bat", "temc.bat"}));
        const auto lines = [] { // the consoles run side by side, in either order
            QByteArrayList ran = test::readBytes("race.log").split('\n');
            std::sort(ran.begin(), ran.end());
            return ran;
        };
        QTRY_COMPARE_WITH_TIMEOUT(lines(), (QByteArrayList{"", "A", "B"}), 20000);
        QCOMPARE(test::readBytes("temc.bat"),
                 runner::launchScriptBytes("echo B >> race.log", CodePage::SingleByte));
        QTRY_COMPARE_WITH_TIMEOUT(
            QDir(runtime.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList(), 20000);
        // No terminal at all: the copy goes at once.
        setup.terminals = {};
        QString error;
        QVERIFY(!startScriptInTerminal("temc.bat", "echo C", setup, &error));
        QVERIFY(QDir(runtime.path()).isEmpty());
    }

    void realTerminal() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty() || QStandardPaths::findExecutable("xterm").isEmpty() || jdkMissing())
            QSKIP("Xvfb, xterm or the JDK is not installed");
        QProcess server; // names its display on the descriptor it is given
        server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
        const QByteArray display =
            server.waitForReadyRead(20000) ? server.readAllStandardOutput().trimmed() : "";
        const auto stopServer = qScopeGuard([&server] {
            server.terminate();
            server.waitForFinished(20000);
        });
        if (display.isEmpty())
            QSKIP("Xvfb could not start an X server here");

        QTemporaryDir dir;
        QVERIFY(writeHello(dir));
        ConsoleSetup setup = setupIn(dir.path(), QProcessEnvironment::systemEnvironment());
        setup.terminals = {known("xterm")};
        setup.environment.insert("DISPLAY", ":" + QString::fromLatin1(display));
        qint64 pid = 0;
        QString error;
        QVERIFY2(startInTerminal("temc.bat", setup, &error, &pid), qPrintable(error));
        QVERIFY(pid > 0); // the test ends the terminal it started
        const auto stopTerminal = qScopeGuard([pid] { ::kill(pid_t(pid), SIGKILL); });

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("Hello.class")), 120000);
        QVERIFY(alive(pid)); // still open, waiting for its key
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!alive(pid), 20000);
    }
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
