#include "BatchScript.h"

namespace tarnwick::batch {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

} // namespace

std::vector<Step> parseScript(std::string_view bytes) {
    std::vector<Step> steps;
    bool echo = true;
    int lineNumber = 0;
    std::string_view::size_type start = 0;
    while (start <= bytes.size()) {
        ++lineNumber;
        auto end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (line.find('\0') != std::string_view::npos) {
            steps.push_back({lineNumber, {}, false, true});
            continue;
        }
        const bool hidden = !line.empty() && line.front() == '@';
        if (hidden)
            line.remove_prefix(1);
        const std::string_view command = trimmed(line);
        if (command.empty())
            continue;
        const std::string word = lowered(command);
        if (word == "echo off" || word == "echo on") {
            echo = word == "echo on";
            continue;
        }
        steps.push_back({lineNumber, std::string(command), echo && !hidden, false});
    }
    return steps;
}

std::string refusalMessage(int lineNumber) {
    return "tarnwick-batch: line " + std::to_string(lineNumber) +
           " holds a NUL byte and was not run";
}

} // namespace tarnwick::batch
