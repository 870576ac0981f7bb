#pragma once

#include <QList>

namespace tarnwick {

// Asks the X server to send one release for a held key, after its repeated
// presses, instead of a release/press pair for every repeat. Qt tells the
// pairs apart only by looking ahead in its event queue, a guess that misses
// on a loaded machine; the server knows for certain. Does nothing and returns
// false where the application does not run on X or the server refuses.
bool askForDetectableAutoRepeat();

// The keys held down at this moment, as the native scan codes of key events.
// Empty where the application does not run on X; elsewhere Qt marks repeats.
QList<quint32> keysDownNow();

} // namespace tarnwick
