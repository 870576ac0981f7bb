// How long the release of Enter takes with indentLevel 5 in a 50 MB document:
// the key release reaching the text area, the handler appending five Tabs at
// the end and moving the caret there; in the single-byte code page and in
// UTF-8, each without and with a screen reader listening. Run by hand:
//   ./bench/bench_indent [megabytes] [rounds]
#include "ScreenReader.h"

#include "app/Form1.h"
#include "platform/QtPlatform.h"
#include "state/FontSettings.h"
#include "textarea/Text1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnwick;

namespace {

// A Java-looking document of about the given size, loaded as Open loads one.
void loadDocument(Text1& text, qint64 bytes) {
    const QByteArray line("        System.out.println(\"The quick brown fox\"); // 64 bytes.\n");
    QByteArray chunk;
    while (chunk.size() < 1024 * 1024)
        chunk += line;
    DocumentLoad load = text.beginLoad(bytes);
    for (qint64 done = 0; done < bytes; done += chunk.size())
        load.add(chunk.constData(), qMin<qint64>(chunk.size(), bytes - done));
    text.commitLoad(std::move(load));
}

void sendKey(Text1& text, QEvent::Type type) {
    QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(&text, &event);
}

double elapsedMs(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Rounds {
    std::vector<double> press, release, repaint;
};

// One round: Enter pressed with the caret at `position`, then released, then
// the repaint that follows; each timed apart.
void enterAt(Form1& form, qint64 position, Rounds& rounds) {
    Text1& text = *form.text1();
    form.state().indentLevel = 5;
    text.setSelectionRange(long(position), long(position));
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    sendKey(text, QEvent::KeyPress);
    rounds.press.push_back(elapsedMs(timer));

    timer.restart();
    sendKey(text, QEvent::KeyRelease);
    rounds.release.push_back(elapsedMs(timer));

    timer.restart();
    QApplication::processEvents();
    rounds.repaint.push_back(elapsedMs(timer));
}

void print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("    %-34s min %8.3f  median %8.3f  max %8.3f ms\n", what, ms.front(),
                ms[ms.size() / 2], ms.back());
}

// Returns whether the document grew by exactly what the Enters and the
// appended Tabs add.
bool measure(const char* title, qint64 megabytes, int count, CodePage codePage) {
    FontSettings fontSettings;
    QtPlatform platform(codePage);
    Form1 form(platform, fontSettings);
    Text1& text = *form.text1();
    form.show();
    text.setFocus();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    const qint64 size = megabytes * 1024 * 1024;
    loadDocument(text, size);
    QApplication::processEvents();
    std::printf("%s\n  document: %lld bytes, %ld lines, loaded in %.0f ms\n", title,
                static_cast<long long>(text.byteLength()),
                text.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT), double(timer.elapsed()));

    Rounds atEnd;
    for (int i = 0; i < count; ++i)
        enterAt(form, text.byteLength(), atEnd);
    std::printf("  Enter at the end, indentLevel 5, %d rounds:\n", count);
    print("release handling (our part)", atEnd.release);
    print("press (the component's newline)", atEnd.press);
    print("repaint after the release", atEnd.repaint);

    // In the middle, Scintilla's gap sits where the line break went in, and
    // the append at the end moves it across half the document.
    Rounds inMiddle;
    for (int i = 0; i < count; ++i)
        enterAt(form, text.byteLength() / 2, inMiddle);
    std::printf("  Enter in the middle, indentLevel 5, %d rounds:\n", count);
    print("release handling (our part)", inMiddle.release);
    print("press (the component's newline)", inMiddle.press);
    print("repaint after the release", inMiddle.repaint);

    const qint64 enters = 2 * qint64(count);
    return text.bytes().right(5) == QByteArray(5, '\t') &&
           text.byteLength() == size + enters * (1 + 5);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 9;

    bool ok = true;
    for (const bool reader : {false, true}) {
        if (!bench::setScreenReaderListening(reader)) {
            std::printf("the platform has no accessibility to switch on\n");
            return 1;
        }
        for (const CodePage codePage : {CodePage::SingleByte, CodePage::Utf8}) {
            const QString title =
                QStringLiteral("Enter with indentLevel 5, %1, %2:")
                    .arg(codePage == CodePage::Utf8 ? "UTF-8" : "single-byte",
                         reader ? "a screen reader listening" : "no screen reader");
            ok = measure(qPrintable(title), megabytes, rounds, codePage) && ok;
        }
    }
    std::printf("check: every Enter added one line break and five Tabs at the end: %s\n",
                ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
