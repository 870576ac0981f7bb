#include "textarea/CharacterOffsets.h"

#include "textarea/ReadableText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tarnwick {

namespace {

// A mark every so many bytes: a question reads at most this far from one.
constexpr long markSpacing = 16 * 1024;
constexpr long unbounded = std::numeric_limits<long>::max() / 2;

struct Step {
    int bytes = 1;
    int units = 1;
};

Step stepAt(const SplitBytes& b, long i) {
    unsigned char s[4] = {};
    const long n = std::min(4L, b.length - i);
    for (long k = 0; k < n; ++k)
        s[k] = b.at(i + k);
    const int length = utf8SequenceLength(s, n);
    // Beyond the first plane a character is a surrogate pair.
    return length == 0 ? Step{} : Step{length, length == 4 ? 2 : 1};
}

// Moves (position, offset), a character start, on over whole characters
// while neither passes its stop.
void walk(const SplitBytes& b, long& position, long& offset, long stopPosition, long stopOffset) {
    stopPosition = std::min(stopPosition, b.length);
    while (position < stopPosition && offset < stopOffset) {
        // Source text is mostly ASCII: a byte is a unit there, eight at a time.
        const bool first = position < b.beforeLength;
        const unsigned char* p =
            first ? b.before + position : b.after + (position - b.beforeLength);
        const long end = std::min(
            {first ? b.beforeLength : b.length, stopPosition, position + (stopOffset - offset)});
        long k = position;
        for (std::uint64_t eight = 0; k + 8 <= end; k += 8, p += 8) {
            std::memcpy(&eight, p, 8);
            if (eight & 0x8080808080808080ULL)
                break;
        }
        for (; k < end && *p < 0x80; ++k, ++p) {
        }
        offset += k - position;
        position = k;
        if (position >= stopPosition || offset >= stopOffset || b.at(position) < 0x80)
            continue;
        const Step step = stepAt(b, position);
        if (position + step.bytes > stopPosition || offset + step.units > stopOffset)
            return;
        position += step.bytes;
        offset += step.units;
    }
}

} // namespace

void CharacterOffsets::reset() {
    marks_.assign(1, Mark{});
    change_.reset();
}

void CharacterOffsets::extendTo(const SplitBytes& b, long position, long offset) {
    for (Mark m = marks_.back();
         m.position < position && m.offset < offset && m.position < b.length; m = marks_.back()) {
        Mark next = m;
        walk(b, next.position, next.offset, m.position + markSpacing, unbounded);
        if (next.position == m.position) { // a character across the spacing
            const Step step = stepAt(b, m.position);
            next = {m.position + step.bytes, m.offset + step.units};
        }
        marks_.push_back(next);
    }
}

long CharacterOffsets::offsetAt(const SplitBytes& b, long position) {
    position = std::clamp(position, 0L, b.length);
    extendTo(b, position, unbounded);
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), position,
                                        [](long p, const Mark& m) { return p < m.position; });
    Mark m = *std::prev(after);
    walk(b, m.position, m.offset, position, unbounded);
    return m.offset;
}

long CharacterOffsets::positionAt(const SplitBytes& b, long offset) {
    if (offset <= 0)
        return 0;
    extendTo(b, unbounded, offset);
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), offset,
                                        [](long o, const Mark& m) { return o < m.offset; });
    Mark m = *std::prev(after);
    walk(b, m.position, m.offset, b.length, offset);
    return m.position;
}

void CharacterOffsets::beforeChange(const SplitBytes& b, long position, long removed) {
    afterChange(b);
    if (marks_.size() == 1)
        return;
    // A change can join or split UTF-8 sequences around it, but none runs
    // across an ASCII byte: from the one before the change to the one after
    // it, characters may differ; outside, they stay as they are.
    long from = position;
    while (from > 0 && b.at(from - 1) >= 0x80)
        --from;
    if (marks_.back().position <= from)
        return;
    long to = position + removed;
    while (to < b.length && b.at(to) >= 0x80)
        ++to;
    to = std::min(b.length, to + 1);
    if (to > marks_.back().position) {
        marks_.erase(std::upper_bound(marks_.begin(), marks_.end(), from,
                                      [](long p, const Mark& m) { return p < m.position; }),
                     marks_.end());
        return;
    }
    change_ = Change{from, to, offsetAt(b, to) - offsetAt(b, from), b.length};
}

void CharacterOffsets::afterChange(const SplitBytes& b) {
    if (!change_)
        return;
    const Change c = *std::exchange(change_, std::nullopt);
    const long grown = b.length - c.length;
    long position = c.from;
    long units = 0;
    walk(b, position, units, c.to + grown, unbounded);
    const auto firstAfter = [&](long p) {
        return std::upper_bound(marks_.begin(), marks_.end(), p,
                                [](long q, const Mark& m) { return q < m.position; });
    };
    if (position != c.to + grown) { // not a character start after all: forget what follows
        marks_.erase(firstAfter(c.from), marks_.end());
        return;
    }
    const auto dropped = firstAfter(c.from);
    const auto kept = std::lower_bound(dropped, marks_.end(), c.to,
                                       [](const Mark& m, long p) { return m.position < p; });
    for (auto m = kept; m != marks_.end(); ++m)
        *m = {m->position + grown, m->offset + units - c.count};
    marks_.erase(dropped, kept);
}

} // namespace tarnwick
