#pragma once

#include "platform/CodePage.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick::navigation {

struct SearchOptions {
    bool matchCase = false;
    // Neither side of the match touches a letter, digit or "_".
    bool wholeWord = false;
};

// A found piece of the text, as byte offsets.
struct Match {
    qint64 start = 0;
    qint64 end = 0;
    bool operator==(const Match&) const = default;
};

// What a search looks for, compared with the text's bytes as the code page
// shows them: in UTF-8 character by character, where bytes that form no
// character match nothing; in a single-byte code page byte by byte. Without
// matchCase, characters are compared by their case folding.
class Needle {
public:
    // None for an empty text, or one the code page cannot hold: it occurs
    // nowhere in the text.
    static std::optional<Needle> make(const QString& text, CodePage codePage,
                                      SearchOptions options);

    // The match that starts exactly at `at`, if any.
    std::optional<Match> matchAt(std::string_view text, qint64 at) const;
    // The first match starting at or after `from` (and before `until`).
    std::optional<Match> findForward(std::string_view text, qint64 from, qint64 until = -1) const;
    // The last match ending at or before `before` (starting at or after
    // `from`).
    std::optional<Match> findBackward(std::string_view text, qint64 before, qint64 from = 0) const;
    // Every match from the start, none overlapping the one before.
    QList<Match> findAll(std::string_view text) const;

private:
    Needle() = default;
    // The match at `at`, before the whole-word rule.
    std::optional<qint64> endAt(std::string_view text, qint64 at) const;
    bool wordCharacterBefore(std::string_view text, qint64 at) const;
    bool wordCharacterAt(std::string_view text, qint64 at) const;
    bool accepted(std::string_view text, qint64 at, qint64* end) const;

    CodePage codePage_ = CodePage::Utf8;
    SearchOptions options_;
    std::string bytes_;
    // Without matchCase: the needle's folded characters, and the bytes a
    // match can start with.
    std::vector<char32_t> folded_;
    std::array<bool, 256> starts_{};
    // The single-byte code page's characters, folded.
    std::array<char32_t, 256> byteFolding_{};
};

} // namespace tarnwick::navigation
