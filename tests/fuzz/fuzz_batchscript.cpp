// The script runner's parser on any bytes: it never crashes, it refuses every
// line holding NUL and no other, and every command it would hand to the
// shell is a whole line, trimmed, free of NUL and line breaks, in order.
#include "BatchScript.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr auto npos = std::string_view::npos;
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    std::size_t nulLines = 0, refusals = 0;
    for (std::size_t start = 0, end = 0; end != npos; start = end + 1) {
        lines.push_back(script.substr(start, (end = script.find('\n', start)) - start));
        nulLines += lines.back().find('\0') != npos;
    }
    int previous = 0;
    for (const tarnwick::batch::Step& step : tarnwick::batch::parseScript(script)) {
        const std::string_view c = step.command;
        const bool whole = step.refused ? c.empty()
                                        : !c.empty() && c.find_first_of({"\0\n", 2}) == npos &&
                                              std::string_view(" \t").find(c.front()) == npos &&
                                              std::string_view(" \t").find(c.back()) == npos;
        if (step.lineNumber <= previous || step.lineNumber > int(lines.size()) || !whole ||
            step.refused != (lines[std::size_t(step.lineNumber - 1)].find('\0') != npos))
            std::abort();
        previous = step.lineNumber, refusals += step.refused;
    }
    if (refusals != nulLines)
        std::abort();
    return 0;
}
