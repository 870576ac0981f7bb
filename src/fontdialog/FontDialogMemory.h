#pragma once

#include <cstdint>

namespace tarnwick {

// What the font dialog remembers of itself between openings (its choices
// proper are kept in FontSettings).
struct FontDialogMemory {
    // List row of the last font name applied without failure.
    std::int16_t lastGoodFontIndex = 0;
};

} // namespace tarnwick
