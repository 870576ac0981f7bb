// The Command Line splitter on any text: it never crashes, no word holds a
// double quote, and the words quoted and joined again, with blanks around
// the line, split into themselves.
#include "console/CommandLineSplit.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList words = tarnwick::splitCommandLine(line);
    QString joined;
    for (const QString& word : words) {
        if (word.contains(u'"'))
            std::abort();
        joined += QStringLiteral(" \"") + word + u'"';
    }
    if (tarnwick::splitCommandLine(joined.mid(1)) != words ||
        tarnwick::splitCommandLine(QStringLiteral(" \t") + joined + QStringLiteral("\t ")) != words)
        std::abort();
    return 0;
}
