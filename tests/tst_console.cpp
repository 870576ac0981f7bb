// The Linux console layer: command-line splitting, what a process start
// would run (as values), the helper programs with the real JDK, and one
// start of a real terminal on a private X server.
#include "platform/CommandLineSplit.h"
#include "platform/ProcessStarter.h"
#include "runner/LaunchScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace tarnwick;

namespace {

QString buildHelperDirectory() {
    return qEnvironmentVariable("TARNWICK_BUILD_DIR") + QStringLiteral("/libexec/tarnwick");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A stand-in program: an empty executable file, enough to be found on PATH.
bool makeProgram(const QString& path) {
    return writeBytes(path, "#!/bin/sh\n") &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Running, not merely a zombie nobody has reaped yet.
bool alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.mid(close + 2, 1) != "Z";
}

const QByteArray helloSource = "public class Hello {\n"
                               "    public static void main(String[] args) {\n"
                               "        System.out.println(\"Hello from Tarnwick\");\n"
                               "    }\n"
                               "}\n";

} // namespace

class TestConsole : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void plan_data();
    void plan();
    void planFailures_data();
    void planFailures();
    void defaultSetup();
    void scriptRunner();
    void scriptRunnerCarriesOn();
    void realTerminal();

private:
    // Runs a launch script through the built script runner with its input at
    // end of file, as a console without a terminal would; the output.
    QByteArray runScript(const QString& folder, const QString& script);
};

void TestConsole::split_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("plain") << "javac Hello.java" << QStringList{"javac", "Hello.java"};
    QTest::newRow("runs of blanks") << " \t java \t Hello  " << QStringList{"java", "Hello"};
    QTest::newRow("quoted group") << "javac \"My Prog.java\" -g"
                                  << QStringList{"javac", "My Prog.java", "-g"};
    QTest::newRow("quotes inside a word") << "a\"b c\"d" << QStringList{"ab cd"};
    QTest::newRow("empty quotes") << "echo \"\" x" << QStringList{"echo", "", "x"};
    QTest::newRow("unclosed quote") << "echo \"a  b" << QStringList{"echo", "a  b"};
    QTest::newRow("shell characters are plain") << "ls $(id);rm" << QStringList{"ls", "$(id);rm"};
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("blanks only") << " \t " << QStringList();
}

void TestConsole::split() {
    QFETCH(QString, commandLine);
    QFETCH(QStringList, words);
    QCOMPARE(splitCommandLine(commandLine), words);
}

void TestConsole::plan_data() {
    QTest::addColumn<QStringList>("installed"); // programs in the stand-in PATH folder
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("expected"); // program then arguments; @bin, @helpers
    QTest::newRow("desktop terminal first")
        << QStringList{"xterm", "x-terminal-emulator", "konsole", "javac"} << "javac Hello.java"
        << QStringList{"@bin/x-terminal-emulator", "-e", "javac", "Hello.java"};
    QTest::newRow("gnome-terminal")
        << QStringList{"gnome-terminal", "xterm", "java"} << "java Hello"
        << QStringList{"@bin/gnome-terminal", "--", "java", "Hello"};
    QTest::newRow("konsole") << QStringList{"konsole", "xterm", "java"} << "java Hello"
                             << QStringList{"@bin/konsole", "-e", "java", "Hello"};
    QTest::newRow("xfce4-terminal")
        << QStringList{"xfce4-terminal", "xterm"} << "temc.bat"
        << QStringList{"@bin/xfce4-terminal", "-x", "@helpers/tarnwick-batch", "temc.bat"};
    QTest::newRow("xterm last") << QStringList{"xterm", "javac"} << "javac \"My Prog.java\""
                                << QStringList{"@bin/xterm", "-e", "javac", "My Prog.java"};
    QTest::newRow("command.com opens the login shell")
        << QStringList{"xterm"} << "command.com" << QStringList{"@bin/xterm", "-e", "/bin/zsh"};
    QTest::newRow("script name in any case")
        << QStringList{"xterm"} << "TEMC.BAT"
        << QStringList{"@bin/xterm", "-e", "@helpers/tarnwick-batch", "TEMC.BAT"};
}

void TestConsole::plan() {
    QFETCH(QStringList, installed);
    QFETCH(QString, commandLine);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bin = dir.filePath("bin");
    QVERIFY(QDir().mkpath(bin));
    for (const QString& program : installed)
        QVERIFY(makeProgram(bin + "/" + program));
    QVERIFY(writeBytes(dir.filePath("temc.bat"), runner::launchScriptBytes("date")));
    QVERIFY(writeBytes(dir.filePath("TEMC.BAT"), runner::launchScriptBytes("date")));

    ConsoleSetup setup;
    setup.helperDirectory = buildHelperDirectory();
    setup.workingDirectory = dir.path();
    setup.environment.insert("PATH", bin);
    setup.environment.insert("HOME", "/home/someone");
    setup.loginShell = "/bin/zsh";

    QString error;
    const std::optional<ConsoleLaunch> launch = planConsoleLaunch(commandLine, setup, &error);
    QVERIFY2(launch, qPrintable(error));
    QStringList actual{launch->program};
    actual += launch->arguments;
    actual.replaceInStrings(setup.helperDirectory, "@helpers");
    actual.replaceInStrings(bin, "@bin");
    QCOMPARE(actual, expected);
    QCOMPARE(launch->workingDirectory, dir.path());
    // Helpers first on PATH for the terminal and all it starts; the rest kept.
    QCOMPARE(launch->environment.value("PATH"), setup.helperDirectory + ":" + bin);
    QCOMPARE(launch->environment.value("HOME"), QString("/home/someone"));
}

void TestConsole::planFailures_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("error");
    QTest::newRow("no terminal")
        << QStringList{"javac"} << "javac Hello.java"
        << "No terminal program was found (looked for x-terminal-emulator, gnome-terminal, "
           "konsole, xfce4-terminal, mate-terminal, terminator, alacritty, kitty, xterm)";
    QTest::newRow("no program") << QStringList{"xterm"} << "javac Hello.java"
                                << "No program named javac was found";
    QTest::newRow("no script") << QStringList{"xterm"} << "temr.bat"
                               << "There is no script temr.bat in @dir";
    QTest::newRow("empty") << QStringList{"xterm"} << "  "
                           << "The command line is empty";
}

void TestConsole::planFailures() {
    QFETCH(QStringList, installed);
    QFETCH(QString, commandLine);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bin = dir.filePath("bin");
    QVERIFY(QDir().mkpath(bin));
    for (const QString& program : installed)
        QVERIFY(makeProgram(bin + "/" + program));
    ConsoleSetup setup;
    setup.helperDirectory = buildHelperDirectory();
    setup.workingDirectory = dir.path();
    setup.environment.insert("PATH", bin);

    QString actual;
    QVERIFY(!planConsoleLaunch(commandLine, setup, &actual));
    QCOMPARE(actual, QString(error).replace("@dir", dir.path()));
    // Nothing started either.
    QVERIFY(!startInTerminal(commandLine, setup, &actual));
}

void TestConsole::defaultSetup() {
    // The editor reads nothing from its environment to find its helpers:
    // they sit beside its executable, and commands run in the folder of the
    // moment, which the file dialogs move.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const ConsoleSetup setup = defaultConsoleSetup();
    QDir::setCurrent(previous);
    QCOMPARE(setup.workingDirectory, QDir(dir.path()).canonicalPath());
    QCOMPARE(setup.helperDirectory,
             QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../libexec/tarnwick"));
    QVERIFY(QFileInfo(setup.loginShell).isAbsolute());
    QCOMPARE(setup.terminals.first().name, QString("x-terminal-emulator"));
    QCOMPARE(setup.terminals.last().name, QString("xterm"));
}

QByteArray TestConsole::runScript(const QString& folder, const QString& script) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", buildHelperDirectory() + ":" + environment.value("PATH"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(buildHelperDirectory() + "/tarnwick-batch", {script});
    // A bound against a hang, not a measure of speed: javac takes seconds.
    if (!process.waitForFinished(120000))
        return "timed out";
    return process.readAll();
}

void TestConsole::scriptRunner() {
    if (QStandardPaths::findExecutable("javac").isEmpty() ||
        QStandardPaths::findExecutable("java").isEmpty())
        QSKIP("javac and java are not on PATH");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath("Hello.java"), helloSource));

    // Given the scripts exactly as Compile and Execute write them.
    QVERIFY(writeBytes(dir.filePath("temc.bat"),
                       runner::launchScriptBytes(runner::compileCommandLine("Hello.java"))));
    const QByteArray compiled = runScript(dir.path(), "temc.bat");
    QVERIFY2(QFile::exists(dir.filePath("Hello.class")), compiled.constData());
    // "@echo OFF" hides every line; keypress returns at end of input.
    QCOMPARE(compiled, QByteArray("Press any key to continue . . . \n"));

    QVERIFY(writeBytes(dir.filePath("temr.bat"),
                       runner::launchScriptBytes(runner::executeCommandLine("Hello"))));
    QCOMPARE(runScript(dir.path(), "temr.bat"),
             QByteArray("Hello from Tarnwick\nPress any key to continue . . . \n"));
}

void TestConsole::scriptRunnerCarriesOn() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A failing line does not stop the script; echo is on until turned off,
    // "@" hides one line, LF alone also ends a line.
    QVERIFY(writeBytes(dir.filePath("t.bat"), "echo one\r\n@echo two\r\nfalse\r\n\r\n"
                                              "@echo OFF\nnosuchprogram 2>/dev/null\r\npwd"));
    const QByteArray expected = dir.path().toUtf8() + ">echo one\none\ntwo\n" +
                                dir.path().toUtf8() + ">false\n" + dir.path().toUtf8() + "\n";
    QCOMPARE(runScript(dir.path(), "t.bat"), expected);
}

void TestConsole::realTerminal() {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xterm = QStandardPaths::findExecutable("xterm");
    if (xvfb.isEmpty() || xterm.isEmpty())
        QSKIP("Xvfb or xterm is not installed");
    if (QStandardPaths::findExecutable("javac").isEmpty())
        QSKIP("javac is not on PATH");

    // A private X server; it names its display on the descriptor we give it.
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
    if (!server.waitForStarted(10000) || !server.waitForReadyRead(20000))
        QSKIP("Xvfb could not start an X server here");
    const auto stopServer = qScopeGuard([&server] {
        server.terminate();
        server.waitForFinished(20000);
    });
    const QByteArray display = server.readAllStandardOutput().trimmed();
    if (display.isEmpty())
        QSKIP("Xvfb did not report a display");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath("Hello.java"), helloSource));
    QVERIFY(writeBytes(dir.filePath("temc.bat"),
                       runner::launchScriptBytes(runner::compileCommandLine("Hello.java"))));

    ConsoleSetup setup;
    setup.helperDirectory = buildHelperDirectory();
    setup.workingDirectory = dir.path();
    setup.environment = QProcessEnvironment::systemEnvironment();
    setup.environment.insert("DISPLAY", ":" + QString::fromLatin1(display));
    setup.terminals = {{"xterm", {"-e"}}};
    qint64 pid = 0;
    QString error;
    QVERIFY2(startInTerminal("temc.bat", setup, &error, &pid), qPrintable(error));
    QVERIFY(pid > 0);
    // The test ends the terminal it started, also when a check fails.
    const auto stopTerminal = qScopeGuard([pid] { ::kill(pid_t(pid), SIGKILL); });

    // Bounds against a hang, not measures of speed.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("Hello.class")), 120000);
    // The console is still open, waiting for its key.
    QVERIFY(alive(pid));

    ::kill(pid_t(pid), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!alive(pid), 20000);
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
