// Times the real Open and Save commands on generated Java-like files of 1, 10
// and 50 MB and reports peak memory while opening. Run by hand, e.g.
//   xvfb-run -a build/bench/bench_open_save   or   QT_QPA_PLATFORM=offscreen ...
#include "BenchUtil.h"

#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "textarea/Text1.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

using namespace tarnwick;

namespace {

QByteArray javaLikeBytes(qint64 size) {
    static const QByteArray block =
        "public class Sample {\r\n"
        "\tprivate final int[] values = new int[64];\r\n"
        "\tpublic int sum(int limit) {\r\n"
        "\t\tint total = 0; // \xe9l\xe8ve\r\n"
        "\t\tfor (int i = 0; i < limit; i++) { total += values[i % 64]; }\r\n"
        "\t\treturn total;\r\n"
        "\t}\r\n"
        "}\r\n";
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() + block.size() <= size)
        bytes.append(block);
    bytes.append(QByteArray(size - bytes.size(), 'x'));
    return bytes;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    test::FakePlatform platform;
    FontSettings fonts;
    Form1 form(platform, fonts);
    form.show();
    app.processEvents();

    constexpr int rounds = 5;
    std::printf("median of %d rounds each\n", rounds);
    std::printf("%-6s %10s %10s %14s %14s\n", "size", "open ms", "save ms", "open peak MB",
                "above idle MB");
    for (const qint64 mb : {1, 10, 50}) {
        const QString path = dir.filePath(QStringLiteral("Big%1.java").arg(mb));
        {
            QFile out(path);
            out.open(QIODevice::WriteOnly);
            out.write(javaLikeBytes(mb * 1024 * 1024));
        }
        QList<double> openMs;
        QList<double> saveMs;
        qint64 worstAboveIdleKb = 0;
        qint64 worstPeakKb = 0;
        for (int round = 0; round < rounds; ++round) {
            // Start from an empty document so the old one is not counted.
            form.state().isSaved = true;
            form.new_();
            app.processEvents();
            const qint64 idleKb = bench::statusKb("VmRSS");
            bench::resetPeak();

            platform.openAnswers.push_back(test::FakePlatform::choose(path));
            const qint64 t0 = bench::monotonicNs();
            form.open();
            form.text1()->repaint();
            const qint64 t1 = bench::monotonicNs();
            const qint64 peakKb = bench::statusKb("VmHWM");

            form.text1()->appendBytes("x");
            const qint64 t2 = bench::monotonicNs();
            form.saveim();
            const qint64 t3 = bench::monotonicNs();

            if (form.text1()->byteLength() != mb * 1024 * 1024 + 1 || !form.state().isSaved) {
                std::fprintf(stderr, "open or save did not complete for %lld MB\n", mb);
                return 1;
            }
            // Put the file back as generated for the next round.
            form.text1()->undo();
            form.saveim();
            openMs.append((t1 - t0) / 1e6);
            saveMs.append((t3 - t2) / 1e6);
            worstPeakKb = qMax(worstPeakKb, peakKb);
            worstAboveIdleKb = qMax(worstAboveIdleKb, peakKb - idleKb);
        }
        std::sort(openMs.begin(), openMs.end());
        std::sort(saveMs.begin(), saveMs.end());
        std::printf("%4lldMB %10.1f %10.1f %14.1f %14.1f\n", mb, openMs[rounds / 2],
                    saveMs[rounds / 2], worstPeakKb / 1024.0, worstAboveIdleKb / 1024.0);
        QFile::remove(path);
    }
    return 0;
}
