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
    // One byte per character, in the locale's single-byte character set
    // (useSingleByteCharset); Latin-1 until one is set, and for the C and
    // POSIX locales, whose ASCII gives bytes 128-255 no meaning.
    SingleByte,
};

// The code page for a character set as nl_langinfo(CODESET) names it.
CodePage codePageForCodeset(const char* codeset);
// Takes the program's locale from the environment and gives its code page;
// a single-byte one also becomes the single-byte code page's character set.
CodePage localeCodePage();

// Makes the single-byte code page the character set that nl_langinfo(CODESET)
// names (KOI8-R, ISO-8859-15, CP1251, ...) for the whole program: which
// character each byte shows as, and which byte a typed character becomes.
// ASCII, an empty name or a set the system cannot convert give Latin-1.
void useSingleByteCharset(const char* codeset);
// The single-byte code page's bytes as characters, one for each byte; a
// byte the character set leaves undefined shows as U+FFFD.
QString decodeSingleByte(const char* data, qsizetype length);

// The first character of the text that the code page cannot hold, or none.
// In UTF-8 only a lone surrogate; in the single-byte code page every
// character its character set lacks.
std::optional<char32_t> firstUnencodable(const QString& text, CodePage codePage);
// The text as the code page's bytes. Only for text without unencodable
// characters: nothing is replaced on the way.
QByteArray encodeText(const QString& text, CodePage codePage);

} // namespace tarnwick
