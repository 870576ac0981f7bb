// The file-name checks on any title: what they accept gives compile and
// execute command lines whose space-separated words a shell reads as plain
// words and no tool reads as an option.
#include "runner/LaunchScript.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

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
        // javac and java would read such a word as an option or an argument
        // file ("-jar evil.jar x.java" runs "java -jar evil.jar x").
        if (i > 0 &&
            (words[i].startsWith(QLatin1Char('-')) || words[i].startsWith(QLatin1Char('@'))))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnwick::runner;
    const QString title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // Compile and Execute start only what passes both checks.
    if (!isSafeInCommandLine(title) || makesAnOption(title))
        return 0;
    checkWords(compileCommandLine(title));
    if (const auto className = classNameFor(title))
        checkWords(executeCommandLine(*className));
    return 0;
}
