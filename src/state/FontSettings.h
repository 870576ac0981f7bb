#pragma once

#include <cstdint>

namespace tarnwick {

// The font dialog's remembered choices, alive from start-up to exit.
struct FontSettings {
    std::int16_t fontIndex = 9; // "MS Sans Serif"
    std::int16_t sizeIndex = 1; // "10", 10 points
    std::int16_t bold = 0;
    std::int16_t italic = 0;
    std::int16_t underline = 0;
    std::int16_t strikeout = 0;
};

} // namespace tarnwick
