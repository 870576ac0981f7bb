#pragma once

// The second driver: a headless GNOME compositor (mutter, or GNOME Shell
// after the step "compositor gnome-shell") with XWayland, the editor on it
// natively (QT_QPA_PLATFORM=wayland) or through XWayland (xcb).
// The stand-in remote_desktop.py is the person: keys and pointer through
// mutter's remote desktop interface, the active window through AT-SPI. The
// roads and their steps are Desktop's.
#include "Desktop.h"

namespace tarnwick::test {

struct Compositor : Desktop {
    QProcess* hands = nullptr;

    QString ask(const QString& line) const {
        hands->write(line.toUtf8() + '\n');
        if (!QTest::qWaitFor([&] { return hands->canReadLine(); }, 30000))
            return "(no answer)";
        return QString::fromUtf8(hands->readLine()).chopped(1);
    }
    // xdotool's words: keys, chords, keydown, keyup and sleep. Its window
    // queries have no answer here, and two that never match.
    QString xdo(const QStringList& args) const override {
        if (args.value(0) == "search" || args.value(0) == "getwindowfocus")
            return args.value(0) == "search" ? "\x01" : "\x02";
        QStringList keys;
        const auto send = [&] {
            if (!keys.isEmpty())
                ask("key " + std::exchange(keys, {}).join(' '));
        };
        for (qsizetype i = 0; i < args.size(); ++i) {
            if (args[i] == "--delay" || args[i] == "key")
                i += args[i] == "--delay";
            else if (args[i] == "keydown" || args[i] == "keyup")
                send(), ask(args[i] + ' ' + args.value(i + 1)), ++i;
            else if (args[i] == "sleep")
                send(), QThread::msleep(ulong(args.value(++i).toDouble() * 1000));
            else
                keys << args[i];
        }
        send();
        return {};
    }
    QString focused() const override { return ask("focused"); }
    void type(const QString& text) override { ask("type " + text); }
    QString start() override {
        env.remove("QT_QPA_PLATFORM");
        env.insert("XDG_RUNTIME_DIR", aside.path());
        env.insert("MUTTER_DEBUG", "placement");
        if (compositor == "gnome-shell") { // it wants a system bus; a private open one will do
            writeBytes(aside.filePath("system.conf"),
                       "<busconfig><type>system</type><listen>unix:dir=" + aside.path().toUtf8() +
                           "</listen><auth>EXTERNAL</auth><policy context='default'><allow "
                           "user='*'/><allow own='*'/><allow send_destination='*'/><allow "
                           "receive_sender='*'/></policy></busconfig>");
            QProcess* bus = run("dbus-daemon", {"--config-file=" + aside.filePath("system.conf"),
                                                "--nofork", "--print-address"});
            if (!QTest::qWaitFor([&] { return bus->canReadLine(); }, 10000))
                return "no system bus for gnome-shell";
            env.insert("DBUS_SYSTEM_BUS_ADDRESS", bus->readLine().trimmed());
        }
        run(compositor,
            {"--headless", "--wayland", "--virtual-monitor", "1280x800", "--wayland-display",
             "wayland-tarnwick"},
            aside.filePath("mutter.log"));
        const QRegularExpression x11("Using public X11 display (:\\d+)");
        if (!QTest::qWaitFor(
                [&] { return x11.match(readBytes(aside.filePath("mutter.log"))).hasMatch(); },
                30000))
            return compositor + " did not start: " + readBytes(aside.filePath("mutter.log"));
        display = x11.match(readBytes(aside.filePath("mutter.log"))).captured(1);
        const QStringList auth =
            QDir(aside.path()).entryList({".mutter-Xwaylandauth*"}, QDir::Files | QDir::Hidden);
        env.insert("DISPLAY", display);
        env.insert("XAUTHORITY", aside.filePath(auth.value(0)));
        env.insert("WAYLAND_DISPLAY", "wayland-tarnwick");
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        // What the bus starts (GNOME Terminal's server) opens its windows here.
        run("dbus-update-activation-environment",
            {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            ->waitForFinished();
        env.insert(extra);
        hands = run("/usr/bin/python3",
                    {qEnvironmentVariable("TARNWICK_E2E_SOURCE_DIR") + "/remote_desktop.py"});
        if (!QTest::qWaitFor([&] { return hands->canReadLine(); }, 30000) ||
            hands->readLine() != "ready\n")
            return "no remote desktop session";
        editor = run(qEnvironmentVariable("TARNWICK_BUILD_DIR") + "/bin/tarnwick", {},
                     aside.filePath("stderr"));
        // GNOME Shell opens on its overview, which keeps the keyboard until
        // an Escape closes it, as a person would.
        if (!QTest::qWaitFor(
                [&] {
                    return focused() == "Untitled - Tarnwick" ||
                           (compositor == "gnome-shell" &&
                            (ask("key Escape"), QThread::msleep(500), false));
                },
                30000))
            return "the editor's window did not get the focus";
        return {};
    }
    QString centred() const override {
        // mutter's own words for the last window it placed: centred over
        // its parent, or (on X11, where Qt places it) given its parent.
        const QString log = QString::fromUtf8(readBytes(aside.filePath("mutter.log")));
        QString last;
        for (const auto& m : QRegularExpression("Putting window (\\S+)").globalMatch(log))
            last = m.captured(1);
        if (log.contains("Invalid WM_TRANSIENT_FOR") ||
            !(log.contains("Centered window " + last + " over transient parent") ||
              log.contains("Putting window " + last + " on same workspace as parent")))
            return "mutter did not place " + last + " over the editor";
        return {};
    }
};

} // namespace tarnwick::test
