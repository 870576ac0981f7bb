// The Run menu and what it starts: script bytes and messages on the platform
// test double, the consoles' launch plans, the built script runner, and the
// installed tree through the desktops' own validators.
#include "BatchScript.h"
#include "platform/HelperLocation.h"
#include "platform/ProcessStarter.h"
#include "platform/StartupNotification.h"
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/Harness.h"
#include "support/OtherAccounts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <future>
#include <poll.h>
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
const auto unsafe = [](const QString& name) {
    return badName + name + "\rOnly letters, digits, spaces and . _ - + @ , = are allowed";
};
const auto option = [](const QString& name) {
    return badName + name + "\rNo word of it may start with - or @";
};
const QString cannotRun = "The command line cannot be run\r";
const auto outside = [](const QString& shown, const QString& code) {
    return cannotRun + "It holds \"" + shown + "\" (U+" + code +
           "), a character outside the code page";
};
const QString lineBreak = cannotRun + "It holds a line break, which would run as a second command";
const QString notSaved = "The file isn't saved yet",
              noClass = "No class name can be formed from the file name\rMain";
const QString cyrillic = "\u041f\u0440\u0438\u0432\u0435\u0442";
const QByteArray cyrillicUtf8 = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";
const QString conditions =
    "\rThe conditions are : \r\r1. The filename must be same as that of the Class that contains "
    "main().\r2. You must have made those changes in your System Properties that\r    allow you to "
    "use javac and java from command line.\r3. The file must be saved before compile or execute.";
const QHash<QString, QString> titleOf{{"compile", "Can't compile"}, {"ncomp", "Can't compile"},
                                      {"exec", "Can't execute"},    {"nexec", "Can't execute"},
                                      {"comlne", "Can't run"},      {"compro", "Can't run"},
                                      {"Condi", "Conditions"}};

// A menu command on a document titled `input`, which is also Command Line's
// answer, with the command's script holding "old" before: the script's bytes
// afterwards, and either the message told under the command's title with
// `call` failing, or what started (`call`, when it is not the script).
struct CommandRow {
    const char* name;
    const char* command;
    QString input;
    QByteArray left;
    QString message = {};
    const char* call = "";
};
const CommandRow commandRows[] = {
    {"compile", "compile", "Hello.java", script("javac Hello.java")},
    {"exec", "exec", "Hello.java", script("java Hello")},
    {"marks", "compile", "a+b@c,d=e-f_g.\u00e9.java", script("javac a+b@c,d=e-f_g.\xe9.java")},
    {"five characters", "exec", ".java", script("java ")},
    {"comlne", "comlne", "ls \"a b\" \u00e9", script("ls \"a b\" \xe9")},
    {"comlne cancel", "comlne", "", script("")},
    {"longest line", "comlne", QString(131071, 'y'), script(QByteArray(131071, 'y'))},
    {"compro", "compro", "", "old", "", "command.com"},
    {"ncomp, no shell", "ncomp", "a;b.java", "old", "", "javac a;b.java"},
    {"nexec", "nexec", "Hello.java", "old", "", "java Hello"},
    {"Conditions", "Condi", "", "old", conditions},
    {"untitled compile", "compile", "", "old", notSaved},
    {"untitled ncomp", "ncomp", "", "old", notSaved},
    {"untitled exec", "exec", "", "old", notSaved},
    {"untitled nexec", "nexec", "", "old", notSaved},
    {"short exec", "exec", "Main", "old", noClass},
    {"short nexec", "nexec", "Main", "old", noClass},
    {"option first", "compile", "-version.java", "old", option("-version.java")},
    {"argument file", "exec", "x @args.java", "old", option("x @args.java")},
    {"quoted option", "ncomp", "\"-d\" x.java", "old", option("\"-d\" x.java")},
    {"option later", "nexec", "-jar evil.jar x.java", "old", option("-jar evil.jar x.java")},
    {"no letter", "compile", "a\u20acb.java", "old", unsafe("a\u20acb.java")},
    {"shell mark", "exec", "a`b.java", "old", unsafe("a`b.java")},
    {"touch fails", "compile", "Hello.java", "old", "temc.bat could not be created\rno",
     "touch temc.bat"},
    {"delete fails", "compile", "Hello.java", "old", "temc.bat could not be deleted\rno",
     "delete temc.bat"},
    {"write fails", "comlne", "date", "", "temc.bat could not be written\rno", "write temc.bat"},
    {"start fails", "exec", "Hello.java", script("java Hello"), "temr.bat could not be started\rno",
     "start temr.bat"},
    {"compro fails", "compro", "", "old", "command.com could not be started\rno",
     "start command.com"},
    {"ncomp fails", "ncomp", "Hello.java", "old", "javac Hello.java could not be started\rno",
     "start javac Hello.java"},
    // Scripts hold the locale's bytes (UTF-8 in the rows so named); only what
    // the code page cannot hold is refused, before a byte is written.
    {"UTF-8 name", "compile", cyrillic + ".java", script("javac " + cyrillicUtf8 + ".java")},
    {"UTF-8 beyond the first plane, mark", "exec", "\U0001D400e\u0301X.java",
     script("java \xf0\x9d\x90\x80"
            "e\xcc\x81X")},
    {"UTF-8 answer", "comlne", cyrillic + " \U0001F600 * ?",
     script(cyrillicUtf8 + " \xf0\x9f\x98\x80 * ?")},
    {"UTF-8 lone surrogate", "comlne", QString(QChar(0xd83d)), "", outside("\ufffd", "D83D")},
    {"UTF-8 too long", "comlne", QString(65536, QChar(0x41f)), "",
     cannotRun + "It takes 131072 bytes; at most 131071 can be run"},
    {"outside, name", "compile", cyrillic + ".java", "old", outside("\u041f", "041F")},
    {"outside, answer", "comlne", "rm " + cyrillic, "", outside("\u041f", "041F")},
    {"beyond the first plane", "comlne", "\U0001F600", "", outside("\U0001F600", "1F600")},
    {"line feed", "comlne", "ls\ntouch X", "", lineBreak},
    {"carriage return", "comlne", "ls\rtouch X", "", lineBreak},
    {"NUL", "comlne", QString::fromLatin1("ls\0 -l", 6), "",
     cannotRun + "It holds a NUL character, which would cut it short"},
    {"too long", "comlne", QString(131072, 'x'), "",
     cannotRun + "It has 131072 characters; at most 131071 can be run"},
};

// What a command told the user and started, as one text.
QString outcome(const FakePlatform& platform) {
    QStringList told;
    for (const PlatformCall& call : platform.callsOf("messageBox"))
        told.append(call.title + ": " + call.text);
    return told.join(" | ") + " started " + platform.started.join(", ");
}

// Terminals installed in a stand-in PATH folder, a variable besides PATH, a
// command line, and the program and arguments started or why nothing can be,
// "|" between; @bin, @helpers and @dir stand for the row's folders.
struct PlanRow {
    const char* name;
    const char* installed;
    const char* desktop;
    const char* commandLine;
    const char* started;
};
const PlanRow planRows[] = {
    {"declared choice first", "xterm x-terminal-emulator konsole javac", "XDG_CURRENT_DESKTOP=KDE",
     "javac Hello.java", "@bin/x-terminal-emulator|-T|javac Hello.java|-e|javac|Hello.java"},
    {"the desktop's own, a script", "gnome-terminal konsole xterm", "XDG_CURRENT_DESKTOP=KDE",
     "TEMC.BAT", "@bin/konsole|-e|@helpers/tarnwick-batch|TEMC.BAT"},
    {"most specific desktop first", "xfce4-terminal kgx java",
     "XDG_CURRENT_DESKTOP=ubuntu:gnome:XFCE", "java Hello", "@bin/kgx|-T|java Hello|--|java|Hello"},
    // Split into words without a shell: blanks separate, quotes group.
    {"list order, words", "xterm mate-terminal gnome-terminal java", "",
     " \t java \t a\"b c\"d \"\" $(id);rm \"a  b",
     "@bin/gnome-terminal|-t|java ab cd  $(id);rm a  b|--|java|ab cd||$(id);rm|a  b"},
    {"one string", "tilix xterm java", "", "java it's \"a b\" \"\"",
     "@bin/tilix|-t|java it's a b |-e|java 'it'\\''s' 'a b' ''"},
    {"joined title option", "terminology", "", "command.com",
     "@bin/terminology|--title=/bin/zsh|-e|/bin/zsh"},
    {"Wayland-only on X", "foot xterm", "", "command.com", "@bin/xterm|-T|/bin/zsh|-e|/bin/zsh"},
    {"Wayland-only on Wayland", "foot xterm", "WAYLAND_DISPLAY=wayland-0", "command.com",
     "@bin/foot|-T|/bin/zsh|/bin/zsh"},
    {"no terminal", "javac", "", "javac Hello.java",
     "No terminal program was found (looked for x-terminal-emulator, xdg-terminal-exec, "
     "gnome-terminal, konsole, xfce4-terminal, mate-terminal, lxterminal, qterminal, kgx, ptyxis, "
     "tilix, terminator, sakura, terminology, alacritty, kitty, wezterm, foot, urxvt, xterm)"},
    {"no program", "xterm", "", "javac Hello.java", "No program named javac was found"},
    {"no script", "xterm", "", "temr.bat", "There is no script temr.bat in @dir"},
    {"blanks only", "xterm", "", " \t ", "The command line is empty"},
};

// A script's bytes and what the script runner makes of them.
struct ScriptRow {
    const char* name;
    QByteArray script;
    QByteArray expected;
};
// Each line as "2 > ls" (echoed), "2 @ ls" (hidden) or "2 refused".
const ScriptRow parseRows[] = {
    {"CR LF or LF, bytes kept", "echo one\r\nfalse\njavac Caf\xe9.java",
     "1 > echo one|2 > false|3 > javac Caf\xe9.java"},
    {"@ and echo, any case",
     "@ls\r\npwd\r\n@echo OFF\r\nls\r\nECHO On\r\npwd\r\n\techo off \r\ndate",
     "1 @ ls|2 > pwd|4 @ ls|6 > pwd|8 @ date"},
    {"blanks, lone CR, late @", " \t\r\n\r\n\t javac  A.java \t\r\n@\r\n@ \r\na\rb\r\r\n @c",
     "3 > javac  A.java|6 > a\rb\r|7 > @c"},
    {"NUL refuses its line", "\0\r\n@echo OFF\0\r\nls\r\n\t\0\r\nls \0\r\n@pwd"_ba,
     "1 refused|2 refused|3 > ls|4 refused|5 refused|6 @ pwd"},
    {"launch script", script("javac Hello.java"), "2 @ clearscr|3 @ javac Hello.java|4 @ keypress"},
};
// The console's title for tt.bat: escapes, BEL and C1 controls would end its own sequence.
const ScriptRow titleRows[] = {
    {"launch script", script("javac Hello.java"), "tt.bat - javac Hello.java"},
    {"empty command line", script(""), "tt.bat"},
    {"commands, a refused line", "echo a\r\nCLEARSCR\r\nls\0x\r\n@pwd"_ba, "tt.bat - echo a & pwd"},
    {"controls blanked", "a\x1b]2;x\x07\x7f\xc2\x9c\xc2\x85\xc3\xa9",
     "tt.bat - a ]2;x    \xc3\xa9"},
    {"cut between characters", "\xc3\xa9"_ba.repeated(150),
     "tt.bat - " + "\xc3\xa9"_ba.repeated(95)},
};
// The built runner on t.bat, input at end of file: its output, then its
// status; a line holding NUL runs no part of itself.
const ScriptRow runnerRows[] = {
    {"echo, @, LF alone, helpers",
     "echo one\r\n@echo two\r\nfalse\r\n\r\n@echo OFF\nnosuchprogram 2>/dev/null\r\npwd\r\n@touch "
     "before after\r\nclearscr\r\nkeypress",
     "@dir>echo one\none\ntwo\n@dir>false\n@dir\nPress any key to continue . . . \nexit 0"},
    {"NUL between two lines", "touch before\r\ntouch cut\0; touch tail\r\n@touch after"_ba,
     "@dir>touch before\ntarnwick-batch: line 2 holds a NUL byte and was not run\nexit 0"},
    {"NUL last, echo off", "@echo OFF\r\ntouch before after\r\n@touch cut\0"_ba,
     "tarnwick-batch: line 3 holds a NUL byte and was not run\nexit 1"},
};

// Runs a program from PATH: whether it succeeded, and what it said.
std::pair<bool, QString> ran(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStandardPaths::findExecutable(program), arguments);
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return {ok, QString::fromLocal8Bit(process.readAll())};
}

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
        const QList<PlatformCall> told{{"messageBox", r.message, titleOf[r.command], 64}};
        QCOMPARE(e.platform.callsOf("messageBox"),
                 r.message.isEmpty() ? QList<PlatformCall>() : told);
        QCOMPARE(e.platform.started,
                 r.message.isEmpty() ? QStringList{*r.call ? r.call : name} : QStringList());
        QCOMPARE(filesIn("."), QStringList{name});
        QCOMPARE(readBytes(name), r.left);
    }

    // Command Line, Compile and closing the window, step by step: a failed
    // clean-up step is silent, the rest still run, and the window closes.
    void stepsInOrder() {
        const Folder dir;
        Editor e;
        e.platform.inputAnswers.push_back(QString(500, 'x'));
        e.form.comlne();
        e.state().fileTitle = "Hello.java";
        e.form.compile();
        QCOMPARE(readBytes("temc.bat"), script("javac Hello.java"));
        e.platform.fail.insert("touch temr.bat", "read-only");
        QVERIFY(e.form.close());
        QStringList calls;
        for (const PlatformCall& call : e.platform.calls)
            calls.append((call.service + " " + call.text + " " + call.title).trimmed());
        QCOMPARE(calls.join(", "),
                 "touch temc.bat, delete temc.bat, touch temc.bat, inputBox Enter the command line "
                 "to be executed Enter here, write temc.bat, start temc.bat, touch temc.bat, "
                 "delete temc.bat, touch temc.bat, write temc.bat, start temc.bat, touch temc.bat, "
                 "touch temr.bat, delete temc.bat, delete temr.bat");
        QCOMPARE(filesIn("."), QStringList());
    }

    // Dangling links and FIFOs under the scripts' names: a link is never
    // followed, nothing is opened that could block, and closing still
    // removes the names.
    void strangeScripts() {
        const Folder dir;
        QVERIFY(QDir().mkpath("elsewhere") && QDir().mkpath("work") && QDir::setCurrent("work"));
        for (const bool fifo : {false, true}) {
            for (const char* name : {"temc.bat", "temr.bat"})
                QVERIFY(fifo ? ::mkfifo(name, 0644) == 0
                             : QFile::link(dir.filePath("elsewhere/") + name, name));
            FakePlatform platform;
            platform.inputAnswers.push_back("echo hi");
            fifo ? runner::comlne(platform) : runner::compile("Hello.java", platform);
            QCOMPARE(outcome(platform), fifo ? "Can't run: temc.bat could not be created\rIt is a "
                                               "named pipe, not a regular file started "
                                             : " started temc.bat");
            QCOMPARE(filesIn("."), (QStringList{"temc.bat", "temr.bat"}));
            QCOMPARE(runner::removeLaunchScripts(platform), !fifo); // a FIFO is not even touched
            QCOMPARE(filesIn("."), QStringList());
            QCOMPARE(filesIn(dir.filePath("elsewhere")), QStringList());
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
        const QByteArray notes = QFile::encodeName(dir.filePath("notes.txt"));
        QVERIFY(openToOthers(dir.path()) && writeBytes(notes, "private notes") &&
                ::chmod(notes, 0600) == 0);
        QVERIFY(::mkdir("class", 0) == 0 && ::chown("class", 0, accounts->shared) == 0 &&
                ::chmod("class", 02770) == 0);
        QVERIFY(QDir::setCurrent("class"));
        FakePlatform platform;
        platform.inputAnswers.push_back("echo hi");
        platform.whileAsking = [&] {
            swapped = runAs(accounts->bob, accounts->shared, [&notes]() -> QString {
                return ::unlink("temc.bat") == 0 && ::symlink(notes, "temc.bat") == 0 ? "swapped"
                                                                                      : "no swap";
            });
        };
        runner::comlne(platform);
        QCOMPARE(swapped, "swapped");
        QCOMPARE(outcome(platform), " started temc.bat");
        QCOMPARE(readBytes(notes), "private notes");
        QVERIFY(!QFileInfo("temc.bat").isSymLink());
        QCOMPARE(readBytes("temc.bat"), script("echo hi"));
    }

    void plan_data() { addRows(planRows); }
    void plan() {
        const PlanRow& r = row(planRows);
        const Folder dir;
        const QString bin = dir.filePath("bin");
        QVERIFY(QDir().mkpath(bin) && writeBytes("TEMC.BAT", ""));
        for (const QString& program : QString(r.installed).split(' ')) // an empty program is found
            QVERIFY(writeBytes(bin + "/" + program, "") &&
                    QFile::setPermissions(bin + "/" + program, QFile::ExeOwner));
        ConsoleSetup setup{helpers, dir.path(), {}, "/bin/zsh"};
        setup.environment.insert("PATH", bin);
        if (*r.desktop)
            setup.environment.insert(QString(r.desktop).section('=', 0, 0),
                                     QString(r.desktop).section('=', 1));
        QString error;
        const std::optional<ConsoleLaunch> launch = planConsoleLaunch(r.commandLine, setup, &error);
        QStringList started =
            launch ? QStringList{launch->program} + launch->arguments : QStringList{error};
        QCOMPARE(started.replaceInStrings(helpers, "@helpers")
                     .replaceInStrings(bin, "@bin")
                     .replaceInStrings(dir.path(), "@dir")
                     .join('|'),
                 r.started);
        QVERIFY(launch ? launch->environment.value("PATH") == helpers + ":" + bin
                       : !startInTerminal(r.commandLine, setup, &error));
    }

    // The user's time goes to the console as a startup notification id,
    // announced in 20-byte pieces; whatever id or token the editor itself
    // was started with does not.
    void startupNotification() {
        ConsoleSetup setup = defaultConsoleSetup();
        setup.terminals = {{"sh", {}, {}, {}}}; // a program sure to be there
        setup.environment.insert("DESKTOP_STARTUP_ID", "launcher-1_TIME10");
        setup.environment.insert("XDG_ACTIVATION_TOKEN", "token-of-the-editor");
        const QString pid = QString::number(QCoreApplication::applicationPid());
        for (const quint32 time : {0u, 4294967295u}) {
            setup.userTime = time;
            const std::optional<ConsoleLaunch> launch = planConsoleLaunch("sh", setup, nullptr);
            QVERIFY(launch && !launch->environment.contains("XDG_ACTIVATION_TOKEN"));
            QCOMPARE(launch->environment.value("DESKTOP_STARTUP_ID"),
                     time ? "tarnwick-" + pid + "-4294967295_TIME4294967295" : "");
        }
        const auto pieces = [](const QByteArray& kind, const QString& id) {
            return startupMessagePieces(startupMessage(kind, {{"ID", id}}));
        };
        QCOMPARE(pieces("remove", "a"), QList{"remove: ID=\"a\"\0\0\0\0\0\0"_ba});
        QCOMPARE(pieces("new", "a\"b\\cde"), QList{"new: ID=\"a\\\"b\\\\cde\"\0"_ba});
        QCOMPARE(pieces("new", "a\"b\\cdef"),
                 (QList{"new: ID=\"a\\\"b\\\\cdef\""_ba, QByteArray(20, '\0')}));
    }

    // What the shell, like GLib's parser in the GTK terminals, makes of the quoted words.
    void shellQuoting() {
        const QStringList words{"javac",  "/x-y_z@1:2,3+4=5%", "it's", "''", "$(id) `id`;|*~#!", "",
                                "\t\r\n", "Caf\u00e9"};
        QProcess shell;
        shell.start("/bin/sh", {"-c", "printf '%s\\0' " + shellQuoted(words)});
        QVERIFY(shell.waitForFinished(20000));
        QCOMPARE(shell.readAllStandardOutput(), (words.join(QChar(0)) + QChar(0)).toUtf8());
    }

    // Two Command Lines in quick succession, each console starting only
    // after both scripts were written, as a slow terminal does: each runs
    // its own command, and the private copies are gone once read.
    void quickCommandsRunTheirOwnScripts() {
        const Folder dir;
        const QTemporaryDir runtime;
        QVERIFY(writeBytes("slow", "#!/bin/sh\nsleep 0.5\nexec \"$@\" </dev/null\n") &&
                QFile::setPermissions("slow", QFile::ReadOwner | QFile::ExeOwner));
        ConsoleSetup setup = defaultConsoleSetup();
        setup.environment.insert("XDG_RUNTIME_DIR", runtime.path());
        setup.terminals = {{dir.filePath("slow"), {}, {}, {}}};
        FakePlatform platform;
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
            QByteArrayList ran = readBytes("race.log").split('\n');
            std::sort(ran.begin(), ran.end());
            return ran;
        };
        QTRY_COMPARE_WITH_TIMEOUT(lines(), (QByteArrayList{"", "A", "B"}), 20000);
        QCOMPARE(readBytes("temc.bat"), script("echo B >> race.log"));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(runtime.path()).isEmpty(), 20000);
        setup.terminals = {}; // no terminal at all: the copy goes at once
        QVERIFY(!startScriptInTerminal("temc.bat", "echo C", setup, nullptr));
        QVERIFY(QDir(runtime.path()).isEmpty());
    }

    void parse_data() { addRows(parseRows); }
    void parse() {
        const ScriptRow& r = row(parseRows);
        QByteArrayList steps;
        for (const batch::Step& s :
             batch::parseScript({r.script.constData(), std::size_t(r.script.size())}))
            steps.append(QByteArray::number(s.lineNumber) +
                         (s.refused
                              ? " refused"
                              : (s.echoed ? " > " : " @ ") + QByteArray::fromStdString(s.command)));
        QCOMPARE(steps.join('|'), r.expected);
    }

    void title_data() { addRows(titleRows); }
    void title() {
        const ScriptRow& r = row(titleRows);
        const auto steps = batch::parseScript({r.script.constData(), std::size_t(r.script.size())});
        QCOMPARE(QByteArray::fromStdString(batch::consoleTitle("tt.bat", steps)), r.expected);
    }

    // A script under its name, or a private copy removed once read whose
    // console is titled with the script's name.
    void arguments() {
        const auto parsed = [](std::vector<std::string_view> words) {
            return batch::parseArguments(words);
        };
        QCOMPARE(parsed({"sub/t.bat"}), (batch::Invocation{"sub/t.bat", "t.bat", false}));
        QCOMPARE(parsed({"--copy", "/run/t.bat.x1Yz2w", "t.bat"}),
                 (batch::Invocation{"/run/t.bat.x1Yz2w", "t.bat", true}));
        QVERIFY(!parsed({"--copy", "c"}) && !parsed({}));
    }

    void runner_data() { addRows(runnerRows); }
    void runner() {
        const ScriptRow& r = row(runnerRows);
        const Folder dir;
        QVERIFY(writeBytes("t.bat", r.script));
        QProcess process;
        QProcessEnvironment path = QProcessEnvironment::systemEnvironment();
        path.insert("PATH", helpers + ":" + path.value("PATH"));
        process.setProcessEnvironment(path);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(helpers + "/tarnwick-batch", {"t.bat"});
        QVERIFY(process.waitForFinished(60000)); // a bound against a hang
        QCOMPARE(process.readAll() + "exit " + QByteArray::number(process.exitCode()),
                 QByteArray(r.expected).replace("@dir", dir.path().toUtf8()));
        QCOMPARE(filesIn("."), QStringList({"after", "before", "t.bat"}));
    }

    // The build tree installed into a fresh prefix, as a user would.
    void installedFiles() {
        const QTemporaryDir prefix;
        const auto at = [&prefix](const char* relative) { return prefix.filePath(relative); };
        const auto [installed, said] =
            ran("cmake", {"--install", qEnvironmentVariable("TARNWICK_BUILD_DIR"), "--prefix",
                          prefix.path()});
        QVERIFY2(installed, qPrintable(said));
        // The editor finds the helpers its scripts call by bare name.
        QVERIFY(QFileInfo(at("bin/tarnwick")).isExecutable());
        for (const char* name : {"tarnwick-batch", "clearscr", "keypress"})
            QVERIFY2(QFileInfo(helperDirectoryFor(at("bin")) + "/" + name).isExecutable(), name);
        // Started without a file: the program takes none, so the entry claims no file type.
        const QString entry = readBytes(at("share/applications/tarnwick.desktop"));
        for (const char* line :
             {"^Exec=tarnwick$", "^Icon=tarnwick$", "^Categories=(.*;)?Development(;|$)"})
            QVERIFY2(entry.contains(QRegularExpression(line, QRegularExpression::MultilineOption)),
                     line);
        QVERIFY(!entry.contains(
            QRegularExpression("^MimeType=|%[fFuU]", QRegularExpression::MultilineOption)));
        QCOMPARE(QImage(at("share/icons/hicolor/32x32/apps/tarnwick.png")).size(), QSize(32, 32));
        QVERIFY(QFileInfo(at("share/icons/hicolor/scalable/apps/tarnwick.svg")).isFile());
        const QString metainfo = at("share/metainfo/io.github.tarnwick.tarnwick.metainfo.xml");
        QVERIFY(readBytes(metainfo).contains(
            "<launchable type=\"desktop-id\">tarnwick.desktop</launchable>"));
        QVERIFY(readBytes(metainfo).contains("<binary>tarnwick</binary>"));
        // Not a hint of the validators, even pedantic, nor a warning of the formatter.
        for (const auto& [command, faults] : QList<std::pair<QStringList, QStringList>>{
                 {{"desktop-file-validate", at("share/applications/tarnwick.desktop")},
                  {"error:", "warning:", "hint:"}},
                 {{"appstreamcli", "validate", "--no-net", "--pedantic", metainfo},
                  {"E:", "W:", "I:", "P:"}},
                 {{"groff", "-ww", "-man", "-z", at("share/man/man1/tarnwick.1")}, {""}}}) {
            if (QStandardPaths::findExecutable(command.first()).isEmpty())
                QSKIP(qPrintable(command.first() + " is not installed"));
            const auto [ok, report] = ran(command.first(), command.mid(1));
            QVERIFY2(ok, qPrintable(command.first() + ": " + report));
            for (const QString& fault : faults)
                QVERIFY2(fault.isEmpty() ? report.trimmed().isEmpty() : !report.contains(fault),
                         qPrintable(report));
        }
    }
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
