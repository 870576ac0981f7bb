#pragma once

namespace tarnwick {

// While no assistive technology is listening, text areas are offered to the
// accessibility layer as Qt's plain accessible widget instead of
// QScintilla's own, which counts the characters from the start of the
// document to the caret on every screen update: hundreds of milliseconds
// per keystroke near the end of a 50 MB file. The trade: a screen reader
// that starts after the text area was first asked for sees the plain one.
// Process-wide, so the program installs it once, from main().
void installPlainAccessibleWhileInactive();

} // namespace tarnwick
