// Time from process start to the first shown main window, and the memory of
// an idle editor. The program starts itself again as a child so the clock
// includes loading the libraries; the child builds the window as the editor
// does. Run by hand under a real X server, e.g. xvfb-run -a build/bench/bench_startup
#include "BenchUtil.h"

#include "app/FontSettings.h"
#include "app/Form1.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

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

int child(int argc, char* argv[], qint64 startNs) {
    QApplication app(argc, argv);
    FontSettings fontSettings;
    QtPlatform platform;
    Form1 form1(platform, fontSettings);
    platform.setDialogParent(&form1);
    FirstExpose probe(startNs);
    form1.winId(); // creates the native window, so its events can be watched
    form1.windowHandle()->installEventFilter(&probe);
    form1.show();
    QTimer::singleShot(1500, &app, [&] {
        std::printf("%.1f %lld\n", (probe.shownNs_ - startNs) / 1e6, bench::statusKb("VmRSS"));
        app.quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(1, argv, QByteArray(argv[2]).toLongLong());

    constexpr int runs = 10;
    double totalMs = 0;
    double worstMs = 0;
    qint64 rssKb = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        const qint64 start = bench::monotonicNs();
        process.start(QString::fromLocal8Bit(argv[0]),
                      {QStringLiteral("--child"), QString::number(start)});
        process.waitForFinished(30000);
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2) {
            std::fprintf(stderr, "child failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        const double ms = fields[0].toDouble();
        totalMs += ms;
        worstMs = qMax(worstMs, ms);
        rssKb = fields[1].toLongLong();
    }
    std::printf("start-up to first shown window: mean %.1f ms, worst %.1f ms over %d runs\n",
                totalMs / runs, worstMs, runs);
    std::printf("idle editor resident memory: %.1f MB\n", rssKb / 1024.0);
    return 0;
}
