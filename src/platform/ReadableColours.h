#pragma once

#include <QColor>
#include <QPalette>

namespace tarnwick {

// Some colours of the program are fixed (the text area's white paper, the
// About box's black labels) and the rest come from the desktop's colour
// scheme, which may be dark. These rules keep the two from meeting.

// Contrast of two colours as the Web Content Accessibility Guidelines define
// it, from 1 (the same) to 21 (black on white), from their relative luminance.
double contrastRatio(const QColor& a, const QColor& b);

// The least contrast at which normal-sized text counts as readable.
inline constexpr double readableContrast = 4.5;

// The preferred colour when it reads on the background, else black or white,
// whichever reads better.
QColor readableOn(const QColor& background, const QColor& preferred);

// The colour scheme for windows and areas that stay light whatever the
// desktop uses: the desktop's own scheme when it is a light one, else the
// style's standard scheme, which is light; should that be dark too, black
// on white.
QPalette lightScheme(const QPalette& desktop, const QPalette& styleStandard);

} // namespace tarnwick
