#pragma once

#include "platform/ReadableColours.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

namespace tarnwick::test {

// How readable the text in a region of a picture is: the colour most of the
// region shows is its background, and the pixel that stands out most from it
// is the ink, where the glyphs' strokes cover whole pixels.
struct Legibility {
    QColor background;
    QColor ink;
    double contrast = 1;
    int inkPixels = 0;

    bool readable() const { return inkPixels > 0 && contrast >= readableContrast; }
    QString describe() const {
        return QStringLiteral("ink %1 on %2: %3:1 over %4 pixels")
            .arg(ink.name(), background.name())
            .arg(contrast, 0, 'f', 2)
            .arg(inkPixels);
    }
};

inline Legibility legibilityIn(const QImage& image, const QRect& region) {
    const QRect area = region.intersected(image.rect());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    Legibility seen;
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    seen.background = QColor::fromRgb(background);
    seen.ink = seen.background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.key() == background)
            continue;
        seen.inkPixels += it.value();
        const double contrast = contrastRatio(QColor::fromRgb(it.key()), seen.background);
        if (contrast > seen.contrast)
            seen.contrast = contrast, seen.ink = QColor::fromRgb(it.key());
    }
    return seen;
}

} // namespace tarnwick::test
