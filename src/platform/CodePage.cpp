#include "platform/CodePage.h"

#include <clocale>
#include <cstring>

#include <langinfo.h>

namespace tarnwick {

CodePage codePageForCodeset(const char* codeset) {
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return CodePage::Utf8;
    // The C and POSIX locales name ASCII; their bytes 128-255 mean nothing,
    // and Latin-1 shows each as a character of its own.
    return CodePage::SingleByte;
}

CodePage localeCodePage() {
    std::setlocale(LC_ALL, "");
    return codePageForCodeset(nl_langinfo(CODESET));
}

std::optional<char32_t> firstUnencodable(const QString& text, CodePage codePage) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (codePage == CodePage::SingleByte)
                return QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
            continue;
        }
        if (c.isSurrogate() || (codePage == CodePage::SingleByte && c.unicode() > 0xff))
            return c.unicode();
    }
    return std::nullopt;
}

QByteArray encodeText(const QString& text, CodePage codePage) {
    return codePage == CodePage::Utf8 ? text.toUtf8() : text.toLatin1();
}

} // namespace tarnwick
