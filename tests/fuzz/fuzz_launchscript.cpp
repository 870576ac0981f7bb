// The launch-script writer and the script runner together: a Command Line of
// one line makes the runner run exactly that line, trimmed, between clearscr
// and keypress, and echo nothing.
#include "BatchScript.h"
#include "runner/LaunchScript.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool switchesEcho(std::string_view command) {
    std::string word(command);
    for (char& c : word)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return word == "echo off" || word == "echo on";
}

// One input in one code page: the script holds the line's bytes in that code
// page, and the runner runs exactly those bytes, never re-encoded.
void check(const QString& line, tarnwick::CodePage codePage) {
    using tarnwick::batch::Step;
    if (tarnwick::runner::commandLineProblem(line, codePage))
        return; // refused before a script is written
    const QByteArray bytes = tarnwick::encodeText(line, codePage);
    const QByteArray script = tarnwick::runner::launchScriptBytes(line, codePage);
    if (script.size() != 31 + bytes.size())
        std::abort();

    const std::string_view input(bytes.constData(), std::size_t(bytes.size()));
    // An "@" in front hides the line, as in any script.
    const std::string_view command =
        trimmed(!input.empty() && input.front() == '@' ? input.substr(1) : input);
    std::vector<Step> expected{{2, "clearscr", false, false}};
    if (!command.empty()) {
        if (switchesEcho(command))
            return; // keypress would be echoed after "echo on": a script's own rule
        expected.push_back({3, std::string(command), false, false});
    }
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
