#include "navigation/TextSearch.h"

#include <QChar>

#include <cstring>

namespace tarnwick::navigation {

namespace {

constexpr char32_t noCharacter = 0xffffffff;

// One character of UTF-8 at `at` as Scintilla shows it: a valid sequence is
// its code point, any other byte stands alone and is no character.
char32_t decodeUtf8(std::string_view text, qint64 at, int* length) {
    const auto byte = [&](qint64 i) { return static_cast<unsigned char>(text[size_t(i)]); };
    const unsigned char lead = byte(at);
    *length = 1;
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc2 ? 1 : -1;
    if (more < 0 || lead > 0xf4 || at + more >= qint64(text.size()))
        return noCharacter;
    char32_t code = lead & (0x3f >> more);
    for (int i = 1; i <= more; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return noCharacter;
        code = (code << 6) | (byte(at + i) & 0x3f);
    }
    // Overlong forms, surrogates and beyond Unicode are no characters.
    const char32_t least = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
    if (code < least || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
        return noCharacter;
    *length = more + 1;
    return code;
}

bool isWordCharacter(char32_t c) {
    return c != noCharacter && (c == '_' || QChar::isLetterOrNumber(c));
}

} // namespace

std::optional<Needle> Needle::make(const QString& text, CodePage codePage, SearchOptions options) {
    if (text.isEmpty() || firstUnencodable(text, codePage))
        return std::nullopt;
    Needle needle;
    needle.codePage_ = codePage;
    needle.options_ = options;
    needle.bytes_ = encodeText(text, codePage).toStdString();
    if (codePage == CodePage::SingleByte) {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString shown = decodeSingleByte(&byte, 1);
            needle.byteFolding_[size_t(b)] =
                options.matchCase ? char32_t(b)
                : shown.isEmpty() ? char32_t(b)
                                  : QChar::toCaseFolded(char32_t(shown[0].unicode()));
        }
        for (const char byte : needle.bytes_)
            needle.folded_.push_back(needle.byteFolding_[static_cast<unsigned char>(byte)]);
        for (int b = 0; b < 256; ++b)
            needle.starts_[size_t(b)] = needle.byteFolding_[size_t(b)] == needle.folded_[0];
        return needle;
    }
    for (const char32_t c : text.toUcs4())
        needle.folded_.push_back(options.matchCase ? c : QChar::toCaseFolded(c));
    if (options.matchCase) {
        needle.starts_[static_cast<unsigned char>(needle.bytes_[0])] = true;
        return needle;
    }
    // The lead bytes of every character that folds to the first one: "k"
    // is also the Kelvin sign's. A byte that starts nothing is passed over
    // without decoding, which keeps a search through ASCII as quick as a scan.
    for (char32_t c = 0; c <= 0x10ffff; ++c) {
        if ((c < 0xd800 || c > 0xdfff) && QChar::toCaseFolded(c) == needle.folded_[0]) {
            const QByteArray encoded = QString::fromUcs4(&c, 1).toUtf8();
            needle.starts_[static_cast<unsigned char>(encoded[0])] = true;
        }
    }
    return needle;
}

std::optional<qint64> Needle::endAt(std::string_view text, qint64 at) const {
    const qint64 size = qint64(text.size());
    if (options_.matchCase) {
        // Bytes of valid UTF-8 match only whole characters: no character
        // starts with a continuation byte.
        if (size - at < qint64(bytes_.size()) ||
            std::memcmp(text.data() + at, bytes_.data(), bytes_.size()) != 0)
            return std::nullopt;
        return at + qint64(bytes_.size());
    }
    qint64 end = at;
    for (const char32_t wanted : folded_) {
        if (end >= size)
            return std::nullopt;
        if (codePage_ == CodePage::SingleByte) {
            if (byteFolding_[static_cast<unsigned char>(text[size_t(end)])] != wanted)
                return std::nullopt;
            ++end;
            continue;
        }
        int length = 1;
        const char32_t c = decodeUtf8(text, end, &length);
        if (c == noCharacter || QChar::toCaseFolded(c) != wanted)
            return std::nullopt;
        end += length;
    }
    return end;
}

bool Needle::wordCharacterAt(std::string_view text, qint64 at) const {
    if (at >= qint64(text.size()))
        return false;
    if (codePage_ == CodePage::SingleByte) {
        const char byte = text[size_t(at)];
        const QString shown = decodeSingleByte(&byte, 1);
        return !shown.isEmpty() && isWordCharacter(shown[0].unicode());
    }
    int length = 1;
    return isWordCharacter(decodeUtf8(text, at, &length));
}

bool Needle::wordCharacterBefore(std::string_view text, qint64 at) const {
    if (at <= 0)
        return false;
    if (codePage_ == CodePage::SingleByte)
        return wordCharacterAt(text, at - 1);
    // Back to the lead byte of the character that ends at `at`, if one does.
    qint64 lead = at - 1;
    while (lead > 0 && at - lead < 4 &&
           (static_cast<unsigned char>(text[size_t(lead)]) & 0xc0) == 0x80)
        --lead;
    int length = 1;
    const char32_t c = decodeUtf8(text, lead, &length);
    return lead + length == at && isWordCharacter(c);
}

bool Needle::accepted(std::string_view text, qint64 at, qint64* end) const {
    const std::optional<qint64> found = endAt(text, at);
    if (!found)
        return false;
    if (options_.wholeWord && (wordCharacterBefore(text, at) || wordCharacterAt(text, *found)))
        return false;
    *end = *found;
    return true;
}

std::optional<Match> Needle::matchAt(std::string_view text, qint64 at) const {
    qint64 end = 0;
    if (at < 0 || at >= qint64(text.size()) || !accepted(text, at, &end))
        return std::nullopt;
    return Match{at, end};
}

std::optional<Match> Needle::findForward(std::string_view text, qint64 from, qint64 until) const {
    const qint64 size = qint64(text.size());
    const qint64 stop = until < 0 ? size : qMin(until, size);
    // The bytes a match that starts before `stop` can reach.
    const qint64 reach = qMin(size, stop + qint64(bytes_.size()) - 1);
    qint64 end = 0;
    for (qint64 at = qMax<qint64>(from, 0); at < stop; ++at) {
        if (options_.matchCase) {
            // memmem is the C library's fast search; candidates are checked
            // for whole words only.
            const void* hit = at >= reach ? nullptr
                                          : ::memmem(text.data() + at, size_t(reach - at),
                                                     bytes_.data(), bytes_.size());
            if (!hit)
                return std::nullopt;
            at = static_cast<const char*>(hit) - text.data();
        } else if (!starts_[static_cast<unsigned char>(text[size_t(at)])]) {
            continue;
        }
        if (accepted(text, at, &end))
            return Match{at, end};
    }
    return std::nullopt;
}

std::optional<Match> Needle::findBackward(std::string_view text, qint64 before, qint64 from) const {
    qint64 end = 0;
    for (qint64 at = qMin<qint64>(before, qint64(text.size())) - 1; at >= qMax<qint64>(from, 0);
         --at) {
        if (starts_[static_cast<unsigned char>(text[size_t(at)])] && accepted(text, at, &end) &&
            end <= before)
            return Match{at, end};
    }
    return std::nullopt;
}

QList<Match> Needle::findAll(std::string_view text) const {
    QList<Match> matches;
    for (std::optional<Match> found = findForward(text, 0); found;
         found = findForward(text, found->end))
        matches.append(*found);
    return matches;
}

} // namespace tarnwick::navigation
