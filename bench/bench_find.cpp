// How long Find takes in a 50 MB document: the next match a little after
// the caret (F3), and searches through the whole text (a word that is not
// there, both with and without case; every match counted; Replace All),
// beside grep -c on the same bytes in the same run as the floor. The window
// is held for as long as one search takes, so the whole-text times are also
// how long it stops answering. Run by hand:
//   ./bench/bench_find [megabytes] [rounds]
#include "app/Form1.h"
#include "navigation/NavigationCommands.h"
#include "platform/QtPlatform.h"
#include "state/FontSettings.h"
#include "textarea/Text1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tarnwick;

namespace {

const QByteArray line("        System.out.println(\"The quick brown fox\"); // 64 bytes.\n");

QByteArray javaLines(qint64 bytes) {
    QByteArray text;
    text.reserve(bytes);
    while (text.size() + line.size() <= bytes)
        text += line;
    return text;
}

void load(Text1& text, const QByteArray& bytes) {
    DocumentLoad loading = text.beginLoad(bytes.size());
    loading.add(bytes.constData(), bytes.size());
    text.commitLoad(std::move(loading));
}

// Median and worst of `rounds` runs, in milliseconds.
void time(const char* what, int rounds, const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-52s median %8.1f  max %8.1f ms\n", what, ms[ms.size() / 2], ms.back());
}

void grep(const char* what, int rounds, const QStringList& arguments) {
    QString count;
    time(what, rounds, [&] {
        QProcess process;
        process.start(QStringLiteral("grep"), arguments);
        process.waitForFinished(-1);
        count = QString::fromLatin1(process.readAllStandardOutput()).trimmed();
    });
    std::printf("  %-52s %s\n", "  (grep counted lines)", qPrintable(count));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    const QByteArray bytes = javaLines(megabytes * 1024 * 1024);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Big.java"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    out.close();

    bool ok = true;
    for (const CodePage codePage : {CodePage::SingleByte, CodePage::Utf8}) {
        FontSettings fontSettings;
        QtPlatform platform(codePage);
        Form1 form(platform, fontSettings);
        Text1& text = *form.text1();
        form.show();
        load(text, bytes);
        QApplication::processEvents();
        std::printf("%s, %lld bytes, %d lines:\n",
                    codePage == CodePage::Utf8 ? "UTF-8" : "single-byte",
                    static_cast<long long>(text.byteLength()), text.lineCount());

        // A word 1000 lines below the middle, put in by an edit, which
        // leaves Scintilla's gap there as typing does.
        const long middle = long(text.byteLength() / 2);
        text.setSelectionRange(middle + 64000, middle + 64000);
        text.replaceSelectedBytes("Needle");
        navigation::SearchRequest near{QStringLiteral("needle"), {}, {}};
        time("F3, the match 64 KB after the caret, any case", rounds, [&] {
            text.setSelectionRange(middle, middle);
            ok = navigation::findNext(text, near, true) && ok;
        });
        near.options.matchCase = true;
        near.text = QStringLiteral("Needle");
        time("F3, the match 64 KB after the caret, match case", rounds, [&] {
            text.setSelectionRange(middle, middle);
            ok = navigation::findNext(text, near, true) && ok;
        });

        navigation::SearchRequest absent{QStringLiteral("absentWord"), {}, {}};
        time("F3, not found: the whole text, any case", rounds, [&] {
            text.setSelectionRange(0, 0);
            ok = !navigation::findNext(text, absent, true) && ok;
        });
        absent.options.matchCase = true;
        time("F3, not found: the whole text, match case", rounds, [&] {
            text.setSelectionRange(0, 0);
            ok = !navigation::findNext(text, absent, true) && ok;
        });
        grep("grep -c absentWord (floor)", rounds,
             {QStringLiteral("-c"), QStringLiteral("absentWord"), file});
        grep("grep -ci absentWord (floor)", rounds,
             {QStringLiteral("-ci"), QStringLiteral("absentWord"), file});

        const navigation::SearchRequest fox{
            QStringLiteral("fox"), QStringLiteral("cat"), {true, true}};
        int replaced = 0;
        time("Replace All \"fox\" (every line)", 1,
             [&] { replaced = navigation::replaceAll(text, fox, codePage); });
        time("  its undo", 1, [&] { text.undo(); });
        std::printf("  %-52s %d\n", "  (replaced)", replaced);
        grep("grep -c fox (floor)", rounds, {QStringLiteral("-c"), QStringLiteral("fox"), file});
        ok = replaced == text.lineCount() - 1 && ok;
    }
    std::printf("check: every search found what it should: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
