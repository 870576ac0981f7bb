// Time from process start to the first shown main window, and the memory of
// an idle editor. The program starts itself again as a child so the clock
// includes loading the libraries; the child builds the window as the editor
// does. Run by hand under a real X server, e.g. xvfb-run -a build/bench/bench_startup
#include "BenchUtil.h"

#include "app/Form1.h"
#include "platform/QtPlatform.h"
#include "state/FontSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace tarnwick;

namespace {

class FirstExpose : public QObject {
public:
    explicit FirstExpose(qint64 startNs) : startNs_(startNs) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Expose) {
            done_ = true;
            shownNs_ = bench::monotonicNs();
        }
        return false;
    }
    bool done_ = false;
    qint64 startNs_;
    qint64 shownNs_ = 0;
};

// The window the child shows: the editor's, or for comparison an empty
// QWidget of the same size, the floor that Qt itself sets on this machine.
int child(int argc, char* argv[], qint64 startNs, bool bare) {
    const qint64 mainNs = bench::monotonicNs();
    QApplication app(argc, argv);
    const qint64 appNs = bench::monotonicNs();
    FontSettings fontSettings;
    QtPlatform platform(localeCodePage());
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->resize(538, 370);
    } else {
        auto form1 = std::make_unique<Form1>(platform, fontSettings);
        platform.setDialogParent(form1.get());
        window = std::move(form1);
    }
    const qint64 formNs = bench::monotonicNs();
    FirstExpose probe(startNs);
    window->winId(); // creates the native window, so its events can be watched
    window->windowHandle()->installEventFilter(&probe);
    window->show();
    QTimer::singleShot(1500, &app, [&] {
        std::printf("%.1f %lld %.1f %.1f %.1f\n", (probe.shownNs_ - startNs) / 1e6,
                    bench::statusKb("VmRSS"), (mainNs - startNs) / 1e6, (appNs - mainNs) / 1e6,
                    (formNs - appNs) / 1e6);
        app.quit();
    });
    return app.exec();
}

struct Figures {
    double meanMs = 0;
    double worstMs = 0;
    double phases[3] = {0, 0, 0};
    qint64 rssKb = 0;
};

bool measure(const char* self, const QString& mode, int runs, Figures& f) {
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        const qint64 start = bench::monotonicNs();
        process.start(QString::fromLocal8Bit(self), {mode, QString::number(start)});
        process.waitForFinished(30000);
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 5) {
            std::fprintf(stderr, "child failed: %s\n", process.readAllStandardError().constData());
            return false;
        }
        const double ms = fields[0].toDouble();
        f.meanMs += ms / runs;
        f.worstMs = qMax(f.worstMs, ms);
        f.rssKb = fields[1].toLongLong();
        for (int p = 0; p < 3; ++p)
            f.phases[p] += fields[2 + p].toDouble() / runs;
    }
    return true;
}

void report(const char* what, const Figures& f, int runs) {
    std::printf("%s: first shown window after mean %.1f ms, worst %.1f ms over %d runs\n", what,
                f.meanMs, f.worstMs, runs);
    std::printf("  of which: to main() %.1f ms, QApplication %.1f ms, window built %.1f ms, "
                "showing %.1f ms; resident memory when idle %.1f MB\n",
                f.phases[0], f.phases[1], f.phases[2],
                f.meanMs - f.phases[0] - f.phases[1] - f.phases[2], f.rssKb / 1024.0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && (std::strcmp(argv[1], "--child") == 0 || std::strcmp(argv[1], "--bare") == 0))
        return child(1, argv, QByteArray(argv[2]).toLongLong(),
                     std::strcmp(argv[1], "--bare") == 0);

    constexpr int runs = 10;
    Figures editor;
    Figures bare;
    if (!measure(argv[0], QStringLiteral("--child"), runs, editor) ||
        !measure(argv[0], QStringLiteral("--bare"), runs, bare))
        return 1;
    report("Tarnwick", editor, runs);
    report("empty QWidget, for comparison", bare, runs);
    return 0;
}
