#include "runner/LaunchScript.h"

#include "platform/CommandLineSplit.h"
#include "runner/RunnerTexts.h"

namespace tarnwick::runner {

QByteArray launchScriptBytes(const QString& commandLine) {
    const QString text =
        QStringLiteral("@echo OFF\r\nclearscr\r\n") + commandLine + QStringLiteral("\r\nkeypress");
    // One byte per character: commandLineProblem() has refused everything
    // outside the code page, so toLatin1 has nothing to replace.
    return text.toLatin1();
}

std::optional<QString> commandLineProblem(const QString& commandLine) {
    using namespace runnertexts;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return lineBreakInCommandText();
        if (c.isNull())
            return nulInCommandText();
        if (c.unicode() > 0xff) {
            // A character beyond the first plane comes as two UTF-16 units;
            // name it whole.
            const char32_t code = c.isHighSurrogate() && i + 1 < commandLine.size() &&
                                          commandLine.at(i + 1).isLowSurrogate()
                                      ? QChar::surrogateToUcs4(c, commandLine.at(i + 1))
                                      : c.unicode();
            return outsideCodePageText(code);
        }
    }
    if (commandLine.size() > longestCommandLine)
        return tooLongCommandText(commandLine.size(), longestCommandLine);
    return std::nullopt;
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

bool makesAnOption(const QString& fileTitle) {
    // Split as the console layer splits, so that quotes cannot hide a word's
    // real first character ("\"-x\".java" starts a word with "-").
    const QStringList words = splitCommandLine(compileCommandLine(fileTitle));
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (word.startsWith(QLatin1Char('-')) || word.startsWith(QLatin1Char('@')))
            return true;
    }
    return false;
}

} // namespace tarnwick::runner
