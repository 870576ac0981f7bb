#pragma once

#include <QFont>
#include <QString>

namespace tarnwick {

// The installed family that stands for a font name, or an empty string when
// the name is not available here. "MS Sans Serif" maps to an installed
// sans-serif face, and the classic metric-compatible names to their
// Liberation faces; every other name needs its real family.
QString installedFamilyFor(const QString& name);

// The face the small dialogs were laid out for: "MS Sans Serif" at 8 points.
// Their controls have fixed sizes, so a larger desktop default would cut
// captions and wrapped texts off.
QFont dialogFont();

} // namespace tarnwick
