#include "textarea/ReadableText.h"

namespace tarnwick {

namespace {

bool isTrail(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

} // namespace

// Scintilla's rules: no overlong forms, no surrogates, nothing beyond
// U+10FFFF.
int utf8SequenceLength(const unsigned char* s, qsizetype remaining) {
    const unsigned char c = s[0];
    int length = 0;
    if (c >= 0xc2 && c < 0xe0)
        length = 2;
    else if (c >= 0xe0 && c < 0xf0)
        length = 3;
    else if (c >= 0xf0 && c <= 0xf4)
        length = 4;
    if (length == 0 || remaining < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isTrail(s[i]))
            return 0;
    }
    if ((c == 0xe0 && s[1] < 0xa0) || (c == 0xed && s[1] >= 0xa0) || (c == 0xf0 && s[1] < 0x90) ||
        (c == 0xf4 && s[1] >= 0x90))
        return 0;
    // Scintilla moves over the non-characters U+FFFE and U+FFFF of every
    // plane byte by byte, so they are that many characters here too.
    const bool lastTwoOfPlane = s[length - 2] == 0xbf && (s[length - 1] & 0xfe) == 0xbe;
    if (lastTwoOfPlane && ((length == 3 && c == 0xef) || (length == 4 && (s[1] & 0x0f) == 0x0f)))
        return 0;
    return length;
}

QString readableText(const char* data, qsizetype length, CodePage codePage) {
    if (codePage == CodePage::SingleByte)
        return decodeSingleByte(data, length);
    QString text;
    text.reserve(length);
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < length;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            text.append(QChar(c));
            ++i;
            continue;
        }
        const int n = utf8SequenceLength(s + i, length - i);
        if (n == 0) {
            text.append(QChar(QChar::ReplacementCharacter));
            ++i;
            continue;
        }
        char32_t code = c & (0xff >> (n + 1));
        for (int k = 1; k < n; ++k)
            code = (code << 6) | (s[i + k] & 0x3f);
        const char32_t units[1] = {code};
        text.append(QString::fromUcs4(units, 1));
        i += n;
    }
    return text;
}

} // namespace tarnwick
