#include "runner/LaunchScript.h"

#include "console/CommandLineSplit.h"
#include "runner/RunnerTexts.h"

namespace tarnwick::runner {

QByteArray launchScriptBytes(const QString& commandLine, CodePage codePage) {
    // commandLineProblem() has refused everything the code page cannot hold,
    // so the encoding has nothing to replace.
    return QByteArrayLiteral("@echo OFF\r\nclearscr\r\n") + encodeText(commandLine, codePage) +
           QByteArrayLiteral("\r\nkeypress");
}

std::optional<QString> commandLineProblem(const QString& commandLine, CodePage codePage) {
    using namespace runnertexts;
    for (const QChar c : commandLine) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return lineBreakInCommandText();
        if (c.isNull())
            return nulInCommandText();
    }
    if (const std::optional<char32_t> outside = firstUnencodable(commandLine, codePage))
        return outsideCodePageText(*outside);
    const qsizetype bytes = encodeText(commandLine, codePage).size();
    if (bytes > longestCommandLine)
        return tooLongCommandText(bytes, longestCommandLine, codePage == CodePage::Utf8);
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
    // Whole characters, so that letters beyond the first plane count as
    // letters; a lone surrogate becomes U+FFFD, which is none.
    for (const char32_t c : fileTitle.toUcs4()) {
        // No shell gives letters, combining marks or decimal digits of any
        // script a meaning.
        if (QChar::isLetter(c) || QChar::isMark(c) || QChar::isDigit(c) ||
            (c < 0x80 && allowedMarks.contains(QChar(c))))
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
