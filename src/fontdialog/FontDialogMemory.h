#pragma once

#include <QObject>

#include <cstdint>

namespace tarnwick {

// What the font dialog remembers of itself between openings (its choices
// proper are kept in FontSettings).
struct FontDialogMemory {
    // List row of the last font name applied without failure.
    std::int16_t lastGoodFontIndex = 0;
};

// Keeps a FontDialogMemory alive as a child of the window that opens the
// dialog, so it lasts from that window's start to its end and no longer.
class FontDialogMemoryHolder : public QObject {
    Q_OBJECT

public:
    explicit FontDialogMemoryHolder(QObject* parent) : QObject(parent) {}
    FontDialogMemory memory;
};

} // namespace tarnwick
