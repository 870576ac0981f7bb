// The Run menu and what it starts: script bytes and messages on the platform
// test double, the consoles' launch plans and the built script runner. The real JDK in a real
// terminal is the end-to-end layer's; the fuzz targets cover the file-name
// check and the script parser on any input.
#include "BatchScript.h"
#include "platform/ProcessStarter.h"
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/OtherAccounts.h"

#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;
using namespace Qt::StringLiterals;

namespace {

const QString helpers = qEnvironmentVariable("TARNWICK_HELPER_DIR");
// Every launch script, whichever command wrote it.
const auto script = [](const QByteArray& line) {
    return "@echo OFF\r\nclearscr\r\n" + line + "\r\nkeypress";
};
const QString badName = "The file name cannot be used in a command line\r";
const QString cannotRun = "The command line cannot be run\r";
const QString conditions =
    "\rThe conditions are : \r\r1. The filename must be same as that of the Class that contains "
    "main().\r2. You must have made those changes in your System Properties that\r    allow you to "
    "use javac and java from command line.\r3. The file must be saved before compile or execute.";
const QHash<QString, QString> titleOf{{"compile", "Can't compile"}, {"ncomp", "Can't compile"},
                                      {"exec", "Can't execute"},    {"nexec", "Can't execute"},
                                      {"comlne", "Can't run"},      {"compro", "Can't run"},
                                      {"Condi", "Conditions"}};

// A menu command on a document titled `input`, which is also Command Line's
// answer, with the command's script holding "old" before: either the message
// told under the command's title with `call` failing, or what started (`call`,
// when it is not the script); and the script's bytes afterwards. Rows
// named "UTF-8" run in a UTF-8 locale, the rest in a single-byte one.
struct CommandRow {
    const char *name, *command;
    QString input, message;
    QByteArray left;
    const char* call = "";
};
const CommandRow commandRows[] = {
    {"marks", "compile", "a b+@,=-_\u00e9.java", "", script("javac a b+@,=-_\xe9.java")},
    {"longest line", "comlne", QString(131071, 'y'), "", script(QByteArray(131071, 'y'))},
    {"ncomp, no shell reads it", "ncomp", "a;b.java", "", "old", "javac a;b.java"},
    {"nexec", "nexec", "Hello.java", "", "old", "java Hello"},
    {"compro", "compro", "", "", "old", "command.com"},
    {"Conditions", "Condi", "", conditions, "old"},
    {"untitled compile", "compile", "", "The file isn't saved yet", "old"},
    {"untitled ncomp", "ncomp", "", "The file isn't saved yet", "old"},
    {"untitled exec", "exec", "", "The file isn't saved yet", "old"},
    {"short exec", "exec", "Main", "No class name can be formed from the file name\rMain", "old"},
    {"option first", "compile", "-version.java",
     badName + "-version.java\rNo word of it may start with - or @", "old"},
    {"quoted option", "ncomp", "\"-d\" x.java",
     badName + "\"-d\" x.java\rNo word of it may start with - or @", "old"},
    {"no letter", "exec", "a\u20acb.java",
     badName + "a\u20acb.java\rOnly letters, digits, spaces and . _ - + @ , = are allowed", "old"},
    {"touch", "compile", "A.java", "temc.bat could not be created\rno", "old", "touch temc.bat"},
    {"delete", "compile", "A.java", "temc.bat could not be deleted\rno", "old", "delete temc.bat"},
    {"write", "comlne", "date", "temc.bat could not be written\rno", "", "write temc.bat"},
    {"start", "exec", ".java", "temr.bat could not be started\rno", script("java "),
     "start temr.bat"},
    // Scripts hold the locale's bytes; what the code page cannot hold is
    // refused before a byte of the script is written.
    {"UTF-8 letters", "exec", "\U0001D400\u0301.java", "", script("java \xf0\x9d\x90\x80\xcc\x81")},
    {"UTF-8 lone surrogate", "comlne", QString(QChar(0xd83d)),
     cannotRun + "It holds \"\ufffd\" (U+D83D), a character outside the code page", ""},
    {"UTF-8 too long", "comlne", QString(65536, QChar(0x41f)),
     cannotRun + "It takes 131072 bytes; at most 131071 can be run", ""},
    {"outside", "compile", "\u041f.java",
     cannotRun + "It holds \"\u041f\" (U+041F), a character outside the code page", "old"},
    {"line break", "comlne", "ls\rtouch X",
     cannotRun + "It holds a line break, which would run as a second command", ""},
    {"NUL", "comlne", QString::fromLatin1("ls\0", 3),
     cannotRun + "It holds a NUL character, which would cut it short", ""},
    {"too long", "comlne", QString(131072, 'x'),
     cannotRun + "It has 131072 characters; at most 131071 can be run", ""},
};

// What a command told the user and started, as one text.
QString outcome(const FakePlatform& platform) {
    QStringList told;
    for (const PlatformCall& call : platform.callsOf("messageBox"))
        told.append(QString::number(call.style) + " " + call.title + ": " + call.text);
    return told.join(" | ") + " started " + platform.started.join(", ");
}

// Terminals installed in a stand-in PATH folder, the desktop (or Wayland), a
// command line, and the program and arguments started or why nothing can be,
// "|" between; @bin, @helpers and @dir stand for the row's folders.
struct PlanRow {
    const char *name, *installed, *desktop, *commandLine, *started;
};
const PlanRow planRows[] = {
    {"declared choice first", "x-terminal-emulator konsole javac", "KDE", "javac A",
     "@bin/x-terminal-emulator|-T|javac A|-e|javac|A"},
    {"the desktop's own, a script", "gnome-terminal konsole", "KDE", "TEMC.BAT",
     "@bin/konsole|-e|@helpers/tarnwick-batch|TEMC.BAT"},
    {"most specific desktop first", "xfce4-terminal kgx java", "ubuntu:gnome:XFCE", "java A",
     "@bin/kgx|-T|java A|--|java|A"},
    // Split into words without a shell: blanks separate, quotes group.
    {"list order, words", "xterm gnome-terminal java", "", " \t java \t a\"b c\"d \"\" \"a  b",
     "@bin/gnome-terminal|-t|java ab cd  a  b|--|java|ab cd||a  b"},
    {"one string, joined title", "terminology java", "", "java it's",
     "@bin/terminology|--title=java it's|-e|java 'it'\\''s'"},
    {"Wayland-only on X", "foot xterm", "", "command.com", "@bin/xterm|-T|/bin/zsh|-e|/bin/zsh"},
    {"Wayland-only on Wayland", "foot", "wayland", "command.com", "@bin/foot|-T|/bin/zsh|/bin/zsh"},
    {"no terminal", "javac", "", "javac A",
     "No terminal program was found (looked for x-terminal-emulator, xdg-terminal-exec, "
     "gnome-terminal, konsole, xfce4-terminal, mate-terminal, lxterminal, qterminal, kgx, ptyxis, "
     "tilix, terminator, sakura, terminology, alacritty, kitty, wezterm, foot, urxvt, xterm)"},
    {"no program", "xterm", "", "javac A", "No program named javac was found"},
    {"no script", "xterm", "", "temr.bat", "There is no script temr.bat in @dir"},
    {"blanks only", "xterm", "", " \t ", "The command line is empty"},
};

// The built runner on t.bat, its input at end of file: what it printed, its
// status and the files there afterwards. Echoed lines show the folder; a line
// holding NUL runs no part of itself and is named.
struct ScriptRow {
    const char* name;
    QByteArray script, expected;
};
const ScriptRow runnerRows[] = {
    {"echo, @, blanks, LF alone, helpers",
     "echo one\r\n@echo two\r\nfalse\r\n \t\r\n@echo OFF\nECHO On\r\n\t echo a\rb \t\r\n\techo off "
     "\r\npwd\r\n@touch a b\r\nclearscr\r\nkeypress",
     "@dir>echo one\none\ntwo\n@dir>false\n@dir>echo a\rb\na\rb\n@dir\n"
     "Press any key to continue . . . \n0 a b t.bat\n"},
    {"NUL between two lines", "touch a\r\n\r\ntouch cut\0; touch tail\r\n@touch b"_ba,
     "@dir>touch a\ntarnwick-batch: line 3 holds a NUL byte and was not run\n0 a b t.bat\n"},
};

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void outcomes_data() { addRows(commandRows); }
    void outcomes() {
        const CommandRow& r = row(commandRows);
        const Folder dir;
        const QString name = QString(r.command) == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(writeBytes(name, "old"));
        Editor e(QString(r.name).startsWith("UTF-8") ? CodePage::Utf8 : CodePage::SingleByte);
        e.state().fileTitle = r.input;
        e.platform.inputAnswers.push_back(r.input);
        e.platform.fail.insert(r.message.isEmpty() ? "" : r.call, "no");
        e.form.action(r.command)->trigger();
        QCOMPARE(outcome(e.platform),
                 r.message.isEmpty() ? " started " + QString(*r.call ? r.call : name)
                                     : "64 " + titleOf[r.command] + ": " + r.message + " started ");
        QCOMPARE(filesIn("."), QStringList{name});
        QCOMPARE(readBytes(name), r.left);
    }

    // Dangling links and FIFOs under the scripts' names: a link is never
    // followed, nothing is opened that could block, and closing still
    // removes the names.
    void strangeScripts() {
        const Folder dir;
        QVERIFY(QDir().mkpath("gone"));
        for (const bool fifo : {false, true}) {
            for (const char* n : {"temc.bat", "temr.bat"})
                QVERIFY(fifo ? ::mkfifo(n, 0644) == 0 : QFile::link(QString("gone/") + n, n));
            FakePlatform platform;
            fifo ? runner::comlne(platform) : runner::compile("Hello.java", platform);
            QCOMPARE(outcome(platform), fifo ? "64 Can't run: temc.bat could not be created\rIt is "
                                               "a named pipe, not a regular file started "
                                             : " started temc.bat");
            QCOMPARE(runner::removeLaunchScripts(platform), !fifo); // a FIFO is not even touched
            QCOMPARE(filesIn(".") + filesIn("gone"), QStringList());
        }
    }

    // In a folder shared with a group, another member swaps the script for
    // a link to the user's private file while Command Line asks.
    void linkPlantedWhileAsking() {
        QString why, swapped;
        const std::optional<OtherAccounts> accounts = OtherAccounts::get(&why);
        if (!accounts)
            QSKIP(qPrintable(why));
        const Folder dir;
        QVERIFY(openToOthers(dir.path()) && writeBytes("notes", "private"));
        QVERIFY(::mkdir("class", 0) == 0 && ::chown("class", 0, accounts->shared) == 0 &&
                ::chmod("class", 02770) == 0 && QDir::setCurrent("class"));
        FakePlatform platform;
        platform.inputAnswers.push_back("echo hi");
        platform.whileAsking = [&] {
            swapped = runAs(accounts->bob, accounts->shared, []() -> QString {
                return ::unlink("temc.bat") || ::symlink("../notes", "temc.bat") ? "" : "swapped";
            });
        };
        runner::comlne(platform);
        QCOMPARE(swapped + outcome(platform), "swapped started temc.bat");
        QCOMPARE(readBytes("../notes") + readBytes("temc.bat"), "private" + script("echo hi"));
    }

    void plan_data() { addRows(planRows); }
    void plan() {
        const PlanRow& r = row(planRows);
        const Folder dir;
        const QString bin = dir.filePath("bin");
        // Empty programs are enough to be found.
        QVERIFY(!QProcess::execute(
            "sh", {"-c", "mkdir bin; touch TEMC.BAT; cd bin; touch $0; chmod +x *", r.installed}));
        ConsoleSetup setup{helpers, dir.path(), {}, "/bin/zsh"};
        setup.environment.insert("PATH", bin);
        setup.environment.insert(*r.desktop == 'w' ? "WAYLAND_DISPLAY" : "XDG_CURRENT_DESKTOP",
                                 r.desktop);
        // The user's time, where known, goes to the console as a startup
        // notification id; the editor's own id and token do not.
        setup.environment.insert("DESKTOP_STARTUP_ID", "launcher-1_TIME10");
        setup.environment.insert("XDG_ACTIVATION_TOKEN", "token-of-the-editor");
        setup.userTime = *r.desktop ? 4294967295u : 0;
        QString error;
        const std::optional<ConsoleLaunch> launch = planConsoleLaunch(r.commandLine, setup, &error);
        const ConsoleLaunch got = launch.value_or(ConsoleLaunch{error, {}, {}, {}});
        QString started = (QStringList{got.program} + got.arguments).join('|');
        started.replace(helpers, "@helpers").replace(bin, "@bin").replace(dir.path(), "@dir");
        QCOMPARE(started, r.started);
        QVERIFY(!launch || got.environment.value("PATH") == helpers + ":" + bin);
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QCOMPARE(got.environment.value("DESKTOP_STARTUP_ID") +
                     got.environment.value("XDG_ACTIVATION_TOKEN"),
                 setup.userTime && launch ? "tarnwick-" + pid + "-4294967295_TIME4294967295" : "");
    }

    // Two Command Lines in quick succession, each console starting only
    // after both scripts were written, as a slow terminal does: each runs its
    // own command, and the private copies are gone once read. Each step in
    // its order: the old script is gone before the question; on closing, a
    // failed clean-up step is silent, the rest still run, and the window closes.
    void quickCommandsRunTheirOwnScripts() {
        const Folder dir;
        const QTemporaryDir runtime;
        ConsoleSetup setup = defaultConsoleSetup();
        setup.environment.insert("XDG_RUNTIME_DIR", runtime.path());
        setup.terminals = {{"sh", {"-c", "sleep 0.5; exec \"$0\" \"$@\" </dev/null"}, {}, {}}};
        Editor e;
        e.platform.startsScript = [&setup](const QString& name, const QByteArray& bytes,
                                           QString* error) {
            return startScriptInTerminal(name, bytes, setup, error);
        };
        e.platform.inputAnswers = {"echo A > a.log", "echo B > b.log"};
        e.form.comlne();
        e.form.comlne();
        QTRY_COMPARE_WITH_TIMEOUT(readBytes("a.log") + readBytes("b.log"), "A\nB\n", 20000);
        QCOMPARE(readBytes("temc.bat"), script("echo B > b.log"));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(runtime.path()).isEmpty(), 20000);
        e.platform.fail.insert("touch temr.bat", "read-only");
        QVERIFY(e.form.close());
        QStringList calls;
        for (const PlatformCall& call : e.platform.calls)
            calls.append((call.service + " " + call.text + " " + call.title).trimmed());
        const QString comlne =
            "touch temc.bat, delete temc.bat, touch temc.bat, inputBox Enter the command line to "
            "be executed Enter here, write temc.bat, start temc.bat, ";
        QCOMPARE(calls.join(", "),
                 comlne + comlne +
                     "touch temc.bat, touch temr.bat, delete temc.bat, delete temr.bat");
        QCOMPARE(filesIn("."), (QStringList{"a.log", "b.log"}));
        setup.terminals = {}; // no terminal at all: the copy goes at once
        QVERIFY(!startScriptInTerminal("temc.bat", "echo C", setup, nullptr) &&
                QDir(runtime.path()).isEmpty());
    }

    void runner_data() { addRows(runnerRows); }
    void runner() {
        const ScriptRow& r = row(runnerRows);
        const Folder dir;
        QVERIFY(writeBytes("t.bat", r.script));
        QProcess process;
        process.start(
            "sh", {"-c", "PATH=$0:$PATH tarnwick-batch t.bat </dev/null 2>&1; echo $? *", helpers});
        QVERIFY(process.waitForFinished(60000)); // a bound against a hang
        QCOMPARE(process.readAll(), QByteArray(r.expected).replace("@dir", dir.path().toUtf8()));
    }

    // The console's title: what the script runs, in whole characters, with
    // escapes, BEL and C1 controls blanked, as they would end its sequence.
    void title() {
        for (const auto& [bytes, title] : QList<std::pair<QByteArray, QByteArray>>{
                 {script(""), "tt.bat"},
                 {"echo a\r\nCLEARSCR\r\nls\0x\r\n@pwd"_ba, "tt.bat - echo a & pwd"},
                 {"a\x1b]2;x\x07\x7f\xc2\x9c\xc2\x85\xc3\xa9", "tt.bat - a ]2;x    \xc3\xa9"},
                 {"\xc3\xa9"_ba.repeated(150), "tt.bat - " + "\xc3\xa9"_ba.repeated(95)}})
            QCOMPARE(batch::consoleTitle("tt.bat", batch::parseScript(bytes.toStdString())),
                     title.toStdString());
    }
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
