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

std::string consoleTitle(std::string_view scriptName, const std::vector<Step>& steps) {
    constexpr std::size_t longest = 200; // bytes; terminals show far less
    std::string title(scriptName);
    std::string separator = " - ";
    for (const Step& step : steps) {
        const std::string word = lowered(step.command);
        if (step.refused || word == "clearscr" || word == "keypress")
            continue;
        title += separator + step.command;
        separator = " & ";
    }
    std::string clean;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        // C0 controls, DEL, and C1 controls (U+0080 to U+009F, "\xc2\x80" to
        // "\xc2\x9f" in UTF-8), which some terminals obey as ST or OSC.
        if (c == 0xc2 && i + 1 < title.size() && static_cast<unsigned char>(title[i + 1]) < 0xa0) {
            clean += ' ';
            ++i;
        } else {
            clean += c < 0x20 || c == 0x7f ? ' ' : char(c);
        }
    }
    if (clean.size() > longest) {
        std::size_t end = longest;
        while (end > 0 && (static_cast<unsigned char>(clean[end]) & 0xc0) == 0x80)
            --end; // not inside a UTF-8 sequence
        clean.resize(end);
    }
    return clean;
}

std::optional<Invocation> parseArguments(const std::vector<std::string_view>& arguments) {
    const auto bareName = [](std::string_view path) {
        const auto slash = path.rfind('/');
        return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
    };
    if (arguments.size() == 1 && !arguments[0].empty())
        return Invocation{std::string(arguments[0]), bareName(arguments[0]), false};
    if (arguments.size() == 3 && arguments[0] == "--copy" && !arguments[1].empty() &&
        !bareName(arguments[2]).empty())
        return Invocation{std::string(arguments[1]), bareName(arguments[2]), true};
    return std::nullopt;
}

bool isCompilerLine(std::string_view command) {
    const auto end = command.find_first_of(" \t");
    return command.substr(0, end) == "javac";
}

std::string compilerRecord(std::string_view folder, std::string_view errorOutput) {
    std::string record(folder);
    record += '\0';
    record += errorOutput;
    return record;
}

std::string refusalMessage(int lineNumber) {
    return "tarnwick-batch: line " + std::to_string(lineNumber) +
           " holds a NUL byte and was not run";
}

} // namespace tarnwick::batch
