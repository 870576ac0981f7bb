// How long F9 keeps the editor busy: writing "temc.bat" with its four steps
// on the real file system, and handing a command line to the console layer
// until the detached terminal has been started. The terminal is /bin/true,
// which takes the command's arguments and exits, so nothing opens. Run by
// hand in the build directory:
//   ./bench/bench_runner [rounds]
#include "BenchUtil.h"
#include "console/HelperLocation.h"
#include "console/ProcessStarter.h"
#include "runner/RunCommands.h"
#include "support/FakePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnwick;

namespace {

void report(const char* what, std::vector<qint64>& ns) {
    std::sort(ns.begin(), ns.end());
    std::printf("%-34s median %8.3f ms   max %8.3f ms   (%zu rounds)\n", what,
                double(ns[ns.size() / 2]) / 1e6, double(ns.back()) / 1e6, ns.size());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    QFile source(QStringLiteral("Hello.java"));
    if (!source.open(QIODevice::WriteOnly))
        return 1;
    source.write("public class Hello { public static void main(String[] a) {} }\n");
    source.close();

    // The script steps: touch, delete, touch, write; the start is recorded only.
    test::FakePlatform platform;
    const QString fileTitle = QStringLiteral("Hello.java");
    std::vector<qint64> script;
    for (int i = 0; i < rounds; ++i) {
        const qint64 start = bench::monotonicNs();
        runner::compile(fileTitle, platform);
        script.push_back(bench::monotonicNs() - start);
    }
    report("compile (script on disk)", script);

    ConsoleSetup setup = defaultConsoleSetup();
    // bench/ sits beside bin/ in the build tree, so the helpers lie where
    // the editor's would.
    setup.helperDirectory = helperDirectoryFor(QCoreApplication::applicationDirPath());
    KnownTerminal stand;
    stand.name = QStringLiteral("true");
    setup.terminals = {stand};
    std::vector<qint64> started;
    for (int i = 0; i < rounds; ++i) {
        QString error;
        const qint64 start = bench::monotonicNs();
        if (!startInTerminal(QStringLiteral("temc.bat"), setup, &error)) {
            std::fprintf(stderr, "start failed: %s\n", qPrintable(error));
            return 1;
        }
        started.push_back(bench::monotonicNs() - start);
    }
    report("start temc.bat (detached)", started);
    return 0;
}
