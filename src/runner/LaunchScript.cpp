#include "runner/LaunchScript.h"

namespace tarnwick::runner {

QByteArray launchScriptBytes(const QString& commandLine) {
    const QString text =
        QStringLiteral("@echo OFF\r\nclearscr\r\n") + commandLine + QStringLiteral("\r\nkeypress");
    // toLatin1 maps every character outside the code page to "?", one byte
    // each, so the length rule (31 plus the command line) always holds.
    return text.toLatin1();
}

QString compileCommandLine(const QString& fileTitle) {
    return QStringLiteral("javac ") + fileTitle;
}

QString executeCommandLine(const QString& className) {
    return QStringLiteral("java ") + className;
}

std::optional<QString> classNameFor(const QString& fileTitle) {
    constexpr qsizetype extensionLength = 5;
    if (fileTitle.size() < extensionLength)
        return std::nullopt;
    return fileTitle.chopped(extensionLength);
}

bool isSafeInCommandLine(const QString& fileTitle) {
    static const QString allowedMarks = QStringLiteral(" ._-+@,=");
    for (const QChar c : fileTitle) {
        if (c.unicode() > 0xff)
            return false;
        // Within Latin-1 the only decimal digits are 0-9.
        if (c.isLetter() || c.isDigit() || allowedMarks.contains(c))
            continue;
        return false;
    }
    return true;
}

} // namespace tarnwick::runner
