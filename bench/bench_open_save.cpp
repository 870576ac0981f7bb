// Times the real Open and Save commands on generated Java-like files of 1, 10
// and 50 MB and reports peak memory while opening. Run by hand, e.g.
//   xvfb-run -a build/bench/bench_open_save   or   QT_QPA_PLATFORM=offscreen ...
// Options: --sizes 50,1024 (in MB), --rounds N (median of N, default 5),
// --dir D (keeps the generated files in D for the next run). Each size is
// measured in the single-byte code page and in UTF-8, and in UTF-8 with a
// screen reader listening.
#include "BenchUtil.h"
#include "ScreenReader.h"

#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "textarea/Text1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    return bench::repeatedTo(block, size);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<qint64> sizes{1, 10, 50};
    int rounds = 5;
    QTemporaryDir temporary;
    QString folder = temporary.path();
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--sizes") {
            sizes.clear();
            for (const QString& size : arguments[i + 1].split(','))
                sizes.append(size.toLongLong());
        } else if (arguments[i] == "--rounds") {
            rounds = qMax(1, arguments[i + 1].toInt());
        } else if (arguments[i] == "--dir") {
            folder = arguments[i + 1];
        }
    }
    const bool keepFiles = folder != temporary.path();
    std::printf("median of %d rounds each\n", rounds);
    struct Mode {
        const char* name;
        CodePage codePage;
        bool reader;
    };
    for (const Mode& mode :
         {Mode{"single-byte", CodePage::SingleByte, false}, Mode{"UTF-8", CodePage::Utf8, false},
          Mode{"UTF-8, a screen reader listening", CodePage::Utf8, true}}) {
        if (!bench::setScreenReaderListening(mode.reader)) {
            std::fprintf(stderr, "the platform has no accessibility to switch on\n");
            return 1;
        }
        test::FakePlatform platform(mode.codePage);
        FontSettings fonts;
        Form1 form(platform, fonts);
        form.show();
        app.processEvents();
        std::printf("%s\n", mode.name);
        std::printf("%-6s %10s %10s %14s %14s %12s %12s\n", "size", "open ms", "save ms",
                    "open peak MB", "above idle MB", "open cpu ms", "open faults");
        for (const qint64 mb : sizes) {
            const QString path = QDir(folder).filePath(QStringLiteral("Big%1.java").arg(mb));
            if (QFileInfo(path).size() != mb * 1024 * 1024) {
                QFile out(path);
                out.open(QIODevice::WriteOnly);
                out.write(javaLikeBytes(mb * 1024 * 1024));
            }
            QList<double> openMs;
            QList<double> saveMs;
            QList<double> openCpuMs;
            QList<qint64> openFaults;
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
                const qint64 cpu0 = bench::cpuNs();
                const qint64 faults0 = bench::minorFaults();
                form.open();
                form.text1()->repaint();
                const qint64 t1 = bench::monotonicNs();
                openCpuMs.append((bench::cpuNs() - cpu0) / 1e6);
                openFaults.append(bench::minorFaults() - faults0);
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
            std::sort(openCpuMs.begin(), openCpuMs.end());
            std::sort(openFaults.begin(), openFaults.end());
            std::printf("%4lldMB %10.1f %10.1f %14.1f %14.1f %12.1f %12lld\n", mb,
                        openMs[rounds / 2], saveMs[rounds / 2], worstPeakKb / 1024.0,
                        worstAboveIdleKb / 1024.0, openCpuMs[rounds / 2], openFaults[rounds / 2]);
        }
    }
    if (!keepFiles) {
        for (const qint64 mb : sizes)
            QFile::remove(QDir(folder).filePath(QStringLiteral("Big%1.java").arg(mb)));
    }
    return 0;
}
