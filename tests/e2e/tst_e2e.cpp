// The editor as built, on an X display of its own (Xvfb) with openbox, driven
// by real key and mouse events (xdotool, XTEST) along the roads of roads.txt,
// so that focus, auto-repeat and dialogs behave as for a person. The roads are
// data; Desktop is the one driver of the display (another display server
// needs another driver) and the one interpreter of the roads' steps.
#include "platform/TerminalSearch.h"
#include "support/Harness.h"
#include "support/Legibility.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <csignal>
#include <string_view>
#include <unistd.h>

// Last: Xlib's macros (None, Status, ...) would clash with the names above.
#include <X11/Xlib.h>

using namespace tarnwick;
using namespace tarnwick::test;
using namespace std::literals;

namespace {

const QString build = qEnvironmentVariable("TARNWICK_BUILD_DIR");

// A private display with openbox and the editor in a folder of its own, the
// user's hands on it, and everything started there stopped with it.
struct Desktop {
    Folder dir;
    QTemporaryDir aside; // the frame buffer, the editor's standard error
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment(), extra;
    std::vector<std::unique_ptr<QProcess>> processes;
    QProcess *xvfb = nullptr, *editor = nullptr, *standIn = nullptr;
    QList<QProcess*> load;
    QString display, terminal = "xterm";
    QByteArray heard;
    QSet<QChar> mapped;
    bool wm = true, keepsWindow = false;

    QProcess* run(const QString& program, const QStringList& args, const QString& errors = {}) {
        auto& p = processes.emplace_back(std::make_unique<QProcess>());
        p->setProcessEnvironment(env);
        p->setChildProcessModifier([] { ::setpgid(0, 0); });
        p->setProcessChannelMode(errors.isEmpty() ? QProcess::ForwardedErrorChannel
                                                  : QProcess::SeparateChannels);
        if (!errors.isEmpty())
            p->setStandardErrorFile(errors);
        p->start(program, args);
        p->waitForStarted();
        return p.get();
    }
    QString tool(const QString& program, const QStringList& args) const {
        QProcess p;
        QProcessEnvironment own = QProcessEnvironment::systemEnvironment(); // the test's locale
        own.insert("DISPLAY", display);
        p.setProcessEnvironment(own);
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    QString xdo(const QStringList& args) const { return tool("xdotool", args); }
    QString focused() const { return xdo({"getwindowfocus", "getwindowname"}); }
    QString start() {
        xvfb = run("Xvfb",
                   {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-fbdir",
                    aside.path()},
                   QProcess::nullDevice());
        QByteArray number; // written once it takes connections
        if (!QTest::qWaitFor([&] { return (number += xvfb->readAll()).contains('\n'); }, 20000))
            return "Xvfb did not start";
        display = ':' + number.trimmed();
        env.remove("QT_QPA_PLATFORM");
        env.insert("DISPLAY", display);
        // On a loaded machine openbox was seen to give up on a display still
        // settling; another one then takes it over.
        const auto managed = [&] {
            return tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
        };
        for (int i = 0; wm && i < 3 && !managed(); ++i) {
            QProcess* openbox = run("openbox", {i ? "--replace" : "--sm-disable"});
            (void)QTest::qWaitFor([&] { return managed() || !openbox->processId(); }, 20000);
        }
        env.insert(extra);
        editor = run(build + "/bin/tarnwick", {}, aside.filePath("stderr"));
        // The user clicks into the new window: without a window manager it
        // gets no focus otherwise, and a click while it is mapped is lost.
        for (int i = 0; i < 3; ++i) {
            xdo({"search", "--sync", "--name", "^Untitled - Tarnwick$", "mousemove", "--window",
                 "%1", "200", "200", "click", "1"});
            if (QTest::qWaitFor([&] { return focused() == "Untitled - Tarnwick"; }, 5000))
                return {};
        }
        return "the editor's window did not get the focus";
    }
    // xdotool maps a character missing from the keyboard map only for a
    // moment, and a client reading the map later loses it: each gets a spare
    // keycode of its own, for good.
    void type(const QString& text) {
        Display* x = XOpenDisplay(display.toLatin1().constData());
        int first = 0, last = 0, per = 0;
        XDisplayKeycodes(x, &first, &last);
        KeySym* map = XGetKeyboardMapping(x, KeyCode(first), last - first + 1, &per);
        for (int code = last; code >= first; --code) {
            const auto c = std::find_if(text.begin(), text.end(), [&](QChar c) {
                return c.unicode() >= 0x80 && !mapped.contains(c);
            });
            if (c == text.end() ||
                std::any_of(map + (code - first) * per, map + (code - first + 1) * per,
                            [](KeySym s) { return s != NoSymbol; }))
                continue;
            KeySym sym = c->unicode() < 0x100 ? c->unicode() : 0x01000000 + c->unicode();
            XChangeKeyboardMapping(x, code, 1, &sym, 1);
            mapped.insert(*c);
        }
        XFree(map);
        XCloseDisplay(x);
        QThread::msleep(300); // the clients' turn to read the new map
        xdo({"type", "--delay", "20", text});
    }
    // Until the editor's CPU time stands still: it has handled its events.
    void idle() const {
        for (QByteArray last, now; last.isEmpty() || now != last; QThread::msleep(300)) {
            last = now;
            now = readBytes(QString("/proc/%1/stat").arg(editor->processId()))
                      .split(' ')
                      .mid(13, 2)
                      .join(' ');
        }
    }
    // Xvfb keeps its screen as an XWD file: a header of 32-bit fields (in
    // either byte order), a colour map, then the pixels in this machine's.
    QImage screen() const {
        xdo({"mousemove", "1023", "767"}); // the pointer is no ink
        idle();
        const QByteArray b = readBytes(aside.filePath("Xvfb_screen0"));
        const auto* data = reinterpret_cast<const uchar*>(b.constData());
        const bool big = b.size() > 100 && qFromBigEndian<quint32>(data + 4) == 7;
        const auto f = [&](int i) {
            return int(big ? qFromBigEndian<quint32>(data + 4 * i)
                           : qFromLittleEndian<quint32>(data + 4 * i));
        };
        if (b.size() < 100 || f(11) != 32 || f(0) + f(19) * 12 + f(12) * f(5) > b.size())
            return {};
        return QImage(data + f(0) + f(19) * 12, f(4), f(5), f(12), QImage::Format_RGB32).copy();
    }
    // The focused window's place; its frame is a window manager's.
    QRect focusedWindow(bool framed = false) const {
        const QString id = xdo({"getwindowfocus"}), info = tool("xwininfo", {"-id", id});
        const auto v = [&](const QString& label) {
            return QRegularExpression(label + ":\\s+(-?\\d+)").match(info).captured(1).toInt();
        };
        const QStringList frame =
            tool("xprop", {"-id", id, "_NET_FRAME_EXTENTS"}).section('=', 1).split(',');
        const auto e = [&](int i) { return framed ? frame.value(i).toInt() : 0; };
        return QRect(v("Absolute upper-left X"), v("Absolute upper-left Y"), v("Width"),
                     v("Height"))
            .adjusted(-e(0), -e(2), e(1), e(3));
    }
    // Processes on this display other than its server (consoles leave the
    // process groups), found by what they talk to.
    QStringList clients() const {
        QStringList found;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            if (!display.isEmpty() && pid.toLongLong() > 0 && pid.toLongLong() != ::getpid() &&
                pid.toLongLong() != xvfb->processId() &&
                readBytes("/proc/" + pid + "/environ")
                    .split('\0')
                    .contains("DISPLAY=" + display.toUtf8()))
                found << pid + ' ' + readBytes("/proc/" + pid + "/comm").trimmed();
        }
        return found;
    }
    // Stops everything; returns what survived ("pid name"), which should be none.
    QStringList stop() {
        for (int round = 0; round < 3 && !clients().isEmpty(); ++round) {
            for (const QString& client : clients())
                ::kill(client.section(' ', 0, 0).toInt(), SIGKILL); // no emergency copies
            (void)QTest::qWaitFor([&] { return clients().isEmpty(); }, 3000);
        }
        QStringList left = clients();
        for (const auto& p : processes) {
            if (p->processId() > 0) // the group it leads
                ::kill(-pid_t(p->processId()), SIGKILL);
            if (!p->waitForFinished(5000) && p->state() != QProcess::NotRunning)
                left << p->program();
        }
        processes.clear();
        return left;
    }
    QString step(const QByteArray& verb, const QByteArray& first, const QByteArray& second);
};

QString Desktop::step(const QByteArray& verb, const QByteArray& first, const QByteArray& second) {
    const QString a = QString::fromUtf8(first), b = QString::fromUtf8(second);
    const QStringList words = a.split(' ', Qt::SkipEmptyParts);
    const auto path = [&](const QString& name) { return dir.filePath(name); };
    const auto until = [&](const std::function<bool()>& done, const QString& error, int s = 15) {
        return QTest::qWaitFor(done, s * 1000) ? QString() : error;
    };
    const auto focusOn = [&](const std::function<bool(const QString&)>& ok, int s = 15) {
        return until([&] { return ok(focused()); }, "the focus is on \"" + focused() + '"', s);
    };
    if (verb == "file") { // its bytes, before the editor starts; scripts run
        QDir().mkpath(QFileInfo(path(a)).path());
        writeBytes(path(a), second);
        QFile::setPermissions(path(a), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else if (verb == "env") { // the editor's
        extra.insert(a.section('=', 0, 0), a.section('=', 1));
    } else if (verb == "nowm") {
        wm = false;
    } else if (verb == "need" && !QFile::exists(a)) {
        return "skip:" + a + " is not installed (scripts/setup.sh installs it)";
    } else if (verb == "terminal") { // the only one on PATH
        const QStringList asked =
            qEnvironmentVariable("TARNWICK_E2E_TERMINALS", "xterm").split(',');
        if (!asked.contains(a) && !asked.contains("all"))
            return "skip:not asked for (TARNWICK_E2E_TERMINALS, \"all\" or a list)";
        if (QStandardPaths::findExecutable(a).isEmpty() || a == "foot") // foot: Wayland only
            return "skip:not installed, or not for X";
        terminal = a;
        QDir().mkpath(path("bin"));
        QStringList others;
        for (const KnownTerminal& known : knownTerminals()) {
            keepsWindow = keepsWindow || (known.name == a && known.keepsWindow);
            others << (known.name == a ? QString() : known.name);
        }
        for (const QFileInfo& program : QDir("/usr/bin").entryInfoList(QDir::Files))
            if (!others.contains(program.fileName()))
                QFile::link(program.absoluteFilePath(), path("bin/" + program.fileName()));
        extra.insert("PATH", path("bin"));
    } else if (verb == "standin") { // says a line when ready: SESSION_MANAGER, if an address
        standIn = run(words.value(0), words.mid(1));
        if (!QTest::qWaitFor([&] { return standIn->canReadLine(); }, 20000))
            return "the stand-in said nothing";
        if (const QString said = QString::fromUtf8(standIn->readLine()).trimmed();
            said.startsWith("local/"))
            extra.insert("SESSION_MANAGER", said);
    } else if (verb == "load") { // busy loops on the cores, or none
        for (QProcess* busy : std::exchange(load, {}))
            ::kill(-pid_t(busy->processId()), busy->processId() > 0 ? SIGKILL : 0);
        for (int i = 0; i < a.toInt(); ++i)
            load << run("sh", {"-c", "while :; do :; done"});
    } else if (verb == "start") {
        return start();
    } else if (verb == "keys") {
        xdo(QStringList{"key", "--delay", "40"} + words);
    } else if (verb == "type") {
        type(a);
    } else if (verb == "xdo") {
        xdo(words);
    } else if (verb == "autorepeat") {
        Display* x = XOpenDisplay(display.toLatin1().constData());
        XAutoRepeatOff(x);
        XCloseDisplay(x);
    } else if (verb == "idle") {
        idle();
    } else if (verb == "signal") { // the session ends from outside
        const int signal = a == "TERM" ? SIGTERM : a == "HUP" ? SIGHUP : 0;
        if (const qint64 pid = (signal ? editor : xvfb)->processId(); pid > 0)
            ::kill(pid_t(pid), signal ? signal : SIGKILL);
        if (!editor->waitForFinished(15000))
            return "the editor goes on";
        if (signal && (editor->exitStatus() != QProcess::CrashExit || editor->exitCode() != signal))
            return "the editor did not end by the signal, as its sender expects";
    } else if (verb == "a11y") { // as a desktop does for a screen reader
        tool("dbus-send", {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                           "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                           "string:IsEnabled", "variant:boolean:true"});
    } else if (verb == "open") { // File, Open through Qt's dialog
        xdo({"key", "ctrl+o"});
        if (QString error = step("path", "Open", first); !error.isEmpty())
            return error;
        return step("focus", first + " - Tarnwick", {});
    } else if (verb == "path" || verb == "answer") { // a file dialog's path, or a box's keys
        if (QString error = step("focus", first, {}); !error.isEmpty())
            return error;
        if (verb == "path")
            type(path(b));
        xdo(QStringList{"key", "--delay", "40"} +
            (verb == "path" ? QStringList{"Return"} : b.split(' ')));
    } else if (verb == "focus") {
        return focusOn([&](const QString& title) { return title == a; });
    } else if (verb == "nowindow") {
        return until(
            [&] {
                return xdo({"search", "--name", '^' + QRegularExpression::escape(a) + '$'})
                    .isEmpty();
            },
            "still there");
    } else if (verb == "console") { // took the keyboard (and its title, in xterm)
        const QString error = focusOn(
            [&](const QString& title) {
                return !title.endsWith(" - Tarnwick") && title != "Enter here" &&
                       (!title.isEmpty() || xdo({"search", "--class", '^' + terminal + '$'})
                                                .contains(xdo({"getwindowfocus"})));
            },
            30);
        if (!error.isEmpty() || a.isEmpty() || terminal != "xterm")
            return error;
        return focusOn([&](const QString& title) { return title == a; }, 30);
    } else if (verb == "dismiss") { // the console's key, then its window, which may stay
        xdo({"key", "space"});
        if (keepsWindow)
            QTest::qWait(1000), xdo({"key", "ctrl+shift+w"});
        return focusOn([](const QString& title) { return title.endsWith(" - Tarnwick"); }, 30);
    } else if (verb == "exists") {
        return until([&] { return QFile::exists(path(a)); }, "no such file", 60);
    } else if (verb == "bytes" || verb == "lines") { // the file's bytes, or a pattern of them
        const auto read = [&] { return readBytes(path(a)); };
        return until(
            [&] {
                return verb == "bytes"
                           ? read() == second
                           : QRegularExpression(b).match(QString::fromLatin1(read())).hasMatch();
            },
            "the file is \"" + read().toPercentEncoding(" ") + '"', 60);
    } else if (verb == "files" && filesIn(dir.path()) != words) {
        return "the folder holds " + filesIn(dir.path()).join(' ');
    } else if (verb == "exit") {
        return until([&] { return editor->state() == QProcess::NotRunning; }, "still running");
    } else if (verb == "said" && !readBytes(aside.filePath("stderr")).contains(first)) {
        return "the editor said " + readBytes(aside.filePath("stderr"));
    } else if (verb == "heard") { // the stand-in's next lines; {xid} the editor's window
        const QString xid =
            first.contains('{') ? xdo({"search", "--onlyvisible", "--name", "Tarnwick$"}) : "0";
        const QByteArray want = QByteArray(first)
                                    .replace("{xid}", xid.toUtf8())
                                    .replace("{hex}", QByteArray::number(xid.toULongLong(), 16));
        if (!QTest::qWaitFor([&] { return (heard += standIn->readAll()).startsWith(want); }, 20000))
            return "heard \"" + heard + '"';
        heard.remove(0, want.size());
    } else if (verb == "quiet") { // time for a call too many
        QTest::qWait(1000);
        if (!(heard += standIn->readAll()).isEmpty())
            return "heard also \"" + heard + '"';
    } else if (verb == "sleep") {
        QTest::qWait(a.toInt());
    } else if (verb == "legible") { // ink against ground, in the focused window
        const Legibility seen =
            legibilityIn(screen(), QRect(words.value(0).toInt(), words.value(1).toInt(),
                                         words.value(2).toInt(), words.value(3).toInt())
                                       .translated(focusedWindow().topLeft()));
        if (!seen.readable())
            return seen.describe();
    } else if (verb == "shot") { // the window with the focus as the README shows it
        if (QString error = step("focus", second, {}); !error.isEmpty())
            return error;
        const QString folder = qEnvironmentVariable("TARNWICK_E2E_SHOTS", aside.path());
        if (!screen().copy(focusedWindow(true)).save(folder + '/' + a))
            return "cannot write " + folder + '/' + a;
    } else if (!QByteArrayList{"need", "files", "said", "openbox"}.contains(verb)) {
        return "no such step";
    }
    return {};
}

// The roads a user takes, one step a string: "verb first | second". A road's
// variants ("A; B") give its rows, with %1, %2 in its steps for their fields.
struct Road {
    const char* name;
    QByteArrayList variants;
    QList<std::string_view> steps;
};
const Road roadTable[] = {
    // Typed straight after the dialog, with no click; with no window manager
    // nobody hands the keyboard back but the editor.
    {"editing/open, type, save",
     {"openbox", "nowm"},
     {"file Hello.java | class Hello {}\r\n", "%1", "start", "open Hello.java", "type xyz",
      "keys Return ctrl+s", "bytes Hello.java | xyz\r\nclass Hello {}\r\n"}},
    // At level 1 an Enter counted in the text would add a Tab: the Enters that
    // answer the dialogs type nothing, and Exit finds nothing unsaved.
    {"editing/Enter answers Save As, Overwrite and Command Line",
     {},
     {"file Old.java | old text", "start", "keys Tab a ctrl+s", "path Save As | Old.java",
      "answer Overwrite? | Return", "keys F5", "answer Enter here | Return", "console", "dismiss",
      "keys ctrl+s ctrl+x", "exit", "bytes Old.java | \ta", "files Old.java"}},
    // Ctrl+C and Ctrl+V stay the text area's own, on the system clipboard;
    // Shift+Ins pastes the program's.
    {"editing/Edit keys",
     {},
     {"start", "type hello world",
      "keys shift+Left shift+Left shift+Left shift+Left shift+Left ctrl+Insert shift+Delete "
      "shift+Insert shift+Insert shift+Left shift+Left shift+Left shift+Left shift+Left",
      "keys alt", "keys Right Down Up Return Home shift+Right shift+Right ctrl+c End ctrl+v",
      "keys shift+Insert ctrl+s", "path Save As | Hello.java",
      "bytes Hello.java | hello worldheworld"}},
    // Many line breaks from the repeats, one set of Tabs for the one release.
    {"editing/held Enter",
     {"idle; 0", "both cores busy; 2"},
     {"start", "keys Tab a", "load %2", "xdo keydown Return sleep 1.6 keyup Return", "load 0",
      "keys b ctrl+s", "path Save As | Hello.java", "lines Hello.java | ^\ta\n{3,}\tb$"}},
    // File, Save by keyboard after each try: keys typed on the way would show.
    {"desktop/menus by keyboard, Alt never types",
     {},
     {"start", "keys a b ctrl+s", "path Save As | Keys.java",
      "keys c alt+f s d F10 s e alt+e Escape Escape alt+r Escape Escape alt+h Escape Escape "
      "alt+f s f alt+q F10 s",
      "bytes Keys.java | abcdef"}},
    // Every window in turn, closed by its key; the target "screenshots" takes
    // the README's pictures along this road.
    {"desktop/tour",
     {},
     {"file Hello.java | public class Hello {\n\tpublic static void main(String[] args) {\n"
      "\t\tSystem.out.println(\"Hello from Tarnwick\");\n\t}\n}\n",
      "start", "open Hello.java", "shot main-window.png | Hello.java - Tarnwick", "keys alt+o",
      "shot font-dialog.png | Font...", "answer Font... | Escape", "focus Hello.java - Tarnwick",
      "keys alt+h a", "shot about-box.png | About tarnpad", "answer About tarnpad | Escape",
      "focus Hello.java - Tarnwick", "keys alt+h c", "shot message-box.png | Conditions",
      "answer Conditions | Return", "focus Hello.java - Tarnwick"}},
    // Unsaved text: a real drop (XDND) asks first, as Open does.
    {"desktop/a file dragged from another program",
     {},
     {"file Drop.java | class Drop {}\n", "start", "type typed",
      "standin {build}/tests/e2e/dragsource file://{dir}/Drop.java",
      "xdo search --sync --onlyvisible --name ^drag.source$ mousemove --window %1 60 60 mousedown "
      "1 sleep 0.3 "
      "search --onlyvisible --name Tarnwick$ mousemove --window %1 40 40 sleep 0.1 mousemove "
      "--window %1 80 80 "
      "sleep 0.1 mousemove --window %1 120 120 sleep 0.1 mousemove --window %1 160 160 sleep 0.1 "
      "mousemove --window %1 200 200 sleep 0.5 mouseup 1",
      "heard copy\n", "answer File not saved | n",
      "xdo search --sync --name ^Drop.java mousemove --window %1 200 200 click 1",
      "keys ctrl+Home x ctrl+s", "bytes Drop.java | xclass Drop {}\n"}},
    // A dark scheme as a user sets one up with qt6ct: the text and the About
    // box's labels read as well as on a light desktop.
    {"desktop/dark scheme of qt6ct",
     {},
     {"need /usr/share/qt6ct/colors/darker.conf",
      "file qt6ct/qt6ct.conf | [Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/"
      "darker.conf\ncustom_palette=true\nstyle=Fusion\n",
      "env QT_QPA_PLATFORMTHEME=qt6ct", "env XDG_CONFIG_HOME={dir}", "start",
      "type class Dark { int caret; }", "legible 10 30 400 18", "keys alt", "keys Left Down Return",
      "focus About tarnpad", "legible 70 16 259 32", "legible 70 52 259 15", "legible 72 80 259 78",
      "legible 17 175 258 47"}},
    // POSIX names ASCII: its bytes 128-255 are Latin-1 in the editor.
    {"run/typed text is the locale's bytes",
     {},
     {"env LC_ALL=POSIX", "start", "type Grüße", "keys ctrl+s", "path Save As | Typed.java",
      "bytes Typed.java | Gr\xfc\xdf"
      "e"}},
    // The real JDK in a real terminal: each known terminal installed, alone on
    // PATH, takes the focus, runs its command and goes after its key
    // (TARNWICK_E2E_TERMINALS=all asks for all; xterm alone by default).
    {"run/Run menu in a real terminal",
     {"known terminals"},
     {"terminal %1",
      "file Привет.java | class Привет { public static void main(String[] a) throws Exception { "
      "java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), \"Grüße\"); } }\n",
      "start",
      "open Привет.java",
      "keys F9",
      "console temc.bat - javac Привет.java",
      "exists Привет.class",
      "bytes temc.bat | @echo OFF\r\nclearscr\r\njavac Привет.java\r\nkeypress",
      "dismiss",
      "keys ctrl+F9",
      "console temr.bat - java Привет",
      "bytes ran.txt | Grüße",
      "dismiss",
      "keys F5",
      "focus Enter here",
      "type touch \"Привет F5\"",
      "keys Return",
      "console temc.bat - touch \"Привет F5\"",
      "exists Привет F5",
      "dismiss",
      "keys F7",
      "console",
      "sleep 500",
      "type touch 'made by F7'; exit\n",
      "exists made by F7"}},
    // A key held for two seconds auto-repeats some fifty times; the command
    // runs once. javac is a stand-in that counts its runs.
    {"run/held F9 runs once",
     {},
     {"file bin/javac | #!/bin/sh\necho \"javac $*\" >> runs.log\n", "env PATH={dir}/bin:{PATH}",
      "start", "keys ctrl+s", "path Save As | Hello.java", "xdo keydown F9 sleep 2 keyup F9",
      "bytes runs.log | javac Hello.java\n", "sleep 3000", "bytes runs.log | javac Hello.java\n"}},
    // The key comes up in the console, where the editor never sees its
    // release; pressed again, it runs again. openbox gives the console the
    // focus only once the key is up: it is put there by hand, as a quick
    // click would, with no repeats to answer the console.
    {"run/F9 up in the console, pressed again",
     {},
     {"file bin/javac | #!/bin/sh\necho \"javac $*\" >> runs.log\n", "env PATH={dir}/bin:{PATH}",
      "start", "keys ctrl+s", "path Save As | Hello.java", "autorepeat", "xdo keydown F9",
      "xdo search --sync --onlyvisible --class xterm windowfocus --sync %1", "xdo keyup F9",
      "keys space", "xdo search --sync --name Tarnwick$ windowfocus %1",
      "focus Hello.java - Tarnwick", "keys F9",
      "bytes runs.log | javac Hello.java\njavac Hello.java\n", "sleep 3000",
      "bytes runs.log | javac Hello.java\njavac Hello.java\n"}},
    // Unsaved text survives a signal or a lost display byte for byte in a copy
    // named after the file, whose path goes to standard error; the file stays,
    // and the launch scripts go as at a normal close.
    {"session/ended from outside",
     {"TERM", "HUP", "display"},
     {"file Hello.java | class Hello {}\r\n\xff\0end\r\n"sv, "file temc.bat | javac Hello.java\r\n",
      "start", "open Hello.java", "type xyzü", "idle", "signal %1",
      "bytes Hello.java | class Hello {}\r\n\xff\0end\r\n"sv,
      "bytes Hello.java.unsaved-changes | xyz\xc3\xbc"
      "class Hello {}\r\n\xff\0end\r\n"sv,
      "bytes temc.bat | (absent)", "said {dir}/Hello.java.unsaved-changes\n"}},
    {"session/ended from outside, saved: no copy",
     {"TERM", "display"},
     {"file Hello.java | class Hello {}", "start", "open Hello.java", "signal %1",
      "files Hello.java"}},
    // The desktop learns that a logout has to wait while the text is unsaved,
    // and no longer once it is saved: GNOME's session manager, else the portal.
    {"session/logout waits for unsaved text",
     {"gnome; window={xid} app=tarnwick; Uninhibit 1", "portal; window=x11:{hex}; Close 1"},
     {"standin /usr/bin/python3 {src}/session_manager.py %1", "file Hello.java | class Hello {}",
      "start", "open Hello.java", "type ab",
      "heard Inhibit %2 flags=1 reason=The text has unsaved changes\n", "keys ctrl+s", "heard %3\n",
      "quiet"}},
    // A screen reader over AT-SPI: one insert event per typed character and
    // per Enter, at the offset a reader counts in; the caret where keys left it.
    {"session/screen reader follows typing",
     {},
     {"a11y", "start",
      "standin /usr/bin/python3 {src}/screen_reader.py type:Grüße key:Return type:ab "
      "key:ctrl+Home key:ctrl+End",
      "heard type:Grüße 'Grüße' 5 [(0, 'G'), (1, 'r'), (2, 'ü'), (3, 'ß'), (4, 'e')]\n",
      "heard key:Return 'Grüße\\n' 6 [(5, '\\n')]\n",
      "heard type:ab 'Grüße\\nab' 8 [(6, 'a'), (7, 'b')]\n",
      "heard key:ctrl+Home 'Grüße\\nab' 0 []\nkey:ctrl+End 'Grüße\\nab' 8 []\n"}},
};

} // namespace

class TestE2e : public QObject {
    Q_OBJECT

    std::unique_ptr<Desktop> d_;

private slots:
    void roads_data() { // TARNWICK_E2E_ROADS picks roads by a regular expression
        QTest::addColumn<int>("road");
        QTest::addColumn<QByteArray>("variant");
        for (int i = 0; i < int(std::size(roadTable)); ++i) {
            QByteArrayList variants = roadTable[i].variants;
            if (variants == QByteArrayList{"known terminals"}) // each gets its turn
                for (const KnownTerminal& known : std::exchange(variants, {}), knownTerminals())
                    variants << (known.declaredChoice ? "" : known.name.toUtf8());
            for (const QByteArray& variant : variants.isEmpty() ? QByteArrayList{""} : variants) {
                const QString name = roadTable[i].name + (variant.isEmpty() ? "" : ": " + variant);
                if (name.contains(QRegularExpression(qEnvironmentVariable("TARNWICK_E2E_ROADS"))) &&
                    (variant.size() || roadTable[i].variants.isEmpty()))
                    QTest::newRow(qPrintable(name)) << i << variant;
            }
        }
    }
    void roads() {
        QFETCH(int, road);
        QFETCH(QByteArray, variant);
        d_ = std::make_unique<Desktop>();
        for (std::string_view step : roadTable[road].steps) {
            QByteArray line(step.data(), qsizetype(step.size()));
            for (qsizetype i = 0; !variant.isEmpty() && i <= variant.count(';'); ++i)
                line.replace('%' + QByteArray::number(i + 1), variant.split(';')[i].trimmed());
            line.replace("{dir}", d_->dir.path().toUtf8()).replace("{build}", build.toUtf8());
            line.replace("{src}", TARNWICK_E2E_SOURCE_DIR).replace("{PATH}", qgetenv("PATH"));
            const qsizetype space = line.contains(' ') ? line.indexOf(' ') : line.size();
            const qsizetype bar = line.contains(" | ") ? line.indexOf(" | ") : line.size();
            const QString error =
                d_->step(line.left(space), line.mid(space + 1, bar - space - 1), line.mid(bar + 3));
            if (error.startsWith("skip:"))
                QSKIP(qPrintable(error.mid(5)));
            QVERIFY2(error.isEmpty(), qPrintable(QString::fromUtf8(line) + ": " + error));
        }
    }
    void cleanup() { // nothing started on the display outlives its road
        if (d_)
            QCOMPARE(d_->stop(), QStringList());
        d_.reset();
    }
};

QTEST_GUILESS_MAIN(TestE2e)
#include "tst_e2e.moc"
