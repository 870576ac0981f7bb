#include "platform/FontMapping.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace tarnwick {

namespace {

bool isInstalled(const QString& family) {
    return QFontDatabase::hasFamily(family);
}

QString firstInstalled(const QStringList& families) {
    for (const QString& family : families) {
        if (isInstalled(family))
            return family;
    }
    return {};
}

QString sansSerifFace() {
    const QString preferred =
        firstInstalled({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("Noto Sans")});
    if (!preferred.isEmpty())
        return preferred;
    // Whatever fontconfig resolves for the generic family.
    QFont generic(QStringLiteral("Sans Serif"));
    generic.setStyleHint(QFont::SansSerif);
    const QString resolved = QFontInfo(generic).family();
    return isInstalled(resolved) ? resolved : QString();
}

} // namespace

QString installedFamilyFor(const QString& name) {
    if (name == QLatin1String("MS Sans Serif"))
        return isInstalled(name) ? name : sansSerifFace();
    if (isInstalled(name))
        return name;
    if (name == QLatin1String("Arial"))
        return firstInstalled({QStringLiteral("Liberation Sans")});
    if (name == QLatin1String("Times New Roman"))
        return firstInstalled({QStringLiteral("Liberation Serif")});
    if (name == QLatin1String("Courier New") || name == QLatin1String("Courier"))
        return firstInstalled({QStringLiteral("Liberation Mono")});
    return {};
}

QFont dialogFont() {
    QFont face(installedFamilyFor(QStringLiteral("MS Sans Serif")));
    face.setPointSize(8);
    return face;
}

} // namespace tarnwick
