#pragma once

#include "platform/CodePage.h"

#include <QString>

namespace tarnwick {

// Document bytes as the characters a screen reader is given: one UTF-16 unit
// for every unit CharacterOffsets counts, character by character as
// Scintilla's caret moves, so that offsets into this text and into the
// document agree. In UTF-8 a byte that starts no
// valid sequence is one U+FFFD, as Scintilla counts it one character; in the
// single-byte code page every byte is its Latin-1 character.
QString readableText(const char* data, qsizetype length, CodePage codePage);

// The length of the valid UTF-8 sequence at s as Scintilla moves over it,
// or 0 when s starts none (that byte is then a character of its own).
int utf8SequenceLength(const unsigned char* s, qsizetype remaining);

} // namespace tarnwick
