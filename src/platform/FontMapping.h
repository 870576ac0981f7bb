#pragma once

#include <QString>

namespace tarnwick {

// The installed family that stands for a font name, or an empty string when
// the name is not available here. "MS Sans Serif" maps to an installed
// sans-serif face, and the classic metric-compatible names to their
// Liberation faces; every other name needs its real family.
QString installedFamilyFor(const QString& name);

} // namespace tarnwick
