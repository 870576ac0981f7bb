#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarnwick {

// The character set in which the text's bytes are shown and typed
// characters become bytes. The bytes themselves are never converted.
enum class CodePage {
    // A character is one to four bytes; bytes that form no character are
    // kept and shown as such.
    Utf8,
    // One byte per character, bytes 128-255 shown as Latin-1.
    SingleByte,
};

// The code page for a character set as nl_langinfo(CODESET) names it.
CodePage codePageForCodeset(const char* codeset);
// Takes the program's locale from the environment and gives its code page.
CodePage localeCodePage();

// The first character of the text that the code page cannot hold, or none.
// In UTF-8 only a lone surrogate; in the single-byte code page everything
// beyond U+00FF.
std::optional<char32_t> firstUnencodable(const QString& text, CodePage codePage);
// The text as the code page's bytes. Only for text without unencodable
// characters: nothing is replaced on the way.
QByteArray encodeText(const QString& text, CodePage codePage);

} // namespace tarnwick
