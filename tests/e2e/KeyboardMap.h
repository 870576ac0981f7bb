#pragma once

#include <QSet>
#include <QString>

namespace tarnwick::e2e {

// Gives each of the characters a spare keycode of its own in the keyboard
// map of the X display, for good, and notes them in `mapped`. xdotool would
// otherwise map a keycode to each character only for a moment, and a client
// that reads the map after it changed back loses the character. False when
// nothing could be mapped.
bool mapCharacters(const QString& display, const QString& characters, QSet<QChar>& mapped);

// Switches the display's key auto-repeat on or off for every client.
bool setAutoRepeat(const QString& display, bool on);

} // namespace tarnwick::e2e
