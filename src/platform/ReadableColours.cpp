#include "platform/ReadableColours.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

bool reads(const QColor& text, const QColor& background) {
    return contrastRatio(text, background) >= readableContrast;
}

// Light enough for everything drawn on it by the program or by the scheme:
// fixed black labels and the scheme's own label and button texts on its
// window colour, its text colour on the fixed white paper.
bool isLight(const QPalette& scheme) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        auto colour = [&](QPalette::ColorRole role) { return scheme.color(group, role); };
        const QColor window = colour(QPalette::Window);
        if (!reads(Qt::black, window) || !reads(colour(QPalette::WindowText), window) ||
            !reads(colour(QPalette::ButtonText), colour(QPalette::Button)) ||
            !reads(colour(QPalette::Text), Qt::white))
            return false;
    }
    return true;
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& background, const QColor& preferred) {
    if (reads(preferred, background))
        return preferred;
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

QPalette lightScheme(const QPalette& desktop, const QPalette& styleStandard) {
    if (isLight(desktop))
        return desktop;
    if (isLight(styleStandard))
        return styleStandard;
    // Black on white, with greys for windows, buttons and the shades of frames.
    return QPalette(QColor(Qt::black), QColor(240, 240, 240), QColor(Qt::white),
                    QColor(160, 160, 160), QColor(200, 200, 200), QColor(Qt::black),
                    QColor(Qt::white), QColor(Qt::white), QColor(240, 240, 240));
}

} // namespace tarnwick
