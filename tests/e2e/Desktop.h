#pragma once

// The one driver of a private X display, for the end-to-end roads and the
// desktop benchmark alike: another display server needs another driver.
#include "../support/Harness.h"

#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <memory>
#include <unistd.h>
#include <utility>
#include <vector>

// Last: Xlib's macros (None, Status, ...) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tarnwick::test {

// A private display with openbox and the editor in a folder of its own, the
// user's hands on it, and everything started there stopped with it.
struct Desktop {
    Folder dir;
    QTemporaryDir aside; // the editor's standard error
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment(), extra;
    std::vector<std::unique_ptr<QProcess>> processes;
    QProcess *xvfb = nullptr, *editor = nullptr, *standIn = nullptr, *load = nullptr;
    QString display, terminal = "xterm", compositor = "mutter"; // the latter Compositor's
    QByteArray heard;
    QHash<QChar, bool> mapped;
    bool wm = true, keepsWindow = false;

    QProcess* run(const QString& program, const QStringList& args, const QString& errors = {}) {
        auto& p = processes.emplace_back(std::make_unique<QProcess>());
        p->setProcessEnvironment(env);
        p->setChildProcessModifier([] { ::setpgid(0, 0); }); // a group to stop
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!errors.isEmpty())
            p->setProcessChannelMode(QProcess::SeparateChannels), p->setStandardErrorFile(errors);
        p->start(program, args);
        p->waitForStarted();
        return p.get();
    }
    QString tool(const QString& program, const QStringList& args) const {
        QProcess p; // in the test's own locale
        p.setEnvironment(QProcess::systemEnvironment() << "DISPLAY=" + display);
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    virtual ~Desktop() = default;
    // The person's hands and eyes, which another display server's driver
    // replaces.
    virtual QString xdo(const QStringList& args) const { return tool("xdotool", args); }
    virtual QString focused() const { return xdo({"getwindowfocus", "getwindowname"}); }
    QString startDisplay() { // Xvfb and openbox, no editor yet
        xvfb =
            run("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24"}, QProcess::nullDevice());
        QByteArray number; // written once it takes connections
        if (!QTest::qWaitFor([&] { return (number += xvfb->readAll()).contains('\n'); }, 20000))
            return "Xvfb did not start";
        env.remove("QT_QPA_PLATFORM");
        env.insert("DISPLAY", display = ':' + number.trimmed());
        // On a loaded machine openbox was seen to give up on a display still
        // settling; another one then takes it over.
        for (int i = 0; wm && i < 3 && !tool("xprop", {"-root"}).contains("_NET_SUPPORTING"); ++i)
            run("openbox", {i ? "--replace" : "--sm-disable"}), QThread::msleep(i ? 3000 : 1000);
        env.insert(extra);
        return {};
    }
    virtual QString start() {
        if (QString error = startDisplay(); !error.isEmpty())
            return error;
        editor = run(qEnvironmentVariable("TARNWICK_BUILD_DIR") + "/bin/tarnwick", {},
                     aside.filePath("stderr"));
        // The user clicks into the new window: without a window manager it
        // gets no focus otherwise, and a click while it is mapped is lost.
        for (int i = 0; i < 3; ++i) {
            xdo({"search", "--sync", "--onlyvisible", "--name", "^Untitled - Tarnwick$",
                 "mousemove", "--window", "%1", "200", "200", "click", "1"});
            if (QTest::qWaitFor([&] { return focused() == "Untitled - Tarnwick"; }, 5000))
                return {};
        }
        return "the editor's window did not get the focus";
    }
    // xdotool maps a character missing from the keyboard map only for a
    // moment, and a client reading the map later loses it: each gets a spare
    // keycode of its own, for good.
    virtual void type(const QString& text) {
        mapKeys(text);
        xdo({"type", "--delay", "20", text});
    }
    void mapKeys(const QString& text) {
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
            return;
        Display* x = XOpenDisplay(display.toLatin1().constData());
        int first = 0, code = 0, per = 0;
        XDisplayKeycodes(x, &first, &code);
        KeySym* map = XGetKeyboardMapping(x, KeyCode(first), code - first + 1, &per);
        for (const QChar c : text) {
            while (code > first && map[(code - first) * per] != NoSymbol)
                --code;
            KeySym sym = c.unicode() < 0x100 ? c.unicode() : 0x01000000 + c.unicode();
            if (c.unicode() > 0x7f && !std::exchange(mapped[c], true))
                XChangeKeyboardMapping(x, code--, 1, &sym, 1);
        }
        XFree(map);
        XCloseDisplay(x);
        QThread::msleep(300); // the clients' turn to read the new map
    }
    // The screen once the editor has handled its events (its CPU time stands
    // still), with the pointer, which is no ink, out of the way.
    QImage screen() const {
        xdo({"mousemove", "1023", "767"});
        const QString stat = QString("/proc/%1/stat").arg(editor->processId());
        const auto cpu = [&] { return readBytes(stat).split(' ').mid(13, 2); };
        for (QByteArrayList last, now = cpu(); now.size() == 2 && now != last; now = cpu())
            last = now, QThread::msleep(300);
        Display* x = XOpenDisplay(display.toLatin1().constData());
        XImage* i =
            x ? XGetImage(x, DefaultRootWindow(x), 0, 0, 1024, 768, AllPlanes, ZPixmap) : nullptr;
        if (x)
            XCloseDisplay(x); // the image is the client's memory
        if (!i)
            return {};
        return QImage(
            reinterpret_cast<uchar*>(i->data), 1024, 768, i->bytes_per_line, QImage::Format_RGB32,
            [](void* i) { XDestroyImage(static_cast<XImage*>(i)); }, i);
    }
    // The focused window's place; with its frame, the window manager's.
    QRect focusedWindow(bool framed = false) const {
        const QString id = xdo({"getwindowfocus"}), info = tool("xwininfo", {"-id", id});
        const auto v = [&](const QString& label) { // Absolute, then Relative
            return QRegularExpression(label + ":\\s+(\\d+)").match(info).captured(1).toInt();
        };
        const QStringList f =
            tool("xprop", {"-id", id, "_NET_FRAME_EXTENTS"}).section('=', 1).split(',');
        const auto e = [&](int i) { return framed ? f.value(i).toInt() : 0; };
        return QRect(v("upper-left X"), v("upper-left Y"), v("Width"), v("Height"))
            .adjusted(-e(0), -e(2), e(1), e(3));
    }
    // Processes on this display, found by what they talk to (its server
    // was started before there was one): consoles leave the process groups.
    QStringList clients() const {
        QStringList found;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            const QByteArrayList environment = readBytes("/proc/" + pid + "/environ").split('\0');
            if (!display.isEmpty() && environment.contains("DISPLAY=" + display.toUtf8()))
                found << pid + ' ' + readBytes("/proc/" + pid + "/comm").trimmed();
        }
        return found;
    }
    // Stops everything, with no time for emergency copies; returns what
    // survived ("pid name"), which should be nothing.
    QStringList stop() {
        for (int round = 0; round < 3 && !clients().isEmpty(); ++round)
            for (const QString& client : clients())
                ::kill(client.section(' ', 0, 0).toInt(), SIGKILL), QThread::msleep(100);
        QStringList left = clients();
        for (const auto& p : std::exchange(processes, {})) {
            ::kill(-pid_t(p->processId()), p->processId() > 0 ? SIGKILL : 0);
            if (!p->waitForFinished(5000) && p->state() != QProcess::NotRunning)
                left << p->program();
        }
        return left;
    }
    // Whether the focused dialog was placed over the editor: only a
    // compositor's driver can tell.
    virtual QString centred() const { return "no such step"; }
    QString step(const QByteArray& line);
};

} // namespace tarnwick::test
