// The script runner's parser on any bytes: it never crashes, and every command
// it would hand to the shell is a whole line, free of NUL and line breaks.
#include "BatchScript.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = script.find('\n', start);
        lines.push_back(script.substr(start, end == script.npos ? script.npos : end - start));
        if (end == script.npos)
            break;
        start = end + 1;
    }

    int previous = 0;
    std::size_t refusals = 0;
    for (const tarnwick::batch::Step& step : tarnwick::batch::parseScript(script)) {
        if (step.lineNumber <= previous || step.lineNumber > int(lines.size()))
            std::abort();
        previous = step.lineNumber;
        const bool holdsNul = lines[std::size_t(step.lineNumber - 1)].find('\0') != script.npos;
        if (step.refused != holdsNul || (step.refused && !step.command.empty()))
            std::abort();
        if (step.refused) {
            ++refusals;
            continue;
        }
        const std::string_view command = step.command;
        if (command.empty() || command.find_first_of(std::string_view("\0\n", 2)) != command.npos)
            std::abort();
        if (command.front() == ' ' || command.front() == '\t' || command.back() == ' ' ||
            command.back() == '\t')
            std::abort();
    }
    // No line holding NUL goes without its refusal.
    std::size_t nulLines = 0;
    for (const std::string_view line : lines)
        nulLines += line.find('\0') != line.npos;
    if (refusals != nulLines)
        std::abort();
    return 0;
}
