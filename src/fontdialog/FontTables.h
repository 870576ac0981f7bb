#pragma once

#include <QRgb>

#include <array>

namespace tarnwick::fonttables {

// The font names offered, in list order; the selected entry's text is the
// name given to the text area.
inline constexpr std::array<const char*, 14> fontNames = {
    "Arial",       "Arial Black", "Century Gothic",     "Comic Sans MS", "Courier",
    "Courier New", "Impact",      "Lucida Handwriting", "Modern",        "MS Sans Serif",
    "MS Serif",    "MS Song",     "Times New Roman",    "Verdana"};

// The size list shows "8" first and then 10 to 24, but the size applied is
// always the row plus 9 points: the first row gives 9 points, not 8.
inline constexpr std::array<const char*, 16> sizeCaptions = {
    "8", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23", "24"};
inline constexpr int pointsForSizeRow(int row) {
    return row + 9;
}

struct ColourEntry {
    const char* caption;
    QRgb rgb;
};

// Colour radio buttons, top to bottom; the index is the button's index.
inline constexpr std::array<ColourEntry, 8> colours = {{{"Black", qRgb(0, 0, 0)},
                                                        {"White", qRgb(255, 255, 255)},
                                                        {"Red", qRgb(255, 0, 0)},
                                                        {"Blue", qRgb(0, 0, 255)},
                                                        {"Green", qRgb(0, 255, 0)},
                                                        {"Cyan", qRgb(0, 255, 255)},
                                                        {"Magenta", qRgb(255, 0, 255)},
                                                        {"Yellow", qRgb(255, 255, 0)}}};

// Keyboard order of the colour buttons, by index; it is not their screen order.
inline constexpr std::array<int, 8> colourTabOrder = {0, 3, 4, 5, 6, 1, 2, 7};

} // namespace tarnwick::fonttables
