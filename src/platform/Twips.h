#pragma once

#include <QRect>

namespace tarnwick {

// The windows were laid out in twips, 1/1440 inch: 15 to a pixel at 96 dots
// per inch. Every measure of the layouts is a whole number of pixels; one
// that is not would round to the nearest.
constexpr int pixelsFromTwips(int twips) {
    return (twips + 7) / 15;
}

constexpr QRect rectFromTwips(int left, int top, int width, int height) {
    return QRect(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width),
                 pixelsFromTwips(height));
}

} // namespace tarnwick
