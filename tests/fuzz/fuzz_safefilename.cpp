// The file-name checks on any title: what they accept gives compile and
// execute command lines whose space-separated words a shell reads as plain
// words and no tool reads as an option.
#include "runner/LaunchScript.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

static void checkWords(const QString& commandLine) {
    const QStringList words = commandLine.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i)
        for (const QChar c : words[i])
            // javac and java would read a later word starting with - or @ as
            // an option or an argument file ("java -jar evil.jar x").
            if (c.unicode() < 0x20 || c.unicode() == 0x7f ||
                QStringLiteral("|&;<>()$`\\\"'*?[]{}#~!%").contains(c) ||
                (i > 0 && (words[i].startsWith(u'-') || words[i].startsWith(u'@'))))
                std::abort();
}

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
