#pragma once

#include <optional>
#include <vector>

namespace tarnwick {

// The document's bytes as Scintilla holds them: two runs on either side of
// its gap, read where they lie, so that reading never moves the gap.
struct SplitBytes {
    const unsigned char* before = nullptr;
    long beforeLength = 0;
    const unsigned char* after = nullptr;
    long length = 0; // of the whole text

    unsigned char at(long i) const {
        return i < beforeLength ? before[i] : after[i - beforeLength];
    }
};

// UTF-8 positions (bytes) turned into the UTF-16 offsets a screen reader
// counts in, with characters as ReadableText decodes them. Counting from the
// start for every question would read the whole document at each keystroke,
// and Scintilla's own line character index reads it all as soon as it is
// made (and counts U+FFFE and U+1FFFF otherwise than its caret does). So the
// offsets are counted only as far as a question reaches, and remembered
// every few kilobytes; an edit recounts only the bytes it touched and moves
// what is remembered after them.
class CharacterOffsets {
public:
    void reset();
    long offsetAt(const SplitBytes& bytes, long position);
    // The position of the character holding `offset`, within the text.
    long positionAt(const SplitBytes& bytes, long offset);
    // Around a change of `removed` bytes at `position` (an insertion removes
    // none): before it, with the bytes as they were, and once it is done.
    void beforeChange(const SplitBytes& bytes, long position, long removed);
    void afterChange(const SplitBytes& bytes);

private:
    struct Mark {
        long position = 0; // where a character starts
        long offset = 0;
    };
    struct Change {
        long from = 0, to = 0; // bytes whose characters the change may alter
        long count = 0;        // their UTF-16 units before it
        long length = 0;       // of the text before it
    };
    // The last mark at or before `position`, counting on as far as needed.
    const Mark& markBefore(const SplitBytes& bytes, long position);
    void extendTo(const SplitBytes& bytes, long position, long offset);

    std::vector<Mark> marks_{Mark{}};
    std::optional<Change> change_;
};

} // namespace tarnwick
