#pragma once

#include <QHash>
#include <QList>

namespace tarnwick {

// Tells a key's first press from the presses that repeat it while it is
// held. On X the server marks no repeats: it sends one release at the end
// (asked for at start-up), so a press of a key that is still down repeats
// it. Keys found down when the application gets the keyboard back (a
// console that took it has closed) are held since earlier: their next
// presses repeat too, and every other key is up: its release may have gone
// to the console, or been dropped behind a modal dialog.
class HeldKeys {
public:
    // True when the press repeats a key that is down. One press may be seen
    // more than once (as a shortcut, then as a key, by each widget it
    // reaches), always with the same time.
    bool press(quint32 key, quint64 time, bool autoRepeat) {
        const auto found = down_.constFind(key);
        if (autoRepeat || (found != down_.constEnd() && *found != time))
            return true;
        down_.insert(key, time);
        return false;
    }
    void release(quint32 key, bool autoRepeat) {
        if (!autoRepeat)
            down_.remove(key);
    }
    void heldSince(const QList<quint32>& keys) {
        down_.clear();
        for (const quint32 key : keys)
            down_.insert(key, earlier);
    }

private:
    static constexpr quint64 earlier = ~quint64(0);
    QHash<quint32, quint64> down_; // the time of each key's first press
};

} // namespace tarnwick
