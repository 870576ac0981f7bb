// The file-name check on any title: what it accepts gives compile and execute
// command lines whose space-separated words a shell reads as plain words.
#include "runner/LaunchScript.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

// Flip once the check refuses a title in which a space-separated word starts
// with "-" or "@" ("-jar evil.jar x.java" runs "java -jar evil.jar x").
constexpr bool optionWordsRefused = false;

bool readPlainByShell(const QString& word) {
    static const QString special = QStringLiteral("|&;<>()$`\\\"'*?[]{}#~!%\t\n\r");
    for (const QChar c : word) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || special.contains(c))
            return false;
    }
    return true;
}

void checkWords(const QString& commandLine) {
    const QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (!readPlainByShell(words[i]))
            std::abort();
        if (optionWordsRefused && i > 0 &&
            (words[i].startsWith(QLatin1Char('-')) || words[i].startsWith(QLatin1Char('@'))))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnwick::runner;
    const QString title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!isSafeInCommandLine(title))
        return 0;
    checkWords(compileCommandLine(title));
    if (const auto className = classNameFor(title))
        checkWords(executeCommandLine(*className));
    return 0;
}
