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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarnwick::batch::Step;
    // Bytes as Latin-1 characters: every one fits the scripts' code page.
    // Keeping other characters out is the Command Line's check, not the writer's.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty() || input.find_first_of(std::string_view("\r\n\0", 3)) != input.npos)
        return 0;
    const QByteArray script = tarnwick::runner::launchScriptBytes(
        QString::fromLatin1(input.data(), qsizetype(input.size())));
    if (std::size_t(script.size()) != 31 + size)
        std::abort();

    // An "@" in front hides the line, as in any script.
    const std::string_view command = trimmed(input.front() == '@' ? input.substr(1) : input);
    std::vector<Step> expected{{2, "clearscr", false, false}};
    if (!command.empty()) {
        if (switchesEcho(command))
            return 0; // keypress would be echoed after "echo on": a script's own rule
        const QByteArray utf8 =
            QString::fromLatin1(command.data(), qsizetype(command.size())).toUtf8();
        expected.push_back({3, utf8.toStdString(), false, false});
    }
    expected.push_back({4, "keypress", false, false});
    if (tarnwick::batch::parseScript({script.constData(), std::size_t(script.size())}) != expected)
        std::abort();
    return 0;
}
