// Times the editor the way a user meets it: the real program on a private X
// display with a window manager (Xvfb + openbox), driven by real X events
// (xdotool). Each figure is measured from outside the editor process:
//   start-up    process start to its first window mapped, beside an empty Qt
//               window (bench_emptywindow) measured the same way;
//   open        Enter in the real Open dialog to the window title naming the
//               file, and to CPU idle of the editor (its CPU time, summed
//               over its threads, stops growing for 200 ms), beside `cat` of
//               the file from the page cache;
//   peak        the editor's VmHWM during the open above its idle VmRSS;
//   Enter       Enter at the end and in the middle of the file through X to
//               CPU idle (50 ms quiet), beside an xdotool that sends nothing;
//   Save        Ctrl+S of the opened file with a line break added at its
//               end, to CPU idle (50 ms quiet) and the new file in place,
//               the bytes on disk checked, then the file cut back;
//   New         Ctrl+N after that, to CPU idle, and the peak memory above
//               the resident memory before it.
// Every row prints median, min and max of the runs. A peer editor can be
// measured on the same open road with --peer featherpad.
// Run by hand: build/bench/bench_desktop [--runs N] [--mb M] [--peer P]
// [--file F] [--line L] [--reader] (F instead of the generated file, or a
// generated file whose first line is L MB; then End and a typed character on
// the file's longest line are timed too). With --reader the open rows are
// measured twice on a private session bus: without a reader, then with the
// accessibility bus enabled and a listener registered as Orca registers
// (text changes, caret moves, focus), which asks for the line at each caret
// move as a reader does. The accessibility bus is private to the run: its
// socket goes into a runtime folder of the run's own, where another session
// on the machine cannot take its place.
#include "BenchUtil.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

// Last: it brings Xlib, whose macros (None, Status, ...) would clash above.
#include "e2e/Desktop.h"
#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace tarnwick;
using test::Desktop;

namespace {

qint64 nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// CPU time of every thread of the process so far, in nanoseconds (the first
// field of schedstat is exact, unlike the clock ticks of stat).
qint64 processCpuNs(qint64 pid) {
    qint64 sum = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            sum += stat.readAll().split(' ').value(0).toLongLong();
    }
    return sum;
}

qint64 statusKb(qint64 pid, const char* field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeak(qint64 pid) {
    QFile refs(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Polls the process until its CPU time has not grown for quietMs; returns
// when it last grew, relative to startNs. The CPU time it started from is
// read before the key goes out, since xdotool returns only once the editor
// may well have done its work. `each` runs at every poll.
double msToIdle(qint64 pid, qint64 startNs, qint64 startCpu, int quietMs, int timeoutMs,
                const std::function<void()>& each = {}) {
    qint64 last = startCpu;
    qint64 changedNs = startNs;
    const qint64 quietNs = qint64(quietMs) * 1000000;
    const qint64 endNs = startNs + qint64(timeoutMs) * 1000000;
    for (;;) {
        QThread::usleep(500);
        const qint64 now = nowNs();
        const qint64 cpu = processCpuNs(pid);
        if (cpu != last) {
            last = cpu;
            changedNs = now;
        }
        if (each)
            each();
        if (now - changedNs >= quietNs || now > endNs)
            return (changedNs - startNs) / 1e6;
    }
}

// The title a window shows, read straight from the X server.
QString windowTitle(Display* x, unsigned long window) {
    const Atom name = XInternAtom(x, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(x, window, name, 0, 1024, False, utf8, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(items));
        XFree(data);
    }
    return title;
}

// Waits for a new top-level window to be mapped on the display; ns, or 0.
qint64 waitForMap(Display* x, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        while (XPending(x) > 0) {
            XEvent event;
            XNextEvent(x, &event);
            if (event.type == MapNotify)
                return nowNs();
        }
        QThread::usleep(200);
    }
    return 0;
}

// A key pressed and released at once: the roads' keys wait 40 ms between
// the two, and the editor's work on the release would count as the key's.
void press(const Desktop& desktop, const QString& key) {
    desktop.xdo({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), key});
}

void pressReturn(const Desktop& desktop) {
    press(desktop, QStringLiteral("Return"));
}

struct Row {
    std::vector<double> values;
    void add(double v) {
        if (v >= 0)
            values.push_back(v);
    }
};

// Once the editor is idle, a key through X to its CPU idle (50 ms quiet);
// `cpuMs`, when given, gets the editor's own CPU time for it, which a busy
// machine does not stretch.
double timedKey(const Desktop& desktop, qint64 pid, const QString& key, int timeoutMs,
                Row* cpuMs = nullptr) {
    msToIdle(pid, nowNs(), processCpuNs(pid), 300, timeoutMs);
    const qint64 cpu = processCpuNs(pid);
    const qint64 pressed = nowNs();
    press(desktop, key);
    const double ms = msToIdle(pid, pressed, cpu, 50, timeoutMs);
    if (cpuMs)
        cpuMs->add((processCpuNs(pid) - cpu) / 1e6);
    return ms;
}

// The number (from 0) of the file's longest line.
int longestLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int line = 0;
    int longest = 0;
    qint64 longestLength = -1;
    while (!file.atEnd()) {
        const qint64 length = file.readLine().size();
        if (length > longestLength) {
            longestLength = length;
            longest = line;
        }
        ++line;
    }
    return longest;
}

// A shown window whose title matches; xdotool's plain search also finds
// the hidden windows a toolkit keeps, which belong to no process.
QString waitForShownWindow(const Desktop& desktop, const QString& pattern) {
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        const QString found = desktop
                                  .xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), pattern})
                                  .section(QLatin1Char('\n'), 0, 0)
                                  .trimmed();
        if (!found.isEmpty())
            return found;
        QThread::msleep(50);
    }
    return {};
}

void print(const char* name, Row row, const char* unit) {
    if (row.values.empty()) {
        std::printf("%-60s (no run succeeded)\n", name);
        return;
    }
    std::sort(row.values.begin(), row.values.end());
    const size_t n = row.values.size();
    const double median =
        n % 2 ? row.values[n / 2] : (row.values[n / 2 - 1] + row.values[n / 2]) / 2;
    std::printf("%-60s median %8.1f  min %8.1f  max %8.1f %s (n=%zu)\n", name, median,
                row.values.front(), row.values.back(), unit, n);
}

QByteArray javaLikeBytes(qint64 size) {
    static const QByteArray block = "public class Sample {\n"
                                    "\tprivate final int[] values = new int[64];\n"
                                    "\tpublic int sum(int limit) {\n"
                                    "\t\tint total = 0; // \xc3\xa9l\xc3\xa8ve\n"
                                    "\t\tfor (int i = 0; i < limit; i++) { total += values[i % "
                                    "64]; }\n"
                                    "\t\treturn total;\n"
                                    "\t}\n"
                                    "}\n";
    return tarnwick::bench::repeatedTo(block, size);
}

// The file of the open rows: with lineMb, its first line is that many MB of
// letters and digits without a space (minified or generated text), then
// Java-like lines up to mb.
QByteArray generatedBytes(qint64 mb, qint64 lineMb) {
    const qint64 size = mb * 1024 * 1024;
    if (lineMb <= 0)
        return javaLikeBytes(size);
    QByteArray bytes = tarnwick::bench::repeatedTo("abcdefghijklmnopqrstuvwxyz0123456789_",
                                                   qMin(size, lineMb * 1024 * 1024) - 1) +
                       '\n';
    return bytes + javaLikeBytes(size - bytes.size());
}

// Start-up of a program to its first mapped window, on a display of its own
// per run so that nothing of the last run is left.
Row startUp(const QString& program, int runs, const QStringList& arguments = {}) {
    Row row;
    for (int i = 0; i < runs; ++i) {
        Desktop desktop;
        const auto stop = qScopeGuard([&] { desktop.stop(); });
        desktop.extra.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        if (!desktop.startDisplay().isEmpty())
            continue;
        Display* x = XOpenDisplay(desktop.display.toLocal8Bit().constData());
        if (!x)
            continue;
        XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
        XSync(x, True); // drops what happened before
        QThread::msleep(300);
        while (XPending(x) > 0) {
            XEvent event;
            XNextEvent(x, &event);
        }
        const qint64 start = nowNs();
        desktop.run(program, arguments);
        const qint64 mapped = waitForMap(x, 15000);
        if (mapped)
            row.add((mapped - start) / 1e6);
        XCloseDisplay(x);
    }
    return row;
}

// A reader from the page cache: the floor of an open.
Row catFloor(const QString& path, int runs) {
    Row row;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess cat;
        cat.setStandardOutputFile(QProcess::nullDevice());
        const qint64 start = nowNs();
        cat.start(QStringLiteral("cat"), {path});
        cat.waitForFinished(60000);
        if (i > 0) // the first run fills the cache
            row.add((nowNs() - start) / 1e6);
    }
    return row;
}

// The file read into a fresh buffer of its size: what any editor must do
// at least, page faults of the new memory included.
Row readFloor(const QString& path, int runs) {
    Row row;
    for (int i = 0; i < runs; ++i) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return row;
        const qint64 start = nowNs();
        const std::unique_ptr<char[]> buffer(new char[size_t(file.size())]);
        if (file.read(buffer.get(), file.size()) == file.size())
            row.add((nowNs() - start) / 1e6);
    }
    return row;
}

// A private session bus with the accessibility bus on it and a listener,
// for the editors started after it.
class ReaderBus {
public:
    ~ReaderBus() {
        for (QProcess* p : {&listener_, &daemon_}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    QString start() {
        // The accessibility bus's socket is made in the runtime folder, by
        // default the same for every session of the account.
        if (!runtime_.isValid())
            return QStringLiteral("no runtime folder");
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (!daemon_.waitForReadyRead(10000))
            return QStringLiteral("no dbus-daemon");
        qputenv("DBUS_SESSION_BUS_ADDRESS", daemon_.readLine().trimmed());
        if (!listen(true))
            return QStringLiteral("no accessibility bus");
        // Orca's registrations; a caret move has it read the line there.
        listener_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        listener_.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-c"), QStringLiteral(R"(import pyatspi
def heard(event):
    if event.type.startswith("object:text-caret-moved"):
        event.source.queryText().getTextAtOffset(event.detail1, pyatspi.TEXT_BOUNDARY_LINE_START)
pyatspi.Registry.registerEventListener(heard, "object:text-changed", "object:text-caret-moved",
    "object:text-selection-changed", "focus:", "object:state-changed:focused")
print("listening", flush=True)
pyatspi.Registry.start()
)")});
        if (!listener_.waitForReadyRead(20000))
            return QStringLiteral("no listener");
        return {};
    }
    // What Qt reads at start-up to decide whether a reader listens.
    static bool listen(bool on) {
        QProcess send;
        send.start(QStringLiteral("dbus-send"),
                   {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                    QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                    QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                    QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
                    QStringLiteral("variant:boolean:") +
                        (on ? QStringLiteral("true") : QStringLiteral("false"))});
        return send.waitForFinished(20000) && send.exitCode() == 0;
    }

private:
    QTemporaryDir runtime_; // made with mode 700
    QProcess daemon_;
    QProcess listener_;
};

struct OpenRows {
    Row toTitle, toIdle, openCpu, peakMb, enter, enterCpu, xdotoolAlone, end, typed, enterMiddle;
    Row save, saveCpu, savePeakMb, newIdle, newCpu, newPeakMb;
    int savedRight = 0, saved = 0;
};

// The file as opened: its size and the hash of its bytes, which a save of
// the text with a line break added at the end must keep before that byte.
struct Original {
    QString path;
    qint64 size = 0;
    QByteArray hash;
};

QByteArray hashOf(const QString& path, qint64 length) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    while (length > 0) {
        const QByteArray piece = file.read(qMin(length, qint64(1) << 20));
        if (piece.isEmpty())
            return {};
        hash.addData(piece);
        length -= piece.size();
    }
    return hash.result();
}

// Ctrl+S of the open text with a line break added at its end (the file is
// saved as a whole new file renamed over the old one, so the size at the
// name changes at once), to CPU idle and the file in place; then the bytes
// are checked and the file cut back to what it was.
void timedSave(const Desktop& desktop, qint64 pid, const Original& original, OpenRows& rows) {
    press(desktop, QStringLiteral("ctrl+End"));
    press(desktop, QStringLiteral("Return"));
    msToIdle(pid, nowNs(), processCpuNs(pid), 300, 60000);
    resetPeak(pid);
    const qint64 peakKb = statusKb(pid, "VmHWM"); // the resident memory now
    const qint64 startCpu = processCpuNs(pid);
    const qint64 start = nowNs();
    qint64 savedNs = 0;
    const auto poll = [&] {
        if (!savedNs && QFileInfo(original.path).size() == original.size + 1)
            savedNs = nowNs();
    };
    press(desktop, QStringLiteral("ctrl+s"));
    double ms = msToIdle(pid, start, startCpu, 50, 300000, poll);
    const QDeadlineTimer deadline(60000);
    while (!savedNs && !deadline.hasExpired())
        QThread::usleep(500), poll();
    // Waiting for the disk costs no CPU time: what follows the wait counts too.
    if (savedNs)
        ms = std::max(
            {ms, (savedNs - start) / 1e6, msToIdle(pid, start, processCpuNs(pid), 50, 300000)});
    rows.save.add(savedNs ? ms : -1);
    rows.saveCpu.add((processCpuNs(pid) - startCpu) / 1e6);
    rows.savePeakMb.add(qMax(0LL, statusKb(pid, "VmHWM") - peakKb) / 1024.0);
    QFile file(original.path);
    ++rows.saved;
    if (savedNs && hashOf(original.path, original.size) == original.hash &&
        file.open(QIODevice::ReadOnly) && file.seek(original.size) && file.read(2) == "\n")
        ++rows.savedRight;
    file.close();
    if (!file.resize(original.size))
        std::fprintf(stderr, "cannot cut %s back\n", qPrintable(original.path));
}

// Ctrl+N of a saved text, to CPU idle (50 ms quiet), and its peak memory
// above the resident memory before it.
void timedNew(const Desktop& desktop, qint64 pid, OpenRows& rows) {
    msToIdle(pid, nowNs(), processCpuNs(pid), 300, 60000);
    resetPeak(pid);
    const qint64 peakKb = statusKb(pid, "VmHWM"); // the resident memory now
    const qint64 startCpu = processCpuNs(pid);
    const qint64 start = nowNs();
    press(desktop, QStringLiteral("ctrl+n"));
    rows.newIdle.add(msToIdle(pid, start, startCpu, 50, 300000));
    rows.newCpu.add((processCpuNs(pid) - startCpu) / 1e6);
    // The kernel counts resident pages per thread and sums them now and
    // then, so a peak that did not grow can read a few pages below the start.
    rows.newPeakMb.add(qMax(0LL, statusKb(pid, "VmHWM") - peakKb) / 1024.0);
}

// Enter in the middle of the file: a middle click on the vertical scroll
// bar's track jumps there, a click in the text puts the caret there.
void enterInMiddle(const Desktop& desktop, qint64 pid, int enters, OpenRows& rows) {
    const QRect frame = desktop.focusedWindow();
    desktop.xdo({QStringLiteral("mousemove"), QString::number(frame.right() - 6),
                 QString::number(frame.center().y()), QStringLiteral("click"),
                 QStringLiteral("2")});
    msToIdle(pid, nowNs(), processCpuNs(pid), 300, 60000);
    desktop.xdo({QStringLiteral("mousemove"), QString::number(frame.center().x()),
                 QString::number(frame.center().y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    press(desktop, QStringLiteral("End"));
    for (int k = 0; k < enters; ++k)
        rows.enterMiddle.add(timedKey(desktop, pid, QStringLiteral("Return"), 60000));
}

// End, then a typed character, on the given line, each from a key through
// X to CPU idle (50 ms quiet); the caret goes back with Home in between.
void longLineKeys(const Desktop& desktop, qint64 pid, int line, int times, OpenRows& rows) {
    press(desktop, QStringLiteral("ctrl+Home"));
    for (int k = 0; k < line; ++k)
        press(desktop, QStringLiteral("Down"));
    for (int k = 0; k < times; ++k) {
        press(desktop, QStringLiteral("Home"));
        rows.end.add(timedKey(desktop, pid, QStringLiteral("End"), 600000));
        rows.typed.add(timedKey(desktop, pid, QStringLiteral("x"), 600000));
    }
}

// How a run finds the editor's main window and its open dialog.
struct Editor {
    QString program;       // empty: the editor as built
    QString idleTitle;     // pattern of the main window before the open
    QString openedTitle;   // substring of the title once the file is open
    QString dialogPattern; // pattern of the dialog's title
};

// Opens the file through the real dialog once per run, each run in a fresh
// program, then, given the original, times Save and New; with enters, the
// keys are timed on the file opened again.
void openRuns(const Editor& editor, const QString& path, int runs, int enters, int longLine,
              OpenRows& rows, const Original* original = nullptr) {
    for (int i = 0; i < runs; ++i) {
        Desktop desktop; // the editor runs in a folder of its own
        const auto stop = qScopeGuard([&] { desktop.stop(); });
        desktop.extra.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        const QString error = editor.program.isEmpty() ? desktop.start() : desktop.startDisplay();
        if (!error.isEmpty()) {
            std::fprintf(stderr, "desktop: %s\n", qPrintable(error));
            continue;
        }
        if (!editor.program.isEmpty())
            desktop.run(editor.program, {});
        const QString window = waitForShownWindow(desktop, editor.idleTitle);
        if (window.isEmpty()) {
            std::fprintf(stderr, "no window \"%s\"\n", qPrintable(editor.idleTitle));
            continue;
        }
        if (!editor.program.isEmpty()) // a click gives it the focus, as start() does the editor
            desktop.xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                         QStringLiteral("200"), QStringLiteral("200"), QStringLiteral("click"),
                         QStringLiteral("1")});
        const qint64 pid = desktop.xdo({QStringLiteral("getwindowpid"), window}).toLongLong();
        Display* x = XOpenDisplay(desktop.display.toLocal8Bit().constData());
        if (pid <= 0 || !x) {
            std::fprintf(stderr, "no process for window %s\n", qPrintable(window));
            continue;
        }
        msToIdle(pid, nowNs(), processCpuNs(pid), 500, 10000);
        const qint64 idleKb = statusKb(pid, "VmRSS");
        // The dialog with the path typed in, waiting for Enter.
        const auto openDialog = [&] {
            const QRegularExpression dialog(editor.dialogPattern);
            desktop.xdo({QStringLiteral("key"), QStringLiteral("ctrl+o")});
            if (!QTest::qWaitFor([&] { return dialog.match(desktop.focused()).hasMatch(); },
                                 15000)) {
                std::fprintf(stderr, "no open dialog; focus on \"%s\"\n",
                             qPrintable(desktop.focused()));
                return false;
            }
            desktop.type(path);
            msToIdle(pid, nowNs(), processCpuNs(pid), 300, 10000);
            return true;
        };
        if (!openDialog()) {
            XCloseDisplay(x);
            continue;
        }
        resetPeak(pid);
        const qint64 startCpu = processCpuNs(pid);
        const qint64 start = nowNs();
        qint64 titled = 0;
        pressReturn(desktop);
        const double idle = msToIdle(pid, start, startCpu, 200, 300000, [&] {
            if (!titled && windowTitle(x, window.toULong()).contains(editor.openedTitle))
                titled = nowNs();
        });
        rows.toIdle.add(idle);
        rows.openCpu.add((processCpuNs(pid) - startCpu) / 1e6);
        rows.toTitle.add(titled ? (titled - start) / 1e6 : -1);
        rows.peakMb.add((statusKb(pid, "VmHWM") - idleKb) / 1024.0);
        bool keys = enters > 0 || longLine >= 0;
        if (original) {
            timedSave(desktop, pid, *original, rows);
            timedNew(desktop, pid, rows);
            keys = keys && openDialog();
            if (keys)
                pressReturn(desktop), msToIdle(pid, nowNs(), processCpuNs(pid), 300, 300000);
        }
        if (keys) {
            desktop.xdo({QStringLiteral("key"), QStringLiteral("ctrl+End")});
            msToIdle(pid, nowNs(), processCpuNs(pid), 300, 60000);
            for (int k = 0; k < enters; ++k) {
                const qint64 before = nowNs();
                desktop.xdo({QStringLiteral("getmouselocation")});
                rows.xdotoolAlone.add((nowNs() - before) / 1e6);
                rows.enter.add(
                    timedKey(desktop, pid, QStringLiteral("Return"), 60000, &rows.enterCpu));
            }
            if (longLine >= 0)
                longLineKeys(desktop, pid, longLine, enters / 3, rows);
            else if (enters > 0)
                enterInMiddle(desktop, pid, enters, rows);
        }
        XCloseDisplay(x);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 5;
    qint64 mb = 50;
    QString peer;
    QString dir;
    QString given;
    qint64 lineMb = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--mb"))
            mb = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--peer"))
            peer = args[++i];
        else if (args[i] == QLatin1String("--dir"))
            dir = QFileInfo(args[++i]).absoluteFilePath(); // each Desktop moves the cwd
        else if (args[i] == QLatin1String("--file"))
            given = QFileInfo(args[++i]).absoluteFilePath();
        else if (args[i] == QLatin1String("--line"))
            lineMb = args[++i].toLongLong();
    }
    const bool withReader = args.contains(QLatin1String("--reader"));
    const QString benchDir = QCoreApplication::applicationDirPath();
    if (qEnvironmentVariableIsEmpty("TARNWICK_BUILD_DIR"))
        qputenv("TARNWICK_BUILD_DIR",
                QFileInfo(benchDir + QStringLiteral("/..")).canonicalFilePath().toLocal8Bit());

    QTemporaryDir scratch;
    const QString folder = dir.isEmpty() ? scratch.path() : dir;
    const bool generated = given.isEmpty();
    if (generated && lineMb > 0)
        given = folder + QStringLiteral("/Line%1in%2.java").arg(lineMb).arg(mb);
    const QString path = given.isEmpty() ? folder + QStringLiteral("/Big%1.java").arg(mb) : given;
    if (generated && QFileInfo(path).size() != mb * 1024 * 1024) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(generatedBytes(mb, lineMb)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    std::printf("%d runs, %s, %lld bytes\n", runs, qPrintable(path), QFileInfo(path).size());
    const Row editorStart =
        startUp(qEnvironmentVariable("TARNWICK_BUILD_DIR") + QStringLiteral("/bin/tarnwick"), runs);
    const Row emptyStart = startUp(benchDir + QStringLiteral("/bench_emptywindow"), runs);
    print("start-up to first window: tarnwick", editorStart, "ms");
    const Row textStart =
        startUp(benchDir + QStringLiteral("/bench_emptywindow"), runs, {QStringLiteral("text")});
    print("start-up to first window: empty Qt window", emptyStart, "ms");
    print("start-up to first window: Qt window with a line of text", textStart, "ms");
    std::fflush(stdout);

    ReaderBus bus;
    if (withReader) {
        if (const QString error = bus.start(); !error.isEmpty()) {
            std::fprintf(stderr, "reader: %s\n", qPrintable(error));
            return 1;
        }
    }
    const QString name = QFileInfo(path).fileName();
    std::vector<std::pair<const char*, OpenRows>> modes{{"", {}}};
    if (withReader)
        modes.emplace_back(", with a reader", OpenRows{});
    const int longLine = given.isEmpty() ? -1 : longestLine(path);
    const qint64 size = QFileInfo(path).size();
    const Original original{path, size, hashOf(path, size)};
    // The modes take turns, so that a machine busy for a while weighs on
    // both alike; the keys are timed in the first turn of each.
    for (int i = 0; i < runs; ++i) {
        for (auto& [mode, rows] : modes) {
            if (withReader && !ReaderBus::listen(*mode != '\0'))
                std::fprintf(stderr, "reader: the accessibility bus did not answer\n");
            openRuns({{}, QStringLiteral("^Untitled - Tarnwick$"), name, QStringLiteral("^Open$")},
                     path, 1, i == 0 ? 9 : 0, i == 0 ? longLine : -1, rows, &original);
        }
    }
    const Row floor = catFloor(path, runs);
    const Row readIn = readFloor(path, runs);
    const auto printRow = [](const char* name, const char* mode, const Row& row, const char* unit) {
        print(qPrintable(QString::fromLatin1(name) + QLatin1String(mode)), row, unit);
    };
    for (const auto& [mode, ours] : modes) {
        printRow("open: Enter in dialog to title", mode, ours.toTitle, "ms");
        printRow("open: Enter in dialog to CPU idle", mode, ours.toIdle, "ms");
        printRow("  the editor's CPU time for it", mode, ours.openCpu, "ms");
    }
    print("open: floor, cat from page cache", floor, "ms");
    print("open: floor, read into a fresh buffer", readIn, "ms");
    for (const auto& [mode, ours] : modes)
        printRow("open: peak memory above idle", mode, ours.peakMb, "MiB");
    for (const auto& [mode, ours] : modes) {
        printRow("Enter at end of file to CPU idle", mode, ours.enter, "ms");
        printRow("  the editor's CPU time for it", mode, ours.enterCpu, "ms");
        printRow("  (an xdotool that sends nothing)", mode, ours.xdotoolAlone, "ms");
        if (given.isEmpty())
            printRow("Enter in the middle of the file to CPU idle", mode, ours.enterMiddle, "ms");
        if (!given.isEmpty()) {
            printRow("End on the longest line to CPU idle", mode, ours.end, "ms");
            printRow("a character typed there to CPU idle", mode, ours.typed, "ms");
        }
    }
    for (const auto& [mode, ours] : modes) {
        printRow("Save of the edited file to CPU idle", mode, ours.save, "ms");
        printRow("  the editor's CPU time for it", mode, ours.saveCpu, "ms");
        printRow("  peak memory above the resident before it", mode, ours.savePeakMb, "MiB");
        std::printf("  the bytes on disk as expected in %d of %d saves\n", ours.savedRight,
                    ours.saved);
        printRow("New after it to CPU idle", mode, ours.newIdle, "ms");
        printRow("  the editor's CPU time for it", mode, ours.newCpu, "ms");
        printRow("  peak memory above the resident before it", mode, ours.newPeakMb, "MiB");
    }
    std::fflush(stdout);

    if (peer == QLatin1String("featherpad")) {
        OpenRows theirs;
        openRuns({QStringLiteral("featherpad"), QStringLiteral("^Untitled$"), name,
                  QStringLiteral("^Open")},
                 path, runs, 0, -1, theirs);
        print("featherpad open: Enter in dialog to title", theirs.toTitle, "ms");
        print("featherpad open: Enter in dialog to CPU idle", theirs.toIdle, "ms");
        print("featherpad open: peak memory above idle", theirs.peakMb, "MiB");
    }
    return 0;
}
