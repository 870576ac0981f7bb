#include "platform/CodePage.h"

#include <QHash>

#include <array>
#include <clocale>
#include <cstring>

#include <iconv.h>
#include <langinfo.h>

namespace tarnwick {

namespace {

// The single-byte character set as two tables. Set once at start-up, from
// the locale, before any text is shown.
struct Charset {
    bool latin1 = true; // the tables are not used
    std::array<char16_t, 256> characters{};
    QHash<char16_t, char> bytes;
};

Charset& charset() {
    static Charset current;
    return current;
}

bool isAscii(const char* codeset) {
    for (const char* name : {"ANSI_X3.4-1968", "ASCII", "US-ASCII"}) {
        if (std::strcmp(codeset, name) == 0)
            return true;
    }
    return false;
}

// Each byte on its own through iconv: a single-byte set maps every byte to
// at most one character of the first plane.
std::optional<Charset> tablesFor(const char* codeset) {
    const iconv_t convert = iconv_open("UTF-16LE", codeset);
    if (convert == iconv_t(-1))
        return std::nullopt;
    Charset result;
    result.latin1 = false;
    bool identity = true;
    for (int byte = 0; byte < 256; ++byte) {
        char in = char(byte);
        char out[8];
        char* inAt = &in;
        char* outAt = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        iconv(convert, nullptr, nullptr, nullptr, nullptr);
        const bool one = iconv(convert, &inAt, &inLeft, &outAt, &outLeft) != size_t(-1) &&
                         sizeof out - outLeft == 2;
        const char16_t character = one ? char16_t(uchar(out[0]) | uchar(out[1]) << 8)
                                       : char16_t(QChar::ReplacementCharacter);
        result.characters[size_t(byte)] = character;
        if (one)
            result.bytes.insert(character, char(byte));
        identity = identity && character == byte;
    }
    iconv_close(convert);
    if (identity)
        return Charset{};
    return result;
}

} // namespace

void useSingleByteCharset(const char* codeset) {
    std::optional<Charset> tables;
    if (codeset && *codeset && !isAscii(codeset))
        tables = tablesFor(codeset);
    charset() = tables ? std::move(*tables) : Charset{};
}

QString decodeSingleByte(const char* data, qsizetype length) {
    const Charset& set = charset();
    if (set.latin1)
        return QString::fromLatin1(data, length);
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(set.characters[uchar(data[i])]);
    return text;
}

CodePage codePageForCodeset(const char* codeset) {
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return CodePage::Utf8;
    // The C and POSIX locales name ASCII; their bytes 128-255 mean nothing,
    // and Latin-1 shows each as a character of its own.
    return CodePage::SingleByte;
}

CodePage localeCodePage() {
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    const CodePage codePage = codePageForCodeset(codeset);
    if (codePage == CodePage::SingleByte)
        useSingleByteCharset(codeset);
    return codePage;
}

std::optional<char32_t> firstUnencodable(const QString& text, CodePage codePage) {
    const Charset& set = charset();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (codePage == CodePage::SingleByte)
                return QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return c.unicode();
        if (codePage == CodePage::SingleByte &&
            (set.latin1 ? c.unicode() > 0xff : !set.bytes.contains(c.unicode())))
            return c.unicode();
    }
    return std::nullopt;
}

QByteArray encodeText(const QString& text, CodePage codePage) {
    const Charset& set = charset();
    if (codePage == CodePage::Utf8)
        return text.toUtf8();
    if (set.latin1)
        return text.toLatin1();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = set.bytes.value(text.at(i).unicode(), '?');
    return bytes;
}

} // namespace tarnwick
