// The Command Line splitter on any text: it never crashes, no word holds a
// double quote, and the words quoted and joined again split into themselves.
#include "platform/CommandLineSplit.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList words = tarnwick::splitCommandLine(line);

    QString joined;
    for (const QString& word : words) {
        if (word.contains(QLatin1Char('"')))
            std::abort();
        joined += (joined.isEmpty() ? QStringLiteral("\"") : QStringLiteral(" \"")) + word +
                  QLatin1Char('"');
    }
    if (tarnwick::splitCommandLine(joined) != words)
        std::abort();
    // Blanks around the line and between words change nothing.
    if (tarnwick::splitCommandLine(QStringLiteral(" \t") + joined + QStringLiteral("\t ")) != words)
        std::abort();
    return 0;
}
