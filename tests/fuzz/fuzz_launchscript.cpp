// The launch-script writer and the script runner together: a Command Line of
// one line makes the runner run exactly that line's bytes in the code page,
// never re-encoded, trimmed, between clearscr and keypress, and echo nothing.
#include "BatchScript.h"
#include "runner/LaunchScript.h"

#include <QByteArrayList>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(const QString& line, tarnwick::CodePage codePage) {
    using tarnwick::batch::Step;
    if (tarnwick::runner::commandLineProblem(line, codePage))
        return; // refused before a script is written
    const QByteArray bytes = tarnwick::encodeText(line, codePage);
    const QByteArray script = tarnwick::runner::launchScriptBytes(line, codePage);
    if (script.size() != 31 + bytes.size())
        std::abort();
    // An "@" in front hides the line, as in any script; blanks are trimmed.
    QByteArray command = bytes.startsWith('@') ? bytes.mid(1) : bytes;
    while (command.startsWith(' ') || command.startsWith('\t'))
        command.remove(0, 1);
    while (command.endsWith(' ') || command.endsWith('\t'))
        command.chop(1);
    if (QByteArrayList{"echo off", "echo on"}.contains(command.toLower()))
        return; // keypress would be echoed after "echo on": a script's own rule
    std::vector<Step> expected{{2, "clearscr", false, false}};
    if (!command.isEmpty())
        expected.push_back({3, command.toStdString(), false, false});
    expected.push_back({4, "keypress", false, false});
    if (tarnwick::batch::parseScript({script.constData(), std::size_t(script.size())}) != expected)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    // Every byte is a character of the single-byte code page; in UTF-8 the
    // same bytes, read as UTF-8, give any character at all.
    check(QString::fromLatin1(text, qsizetype(size)), tarnwick::CodePage::SingleByte);
    check(QString::fromUtf8(text, qsizetype(size)), tarnwick::CodePage::Utf8);
    return 0;
}
