// The editor as built, on an X display of its own (Xvfb) with openbox, driven
// by real key and mouse events (xdotool, XTEST) along the roads below, so
// that focus, auto-repeat and dialogs behave as for a person. The roads are
// data; Desktop is the one driver of the display (another display server
// needs another driver) and the one interpreter of the roads' steps.
#include "../support/Harness.h"
#include "console/TerminalSearch.h"
#include "platform/ReadableColours.h"

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <string_view>

// Steps that stand for others: File, Open through Qt's dialog; a file
// dialog's path; a box's keys.
const std::pair<const char*, const char*> shorthands[] = {
    {"(^| ; )open (\\S+)", "\\1keys ctrl+o ; path Open | \\2 ; focus \\2 - Tarnwick"},
    {"(^| ; )path ([^|]+) \\| (\\S+)", "\\1focus \\2 ; type {dir}/\\3 ; keys Return"},
    {"(^| ; )answer ([^|]+) \\| ", "\\1focus \\2 ; keys "},
};

// Last: it brings Xlib, whose macros (None, Status, ...) would clash above.
#include "Compositor.h"

using namespace tarnwick;
using namespace tarnwick::test;
using namespace std::literals;

// Empty when the text in a region of a picture reads: the colour most of the
// region shows is its ground, and the pixel that stands out most from it is
// the ink, where the glyphs' strokes cover whole pixels.
static QString illegible(const QImage& image, const QRect& region) {
    QHash<QRgb, int> counts;
    const QRect area = region.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    if (counts.isEmpty())
        return "nothing of the screen could be read there";
    const QColor ground(std::ranges::max(counts.keys(), {}, [&](QRgb c) { return counts[c]; }));
    const auto contrast = [&](QRgb c) { return contrastRatio(QColor(c), ground); };
    const QColor ink(std::ranges::max(counts.keys(), {}, contrast));
    if (const double seen = contrast(ink.rgb()); seen < readableContrast)
        return QString("ink %1 on %2: %3:1").arg(ink.name(), ground.name()).arg(seen);
    return {};
}

// Empty when the step ("verb first | second") was taken, "skip:why" or else
// what went wrong.
QString Desktop::step(const QByteArray& line) {
    const qsizetype space = (line + ' ').indexOf(' '), bar = (line + " | ").indexOf(" | ");
    const QByteArray verb = line.left(space), first = line.mid(space + 1, bar - space - 1);
    const QByteArray second = line.mid(bar + 3);
    const QString a = QString::fromUtf8(first), b = QString::fromUtf8(second);
    const QStringList words = a.split(' ', Qt::SkipEmptyParts);
    const auto path = [&](const QString& name) { return dir.filePath(name); };
    const auto focusOn = [&](auto ok, int s = 15) {
        const bool got = QTest::qWaitFor([&] { return ok(focused()); }, s * 1000);
        return got ? QString() : "the focus is on \"" + focused() + '"';
    };
    const auto read = [&] { return readBytes(path(a)); };
    if (verb == "file") { // appended, before the editor starts; may be a script
        QDir().mkpath(QFileInfo(path(a)).path());
        writeBytes(path(a), (QFile::exists(path(a)) ? read() : "") + second);
        QFile::setPermissions(path(a), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else if (verb == "env") { // the editor's
        extra.insert(a.section('=', 0, 0), a.section('=', 1));
    } else if (verb == "nowm") {
        wm = false;
    } else if (verb == "compositor") {
        compositor = a;
    } else if (verb == "need" && !QFile::exists(a)) {
        return "skip:" + a + " is not installed (scripts/setup.sh installs it)";
    } else if (verb == "terminal") { // the only one on PATH
        tool("sh", {"-c", "mkdir -p bin && ln -s /usr/bin/* bin/"});
        for (const KnownTerminal& known : knownTerminals())
            known.name == a ? void(keepsWindow = known.keepsWindow)
                            : void(QFile::remove(path("bin/" + known.name)));
        if (!QFile::exists(path("bin/" + a)))
            return "skip:not installed";
        extra.insert("PATH", path("bin"));
        terminal = a;
    } else if (verb == "standin") { // says a line when ready: SESSION_MANAGER, if an address
        mapKeys(a);                 // the characters it types
        standIn = run(words.value(0), words.mid(1));
        if (!QTest::qWaitFor([&] { return standIn->canReadLine(); }, 20000))
            return "the stand-in said nothing";
        if (const QString said = standIn->readLine().trimmed(); said.startsWith("local/"))
            extra.insert("SESSION_MANAGER", said);
    } else if (verb == "load") { // busy loops on the cores, or none
        if (load)
            ::kill(-pid_t(load->processId()), load->processId() > 0 ? SIGKILL : 0);
        load = run("sh", {"-c", "for i in $(seq " + a + "); do while :; do :; done & done; wait"});
    } else if (verb == "start") {
        return start();
    } else if (verb == "keys" || verb == "xdo" || verb == "tool") {
        verb == "tool"
            ? tool(words.value(0), words.mid(1))
            : xdo((verb == "keys" ? QStringList{"key", "--delay", "40"} : QStringList{}) + words);
    } else if (verb == "type") {
        type(a);
    } else if (verb == "autorepeat") { // off for every client of the display
        Display* x = XOpenDisplay(display.toLatin1().constData());
        XAutoRepeatOff(x);
        XCloseDisplay(x);
    } else if (verb == "signal") { // the session ends from outside: a signal, or the display
        const int signal = a == "TERM" ? SIGTERM : a == "HUP" ? SIGHUP : 0;
        if (const qint64 pid = (signal ? editor : xvfb)->processId(); pid > 0)
            ::kill(pid_t(pid), signal ? signal : SIGKILL);
        if (!editor->waitForFinished(15000))
            return "the editor goes on";
        if (signal && (editor->exitStatus() != QProcess::CrashExit || editor->exitCode() != signal))
            return "the editor did not end by the signal, as its sender expects";
    } else if (verb == "centred") {
        return centred();
    } else if (verb == "focus") {
        return focusOn([&](const QString& title) { return title == a; });
    } else if (verb == "console") { // the key's console took the keyboard (the title: xterm's)
        xdo({"key", a});
        const QString error = focusOn(
            [&](const QString& title) {
                return !title.endsWith(" - Tarnwick") && title != "Enter here" &&
                       (!title.isEmpty() || xdo({"search", "--class", '^' + terminal + '$'})
                                                .contains(xdo({"getwindowfocus"})));
            },
            30);
        QTest::qWait(500); // mate-terminal was seen to drop a key typed at once; a user reads first
        if (!error.isEmpty() || b.isEmpty() || terminal != "xterm")
            return error;
        return focusOn([&](const QString& title) { return title == b; }, 30);
    } else if (verb == "dismiss") { // the console's key, then its window, which may stay
        xdo({"key", "space"});
        if (keepsWindow)
            QTest::qWait(1000), xdo({"key", "ctrl+shift+w"});
        return focusOn([](const QString& title) { return title.endsWith(" - Tarnwick"); }, 30);
    } else if (verb == "bytes" || verb == "lines") { // the file's bytes, or a pattern of them
        const auto match = [&] { return QRegularExpression(b).match(QString::fromLatin1(read())); };
        if (!QTest::qWaitFor(
                [&] { return verb == "bytes" ? read() == second : match().hasMatch(); }, 60000))
            return "the file is \"" + read().toPercentEncoding(" ") + '"';
    } else if (verb == "files" && filesIn(dir.path()) != words) {
        return "the folder holds " + filesIn(dir.path()).join(' ');
    } else if (verb == "exit" && !editor->waitForFinished(15000) &&
               editor->state() != QProcess::NotRunning) {
        return "the editor goes on";
    } else if (verb == "said" && !readBytes(aside.filePath("stderr")).contains(first)) {
        return "the editor said " + readBytes(aside.filePath("stderr"));
    } else if (verb == "heard") { // the stand-in's next lines; {xid} the editor's window
        const QString xid = xdo({"search", "--onlyvisible", "--name", "Tarnwick$"});
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
    } else if (verb == "legible") { // ink against ground, in the focused window
        const QPoint at = focusedWindow().topLeft() + QPoint(words[0].toInt(), words[1].toInt());
        return illegible(screen(), QRect(at, QSize(words[2].toInt(), words[3].toInt())));
    } else if (verb == "shot") { // the window with the focus as the README shows it
        const QString file = qEnvironmentVariable("TARNWICK_E2E_SHOTS", aside.path()) + '/' + a;
        if (!screen().copy(focusedWindow(true)).save(file))
            return "cannot write " + file;
    } else if (!QByteArrayList{"need", "files", "exit", "said", "openbox"}.contains(verb)) {
        return "no such step";
    }
    return {};
}

// The roads a user takes, each a string of steps with " ; " between them:
// first its name and variants ("A; B|C; D": a row each, whose fields are %1,
// %2 in its steps), then each step, "verb first | second".
const std::string_view roadTable[] = {
    // Typed straight after the dialog, with no click; with no window manager
    // nobody hands the keyboard back but the editor. A key let go at once is
    // let go before its dialog has the keyboard: the next Ctrl+O opens all
    // the same.
    "editing/open, type, save | openbox|nowm ; file Hello.java | class Hello {}\r\n ; %1 ; "
    "start ; xdo key --delay 0 ctrl+o ; answer Open | Escape ; focus Untitled - Tarnwick ; open "
    "Hello.java ; type xyz ; keys "
    "Return ctrl+s ; bytes Hello.java | xyz\r\nclass Hello {}\r\n",
    // At level 1 an Enter counted in the text would add a Tab: the Enters that
    // answer the dialogs type nothing, and Exit finds nothing unsaved.
    "editing/Enter answers Save As, Overwrite and Command Line ; file Old.java | old text ; "
    "terminal xterm ; start ; keys Tab a ctrl+s ; path Save As | Old.java ; answer Overwrite? | "
    "Return ; keys F5 "
    "; focus Enter here ; console Return ; dismiss ; keys ctrl+s ctrl+x ; exit ; bytes Old.java "
    "| \ta ; files Old.java",
    // Many line breaks from the repeats, one set of Tabs for the one release.
    "editing/held Enter | idle; 0|both cores busy; 2 ; start ; keys Tab a ; load %2 ; xdo "
    "keydown Return sleep 1.6 keyup Return ; load 0 ; keys b ctrl+s ; path Save As | Hello.java "
    "; lines Hello.java | ^\ta\n{3,}\tb$",
    // File, Save by keyboard after each try: keys typed on the way would show.
    "desktop/menus by keyboard, Alt never types ; start ; keys a b ctrl+s ; path Save As | "
    "Keys.java ; keys c alt+f s d F10 s e alt+q F10 s f alt+e Escape Escape ; keys alt+r Escape "
    "Escape alt+h Escape Escape alt+f s ; bytes Keys.java | abcdef",
    // Every window in turn, closed by its key; the target "screenshots" takes
    // the README's pictures along this road.
    "desktop/tour ; file Hello.java | public class Hello {\n\tpublic static void main(String[] "
    "args) {\n\t\tSystem.out.println(\"Hello from Tarnwick\");\n\t}\n}\n ; start ; open "
    "Hello.java ; shot main-window.png ; keys alt+o ; focus Font... ; shot font-dialog.png ; "
    "answer Font... | Escape ; focus Hello.java - Tarnwick ; keys alt+h a ; focus About tarnpad "
    "; shot about-box.png ; answer About tarnpad | Escape ; focus Hello.java - Tarnwick ; keys "
    "alt+h c ; focus Conditions ; shot message-box.png ; answer Conditions | Return",
    // Unsaved text: a real drop (XDND) asks first, as Open does.
    "desktop/a file dragged from another program ; file Drop.java | class Drop {}\n ; start ; "
    "type typed ; standin {build}/tests/e2e/dragsource file://{dir}/Drop.java ; xdo search "
    "--sync --onlyvisible --name ^drag.source$ mousemove --window %1 60 60 mousedown 1 ; xdo "
    "search --onlyvisible --name Tarnwick$ mousemove --window %1 40 40 sleep 0.1 ; xdo search "
    "--onlyvisible --name Tarnwick$ mousemove --window %1 120 120 sleep 0.1 ; xdo search "
    "--onlyvisible --name Tarnwick$ mousemove --window %1 200 200 sleep 0.5 mouseup 1 ; heard "
    "copy\n ; answer File not saved | n ; xdo search --sync --name ^Drop.java mousemove "
    "--window %1 200 200 click 1 ; keys ctrl+Home x ctrl+s ; bytes Drop.java | xclass Drop {}\n",
    // A dark scheme as a user sets one up with qt6ct: the text and the About
    // box's labels read as well as on a light desktop.
    "desktop/dark scheme of qt6ct ; need /usr/share/qt6ct/colors/darker.conf ; file "
    "qt6ct/qt6ct.conf | [Appearance]\ncustom_palette=true\nstyle=Fusion\n"
    "color_scheme_path=/usr/share/qt6ct/colors/darker.conf\n ; env QT_QPA_PLATFORMTHEME=qt6ct ; "
    "env XDG_CONFIG_HOME={dir} ; start ; type class Dark { int caret; } ; keys Home ; legible "
    "10 30 400 18 ; keys alt ; keys Left Down Return ; focus About tarnpad ; legible 70 16 259 "
    "32 ; legible 70 52 259 15 ; legible 72 80 259 78 ; legible 17 175 258 47",
    // POSIX names ASCII: its bytes 128-255 are Latin-1 in the editor.
    "run/typed text is the locale's bytes ; env LC_ALL=POSIX ; start ; type Grüße ; keys ctrl+s "
    "; path Save As | Typed.java ; bytes Typed.java | Gr\xfc\xdf\x65",
    // The real JDK in a real terminal: each known terminal installed, alone on
    // PATH, takes the focus, runs its command and goes after its key
    // (TARNWICK_E2E_TERMINALS=all asks for all, or a list; xterm alone by
    // default).
    "run/Run menu in a real terminal: compile and run | known terminals ; terminal %1 ; file "
    "Привет.java | class Привет{public static void main(String[] a)throws Exception{new "
    "java.io.FileWriter(\"ran\").append(\"Grüße\").close();}} ; start ; open Привет.java ; "
    "console F9 | temc.bat - javac Привет.java ; bytes temc.bat | @echo OFF\r\nclearscr\r\n"
    "javac Привет.java\r\nkeypress ; dismiss ; console ctrl+F9 | temr.bat - java Привет ; bytes "
    "ran | Grüße ; dismiss",
    "run/Run menu in a real terminal: command line and shell | known terminals ; terminal %1 ; "
    "start ; keys F5 ; focus Enter here ; type touch \"Привет F5\" ; console Return | temc.bat "
    "- touch \"Привет F5\" ; bytes Привет F5 |  ; dismiss ; console F7 ; type touch 'made by "
    "F7'; exit\n ; bytes made by F7 | ",
    // A key held for two seconds auto-repeats some fifty times; the command
    // runs once. javac is a stand-in that counts its runs.
    "run/held F9 runs once ; file bin/javac | #!/bin/sh\necho \"javac $*\" >> runs.log\n ; "
    "terminal xterm ; start ; keys ctrl+s ; path Save As | Hello.java ; xdo keydown "
    "F9 sleep 2 keyup F9 ; bytes runs.log | javac Hello.java\n ; xdo sleep 3 ; bytes runs.log | "
    "javac Hello.java\n",
    // The key comes up in the console, where the editor never sees its
    // release; pressed again, it runs again. openbox gives the console the
    // focus only once the key is up: it is put there by hand, as a quick
    // click would, with no repeats to answer the console.
    "run/F9 up in the console, pressed again ; file bin/javac | #!/bin/sh\necho \"javac $*\" >> "
    "runs.log\n ; terminal xterm ; start ; keys ctrl+s ; path Save As | Hello.java ; "
    "autorepeat ; xdo keydown F9 ; xdo search --sync --onlyvisible --class xterm windowfocus "
    "--sync %1 ; xdo keyup F9 ; keys space ; xdo search --sync --onlyvisible --name Tarnwick$ "
    "windowfocus %1 ; focus Hello.java - Tarnwick ; keys F9 ; xdo sleep 3 ; bytes runs.log | "
    "javac Hello.java\njavac Hello.java\n",
    // Unsaved text survives a signal or a lost display byte for byte in a copy
    // named after the file, whose path goes to standard error; the file stays,
    // and the launch scripts go as at a normal close.
    "session/ended from outside | TERM|HUP|display ; file Hello.java | class Hello {}\r\n"
    "\xff\0end\r\n ; file temc.bat | javac Hello.java\r\n ; start ; open Hello.java ; type xyzü "
    "; xdo sleep 1 ; signal %1 ; bytes Hello.java | class Hello {}\r\n\xff\0end\r\n ; bytes "
    "Hello.java.unsaved-changes | xyz\xc3\xbc\x63lass Hello {}\r\n\xff\0end\r\n ; bytes "
    "temc.bat | (absent) ; said tarnwick: the unsaved text was kept in "
    "{dir}/Hello.java.unsaved-changes\n"sv,
    "session/ended when saved: no copy | TERM|display ; file Hello.java | class Hello {} ; "
    "start ; open Hello.java ; signal %1 ; files Hello.java",
    // The desktop learns that a logout has to wait while the text is unsaved,
    // and no longer once it is saved: GNOME's session manager, else the portal.
    "session/logout waits for unsaved text | gnome; window={xid} app=tarnwick; Uninhibit "
    "1|portal; window=x11:{hex}; Close 1 ; standin /usr/bin/python3 {src}/session_manager.py %1 "
    "; file Hello.java | class Hello {} ; start ; open Hello.java ; type ab ; heard Inhibit %2 "
    "flags=1 reason=The text has unsaved changes\n ; keys ctrl+s ; heard %3\n ; quiet",
    // A screen reader over AT-SPI: one insert event per typed character and
    // per Enter, at the offset a reader counts in; the caret where keys left it.
    // New and Open arrive as the first line deleted and inserted.
    "session/screen reader follows typing ; tool dbus-send --dest=org.a11y.Bus /org/a11y/bus "
    "org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled "
    "variant:boolean:true ; file A.java | class A {\n}\n ; start ; standin /usr/bin/python3 "
    "{src}/screen_reader.py type:Grüße key:Return type:ab key:ctrl+Home key:ctrl+n key:n "
    "key:ctrl+o type:A.java key:Return ; heard type:Grüße 'Grüße' 5 [(0, 'G'), (1, 'r'), (2, "
    "'ü'), (3, 'ß'), (4, 'e')]\n ; heard key:Return 'Grüße\\n' 6 [(5, '\\n')]\n ; heard type:ab "
    "'Grüße\\nab' 8 [(6, 'a'), (7, 'b')]\n ; heard key:ctrl+Home 'Grüße\\nab' 0 []\n ; heard "
    "key:ctrl+n 'Grüße\\nab' 0 []\nkey:n '' 0 [(0, '-Grüße\\n')]\nkey:ctrl+o '' 0 []\ntype:A.java "
    "'' 0 []\nkey:Return 'class A {\\n}\\n' 0 [(0, 'class A {\\n')]\n",
    // javac's own message marks its line once the console is gone: F8 goes
    // there; the line fixed, the next compile leaves nothing for F8. The
    // find box's Enter finds and types nothing.
    "run/compile errors marked in the text ; terminal xterm ; file Hello.java | public class Hello "
    "{\n\tpublic "
    "static void main(String[] a) {\n\t\tSystem.out.println(\"hi\")\n\t}\n}\n ; start ; open "
    "Hello.java ; console F9 | temc.bat - javac Hello.java ; dismiss ; shot compile-error.png | "
    "Hello.java - Tarnwick ; keys ctrl+f ; focus Find ; type System ; keys Return ; shot "
    "find-box.png | Find ; answer Find | Escape ; focus Hello.java - Tarnwick ; keys ctrl+Home F8 "
    "End semicolon ctrl+s ; lines Hello.java | \\(\"hi\"\\);\n\t}\n}\n$ ; console F9 | temc.bat "
    "- javac Hello.java ; dismiss ; keys ctrl+Home F8 slash ctrl+s ; lines Hello.java | ^/public "
    "class Hello",
    // The same steps on GNOME's compositor, natively and through XWayland,
    // and natively on GNOME Shell: gnome-terminal takes the focus from F9's
    // and F7's key, and the key that ends the console never reaches the text.
    "wayland/on GNOME | wayland; mutter|xcb; mutter|wayland; gnome-shell ; env "
    "QT_QPA_PLATFORM=%1 ; compositor %2 ; terminal gnome-terminal ; file "
    "Hello.java | class Hello {}\n ; start ; open Hello.java ; keys ctrl+End Tab a ; xdo keydown "
    "Return sleep 1.6 keyup Return ; keys b alt+f a ; path Save As | Saved.java ; lines "
    "Saved.java | ^class Hello {}\n\ta\n{3,}\tb$ ; console F9 ; dismiss ; console F7 ; type "
    "exit ; keys Return ; focus Saved.java - Tarnwick ; keys ctrl+s ; lines Saved.java | ^class "
    "Hello {}\n\ta\n{3,}\tb$ ; keys alt+h c ; focus Conditions ; centred ; answer Conditions "
    "| Return",
};

class TestE2e : public QObject {
    Q_OBJECT

    std::unique_ptr<Desktop> d_;

private slots:
    void roads_data() { // TARNWICK_E2E_ROADS picks roads by a regular expression
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("variant");
        const auto asked = qEnvironmentVariable("TARNWICK_E2E_TERMINALS", "xterm").split(',');
        for (const std::string_view road : roadTable) {
            QString text = QString::fromLatin1(road.data(), road.size());
            for (const auto& [shorthand, steps] : shorthands)
                text.replace(QRegularExpression(shorthand), steps);
            const QStringList steps = text.split(" ; ");
            QStringList variants = steps[0].section(" | ", 1).split('|');
            if (variants[0] == "known terminals") // those asked for; foot is for Wayland only
                for (variants.clear(); const KnownTerminal& t : knownTerminals())
                    if (!t.declaredChoice && t.opensOn != WindowSystem::WaylandOnly &&
                        (asked.contains(t.name) || asked.contains("all")))
                        variants << t.name;
            for (const QString& v : variants) {
                const QString name = steps[0].section(" | ", 0, 0) + (v.isEmpty() ? "" : ": " + v);
                if (name.contains(QRegularExpression(qEnvironmentVariable("TARNWICK_E2E_ROADS"))))
                    QTest::newRow(qPrintable(name)) << steps.mid(1) << v;
            }
        }
    }
    void roads() {
        QFETCH(QStringList, steps);
        QFETCH(QString, variant);
        d_ = QByteArray(QTest::currentDataTag()).startsWith("wayland/")
                 ? std::make_unique<Compositor>()
                 : std::make_unique<Desktop>();
        for (const QString& step : steps) {
            QString text = step;
            for (qsizetype i = 0; !variant.isEmpty() && i <= variant.count(';'); ++i)
                text.replace('%' + QString::number(i + 1), variant.section(';', i, i).trimmed());
            QByteArray line = text.toLatin1(); // the bytes as written
            line.replace("{dir}", d_->dir.path().toUtf8()).replace("{PATH}", qgetenv("PATH"));
            line.replace("{build}", qgetenv("TARNWICK_BUILD_DIR"))
                .replace("{src}", qgetenv("TARNWICK_E2E_SOURCE_DIR"));
            const QString error = d_->step(line);
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
