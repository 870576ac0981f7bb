#include "about/AboutTexts.h"

#include "about/version.h"

namespace tarnwick::abouttexts {

QString versionLine(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString buildVersionLine() {
    return versionLine(versionMajor, versionMinor, versionRevision);
}

} // namespace tarnwick::abouttexts
