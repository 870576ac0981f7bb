// The Run menu and what it starts: script bytes and messages on the platform
// test double, the consoles' launch plans and the built script runner. The real JDK in a real
// terminal is the end-to-end layer's; the fuzz targets cover the file-name
// check and the script parser on any input.
#include "BatchScript.h"
#include "console/HelperLocation.h"
#include "console/ProcessStarter.h"
#include "desktop/StartupNotification.h"
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/OtherAccounts.h"

#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;
using namespace Qt::StringLiterals;

const QString helpers = qEnvironmentVariable("TARNWICK_HELPER_DIR");
// Every launch script, whichever command wrote it.
const auto script = [](const QByteArray& c) {
    return "@echo OFF\r\nclearscr\r\n" + c + "\r\nkeypress";
};
const QString badName = "The file name cannot be used in a command line\r";
const QString optionWord = "\rNo word of it may start with - or @";
const QString cant = "The command line cannot be run\r";
const QHash<QString, QString> titleOf{{"compile", "Can't compile"}, {"ncomp", "Can't compile"},
                                      {"exec", "Can't execute"},    {"nexec", "Can't execute"},
                                      {"comlne", "Can't run"},      {"compro", "Can't run"},
                                      {"Condi", "Conditions"}};

// A menu command on a document titled `input`, which is also Command Line's
// answer, with the command's script holding "old" before (or what `planted`
// puts there): either the message told under the command's title, with `call`
// failing and its reason after the message, or what started (`call`, when it
// is not the script); the script's bytes afterwards; and a clean folder once
// the window closes. Rows named "UTF-8" run in a UTF-8 locale, the rest in a
// single-byte one.
struct CommandRow {
    const char *name, *command;
    QString input, message;
    const char* call = "";
    QByteArray left = "old";
    const char* planted = ""; // a shell command that puts something else under the name
};
const CommandRow commandRows[] = {
    {"marks", "compile", "a b+@,=-_\u00e9.java", "", "", script("javac a b+@,=-_\xe9.java")},
    {"longest line", "comlne", QString(131071, 'y'), "", "", script(QByteArray(131071, 'y'))},
    {"ncomp, no shell reads it", "ncomp", "a;b.java", "", "javac a;b.java"},
    {"nexec", "nexec", "Hello.java", "", "java Hello"},
    {"compro", "compro", "", "", "command.com"},
    {"Conditions", "Condi", "",
     "\rThe conditions are : \r\r1. The filename must be same as that of the "
     "Class that contains main().\r2. You must have made those changes in your "
     "System Properties that\r    allow you to use javac and java from command "
     "line.\r3. The file must be saved before compile or execute."},
    {"untitled compile", "compile", "", "The file isn't saved yet"},
    {"untitled ncomp", "ncomp", "", "The file isn't saved yet"},
    {"untitled exec", "exec", "", "The file isn't saved yet"},
    {"short exec", "exec", "Main", "No class name can be formed from the file name\rMain"},
    {"option first", "compile", "-version.java", badName + "-version.java" + optionWord},
    {"quoted option", "ncomp", "\"-d\" x.java", badName + "\"-d\" x.java" + optionWord},
    {"no letter", "exec", "a\u20acb.java",
     badName + "a\u20acb.java\rOnly letters, digits, spaces and . _ - + @ , = are allowed"},
    // The platform call named fails with "no".
    {"touch", "compile", "A.java", "temc.bat could not be created", "touch temc.bat"},
    {"delete", "compile", "A.java", "temc.bat could not be deleted", "delete temc.bat"},
    {"write", "comlne", "date", "temc.bat could not be written", "write temc.bat", ""},
    {"start", "exec", ".java", "temr.bat could not be started", "start temr.bat", script("java ")},
    {"compro start", "compro", "", "command.com could not be started", "start command.com"},
    {"ncomp start", "ncomp", "A.java", "javac A.java could not be started", "start javac A.java"},
    // A console that fails after it started is told the same way.
    {"late start", "exec", "A.java", "temr.bat could not be started", "late start temr.bat",
     script("java A")},
    {"late ncomp", "ncomp", "A.java", "javac A.java could not be started",
     "late start javac A.java"},
    // Neither followed nor opened: a FIFO would block.
    {"dangling link", "compile", "A.java", "", "", script("javac A.java"), "ln -s x temc.bat"},
    {"FIFO", "comlne", "", "temc.bat could not be created\rIt is a named pipe, not a regular file",
     "", "", "mkfifo temc.bat"},
    // Scripts hold the locale's bytes; what the code page cannot hold is
    // refused before a byte of the script is written.
    {"UTF-8", "exec", "\U0001D400\u0301.java", "", "", script("java \xf0\x9d\x90\x80\xcc\x81")},
    {"UTF-8 lone surrogate", "comlne", QString(QChar(0xd83d)),
     cant + "It holds \"\ufffd\" (U+D83D), a character outside the code page", "", ""},
    {"UTF-8 too long", "comlne", QString(65536, QChar(0x41f)),
     cant + "It takes 131072 bytes; at most 131071 can be run", "", ""},
    {"outside", "compile", "\u041f.java",
     cant + "It holds \"\u041f\" (U+041F), a character outside the code page"},
    {"line break", "comlne", "ls\rtouch X",
     cant + "It holds a line break, which would run as a second command", "", ""},
    {"NUL", "comlne", u"\0"_s, cant + "It holds a NUL character, which would cut it short", "", ""},
    {"too long", "comlne", QString(131072, 'x'),
     cant + "It has 131072 characters; at most 131071 can be run", "", ""},
};

// What /bin/sh printed, given a script and its $0, $1...
static QByteArray sh(const QString& script, const QStringList& arguments = {}) {
    QProcess shell;
    shell.start("/bin/sh", QStringList{"-c", script} + arguments);
    return shell.waitForFinished(60000) ? shell.readAll() : "(hung)"; // a bound against a hang
}

// Terminals installed in a stand-in PATH folder (after a name, "!": one that
// complains and fails at once, "~": half a second later, "=": once the test
// lets it go; "+": one that ends well half a second later), the session (x: DISPLAY, w:
// WAYLAND_DISPLAY,
// -: neither, then the desktop), a command line, and the program and
// arguments started or why nothing can be, "|" between; @bin, @helpers and
// @dir stand for the row's folders.
struct PlanRow {
    const char *name, *installed, *session, *commandLine, *started;
};
const PlanRow planRows[] = {
    {"declared choice first", "x-terminal-emulator konsole javac", "x KDE", "javac A",
     "@bin/x-terminal-emulator|-T|javac A|-e|javac|A"},
    {"the desktop's own, a script", "gnome-terminal konsole", "x KDE", "TEMC.BAT",
     "@bin/konsole|-e|@helpers/tarnwick-batch|TEMC.BAT"},
    {"most specific desktop first", "xfce4-terminal kgx java", "x ubuntu:gnome:XFCE", "java A",
     "@bin/kgx|-T|java A|--|java|A"},
    // Split into words without a shell: blanks separate, quotes group.
    {"list order, words", "xterm gnome-terminal java", "-", " \t java \t a\"b c\"d \"\" \"a  b",
     "@bin/gnome-terminal|-t|java ab cd  a  b|--|java|ab cd||a  b"},
    {"one string, joined title", "terminology java", "-", "java it's",
     "@bin/terminology|--title=java it's|-e|java 'it'\\''s'"},
    {"Wayland-only on X", "foot xterm", "x", "command.com", "@bin/xterm|-T|/bin/zsh|-e|/bin/zsh"},
    {"Wayland-only on Wayland", "foot", "w", "command.com", "@bin/foot|-T|/bin/zsh|/bin/zsh"},
    {"X-only on Wayland alone: none", "xterm javac", "w", "javac A",
     "No terminal program that can open a window here was found (looked for x-terminal-emulator, "
     "xdg-terminal-exec, gnome-terminal, konsole, xfce4-terminal, mate-terminal, lxterminal, "
     "qterminal, kgx, ptyxis, tilix, terminator, sakura, terminology, alacritty, kitty, wezterm, "
     "foot)"},
    {"fails at once", "xterm!", "x", "command.com", "xterm: cannot open display"},
    // Told once the event loop runs, and the script's private copy goes.
    {"fails late, a script", "xterm~", "x", "TEMC.BAT", "xterm: cannot open display"},
    {"ends well late", "xterm+", "x", "command.com", "@bin/xterm|-T|/bin/zsh|-e|/bin/zsh"},
    {"runs until let go", "xterm=", "x", "command.com", "xterm: cannot open display"},
    {"no program", "xterm", "x", "javac A", "No program named javac was found"},
    {"no script", "xterm", "x", "temr.bat", "There is no script temr.bat in @dir"},
    {"blanks only", "xterm", "x", " \t ", "The command line is empty"},
};

// The built runner given the arguments, t.bat beside it, its input at end of file: what it printed,
// its status (the last line's) and the files there afterwards, then its standard error. Echoed
// lines show the folder; a line holding NUL runs no part of itself and is named.
struct ScriptRow {
    const char *name, *arguments;
    QByteArray script, expected;
};
const QByteArray usage = "usage: tarnwick-batch SCRIPT | tarnwick-batch --copy COPY NAME\n";
const ScriptRow runnerRows[] = {
    // A line holding NUL runs no part of itself, not even a switch of echo,
    // and the next line's status counts; a late @ is a plain character; bytes
    // reach the shell as they are.
    {"echo, @, blanks, LF alone, NUL, bytes, helpers", "t.bat",
     "echo one\r\n@echo OFF\0\r\n@echo two\r\nfalse\r\n \t\r\n\t@touch c 2>/dev/null\r\n"
     "echo Caf\xe9\xd0\x9f\r\n@echo OFF\nECHO On\r\n\t echo a\rb \t\r\n\techo off \r\npwd\r\n"
     "@touch a b\r\nclearscr\r\nkeypress"_ba,
     "@dir>echo one\none\ntwo\n@dir>false\n@dir>@touch c 2>/dev/null\n@dir>echo Caf\xe9\xd0\x9f\n"
     "Caf\xe9\xd0\x9f\n@dir>echo a\rb\na\rb\n@dir\nPress any key to continue . . . \n0 a b t.bat\n"
     "tarnwick-batch: line 2 holds a NUL byte and was not run\n"},
    {"last line refused", "t.bat", "touch d\0"_ba,
     "1 t.bat\ntarnwick-batch: line 1 holds a NUL byte and was not run\n"},
    {"no argument", "", "", "2 t.bat\n" + usage},
    {"--copy without a name", "--copy t.bat", "", "2 t.bat\n" + usage},
};

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void outcomes_data() { addRows(commandRows); }
    void outcomes() {
        const CommandRow& r = row(commandRows);
        const Folder dir;
        const QString name = QString(r.command) == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(*r.planted ? !QProcess::execute("sh", {"-c", r.planted}) : writeBytes(name, "old"));
        Editor e(QString(r.name).startsWith("UTF-8") ? CodePage::Utf8 : CodePage::SingleByte);
        e.state().fileTitle = r.input;
        e.platform.inputAnswers.push_back(r.input);
        e.platform.fail.insert(r.message.isEmpty() ? "" : r.call, "no");
        e.form.action(r.command)->trigger();
        e.platform.endLate();
        QStringList got = e.platform.started;
        for (const PlatformCall& call : e.platform.callsOf("messageBox"))
            got.append(QString::number(call.style) + " " + call.title + ": " + call.text);
        const auto told = "64 " + titleOf[r.command] + ": " + r.message + (*r.call ? "\rno" : "");
        QCOMPARE(got, QStringList{r.message.isEmpty() ? QString(*r.call ? r.call : name) : told});
        QCOMPARE(QFileInfo(name).isFile() ? readBytes(name) : "", r.left);
        // Closing removes whatever is under the names, and nothing else is left.
        e.platform.fail.clear();
        QVERIFY(e.form.close() && filesIn(".").isEmpty());
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
        QCOMPARE(swapped + platform.started.join(", "), "swappedtemc.bat");
        QCOMPARE(readBytes("../notes") + readBytes("temc.bat"), "private" + script("echo hi"));
    }

    void plan_data() { addRows(planRows); }
    void plan() {
        const PlanRow& r = row(planRows);
        const Folder dir;
        const QString bin = dir.filePath("bin");
        // Programs that do nothing are enough to be found and started.
        sh("mkdir bin; mkfifo fifo; touch TEMC.BAT; cd bin; for t in $0; do n=${t%[~=+!]}; "
           "echo '#!/bin/sh' >$n; case $t in *[~+]) echo \"$(command -v sleep) 0.5\";;"
           " *=) echo 'read x <fifo';; esac >>$n; case $t in *[~=!]) echo \"echo '  $n: "
           "cannot open display ' >&2; exit 3\";; esac >>$n; done; chmod +x *",
           {r.installed});
        ConsoleSetup setup{helpers, dir.path(), {}, "/bin/zsh"};
        const QStringList session = QString(r.session).split(' ');
        setup.environment.insert("PATH", bin);
        setup.environment.insert("XDG_CURRENT_DESKTOP", session.value(1));
        if (session[0].contains('x'))
            setup.environment.insert("DISPLAY", ":9");
        if (session[0].contains('w'))
            setup.environment.insert("WAYLAND_DISPLAY", "wayland-9");
        // The user's action, where known, goes to the console: on X11 its
        // time as a startup notification id, on Wayland its activation token
        // in both variables; the editor's own id and token do not.
        setup.environment.insert("DESKTOP_STARTUP_ID", "launcher-1_TIME10");
        setup.environment.insert("XDG_ACTIVATION_TOKEN", "token-of-the-editor");
        setup.userTime = session[0].contains('x') ? 4294967295u : 0;
        setup.activationToken = session[0].contains('w') ? "token-of-the-key" : "";
        setup.environment.insert("TMPDIR", dir.path()); // private copies in tarnwick-<uid>
        QString error;
        std::optional<ConsoleLaunch> launch = planConsoleLaunch(r.commandLine, setup, &error);
        const qsizetype fds = QDir("/proc/self/fd").count();
        QObject watches;
        const LateFailure late{&watches, [&](const QString& reason) { error = reason; }};
        if (launch && !(QString(r.commandLine).endsWith(".BAT")
                            ? startScriptInTerminal(r.commandLine, "ver", setup, &error, late)
                            : startInTerminal(r.commandLine, setup, &error, late)))
            launch.reset();
        if (QString(r.installed).endsWith('=')) // returned while it runs, and now let go
            sh("echo >fifo");
        // Once the watch ends, nothing of it is left open or unreaped.
        QTRY_VERIFY_WITH_TIMEOUT(watches.children().isEmpty(), 20000);
        QVERIFY(QDir("/proc/self/fd").count() == fds && ::waitpid(-1, nullptr, WNOHANG) == -1);
        if (launch && !error.isEmpty())
            launch.reset(), error += filesIn(u"tarnwick-%1"_s.arg(::geteuid())).join(" ");
        const ConsoleLaunch got = launch.value_or(ConsoleLaunch{error, {}, {}, {}});
        QString started = (QStringList{got.program} + got.arguments).join('|');
        started.replace(helpers, "@helpers").replace(bin, "@bin").replace(dir.path(), "@dir");
        QCOMPARE(started, r.started);
        QVERIFY(!launch || got.environment.value("PATH") == helpers + ":" + bin);
        const QString id = u"tarnwick-%1-4294967295_TIME4294967295"_s.arg(qApp->applicationPid());
        QCOMPARE(got.environment.value("DESKTOP_STARTUP_ID") + '|' +
                     got.environment.value("XDG_ACTIVATION_TOKEN"),
                 !launch                            ? "|"
                 : !setup.activationToken.isEmpty() ? "token-of-the-key|token-of-the-key"
                 : setup.userTime                   ? id + '|'
                                                    : "|");
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
        e.platform.startsScript = [&setup](const auto& name, const auto& bytes, auto* error) {
            return startScriptInTerminal(name, bytes, setup, error);
        };
        e.platform.inputAnswers = {"echo A > a.log", "echo B > b.log"};
        e.form.comlne();
        e.form.comlne();
        QTRY_COMPARE_WITH_TIMEOUT(readBytes("a.log") + readBytes("b.log"), "A\nB\n", 20000);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(runtime.path()).isEmpty(), 20000);
        e.platform.fail.insert("touch temr.bat", "read-only");
        QVERIFY(e.form.close());
        QStringList calls;
        for (const PlatformCall& call : e.platform.calls)
            calls.append((call.service + " " + call.text + " " + call.title).trimmed());
        QCOMPARE(
            calls.join(", "),
            u"touch temc.bat, delete temc.bat, touch temc.bat, inputBox Enter the command line "
            "to be executed Enter here, write temc.bat, start temc.bat, "_s.repeated(2) +
                "touch temc.bat, touch temr.bat, delete temc.bat, delete temr.bat");
        setup.terminals = {}; // no terminal at all: the copy goes at once
        QVERIFY(!startScriptInTerminal("temc.bat", "echo C", setup, nullptr) &&
                QDir(runtime.path()).isEmpty());
    }

    void runner_data() { addRows(runnerRows); }
    void runner() {
        const ScriptRow& r = row(runnerRows);
        const Folder dir;
        QVERIFY(writeBytes("t.bat", r.script));
        QCOMPARE(sh("PATH=$0:$PATH tarnwick-batch $1 </dev/null 2>.e; echo $? *; cat .e",
                    {helpers, r.arguments}),
                 QByteArray(r.expected).replace("@dir", dir.path().toUtf8()));
    }

    // Texts other programs read. The console's title: what the script runs,
    // in whole characters, with escapes, BEL and C1 controls blanked, as they
    // would end its sequence. The startup announcement: 20-byte pieces, ended
    // by a NUL, quotes and backslashes in values escaped. Where an installed
    // editor looks for its helpers. Words for a one-string terminal's shell,
    // which must read back each one as it was.
    void texts() {
        const auto tt = [](const QByteArray& bytes) {
            return QByteArray::fromStdString(
                batch::consoleTitle("tt.bat", batch::parseScript(bytes.toStdString())));
        };
        QCOMPARE(tt(script("")), "tt.bat"_ba);
        QCOMPARE(tt("echo a\r\nCLEARSCR\r\nls\0x\r\n@pwd"_ba), "tt.bat - echo a & pwd"_ba);
        QCOMPARE(tt("a\x1b]2;x\x07\x7f\xc2\x9c\xc2\x85\xc3\xa9"), "tt.bat - a ]2;x    \xc3\xa9"_ba);
        QCOMPARE(tt("\xc3\xa9"_ba.repeated(150)), "tt.bat - " + "\xc3\xa9"_ba.repeated(95));
        const auto pieces = [](const char* kind, const QString& id) {
            return startupMessagePieces(startupMessage(kind, {{"ID", id}})).join('|');
        };
        QCOMPARE(pieces("remove", "a"), "remove: ID=\"a\"\0\0\0\0\0\0"_ba);
        QCOMPARE(pieces("new", "a\"b\\cde"), "new: ID=\"a\\\"b\\\\cde\"\0"_ba);
        QCOMPARE(pieces("new", "a\"b\\cdef"), "new: ID=\"a\\\"b\\\\cdef\"|"_ba + QByteArray(20, 0));
        QCOMPARE(helperDirectoryFor("/opt/t/bin"), "/opt/t/libexec/tarnwick"_L1);
        // Each character a word of its own, with an empty word at either end.
        const QStringList words = QStringList{"Az09_@%+=:,./-", "it's"} +
                                  u" \t\n\r;&|<>()$`\\\"'*?[]~#!{}^\u00e9"_s.split(QString());
        QCOMPARE(shellQuoted(words),
                 u"Az09_@%+=:,./- 'it'\\''s' '' ' ' '\t' '\n' '\r' ';' '&' '|' '<' '>' '(' ')' '$' "
                 "'`' '\\' '\"' ''\\''' '*' '?' '[' ']' '~' '#' '!' '{' '}' '^' '\u00e9' ''"_s);
        QCOMPARE(sh("printf '%s\\0' " + shellQuoted(words)), words.join(QChar()).toUtf8() + '\0');
    }
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
