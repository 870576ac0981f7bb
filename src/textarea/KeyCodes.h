#pragma once

class QKeyEvent;

namespace tarnwick {

inline constexpr int keyCodeBackspace = 8;
inline constexpr int keyCodeTab = 9;
inline constexpr int keyCodeEnter = 13;

// The code a key release hands to the editing logic: Backspace 8, Return and
// keypad Enter 13, letters and digits their upper-case character code, every
// other key a distinct code of its own.
int releaseKeyCode(const QKeyEvent& event);
// The code of the character a key press types: Tab 9, Enter 13, any other
// character its Unicode code point, 0 when the key types nothing.
int pressCharCode(const QKeyEvent& event);
// Names the physical key, so that a press and its release match even when a
// modifier changed in between: the keyboard's scan code where the platform
// gives one, else Qt's key.
int physicalKey(const QKeyEvent& event);
// An Alt key with a printable character: the menus' business, never text.
bool altTypesNothing(const QKeyEvent& event);

} // namespace tarnwick
