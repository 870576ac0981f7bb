#pragma once

#include <QSet>

namespace tarnwick {

// Decides which key releases the text area counts as typed: only those that
// end a press the text area received itself, once per press however long the
// key was held. The Enter that confirms a dialog presses in the dialog and
// releases in the text area, and must not indent it.
class TypedKeys {
public:
    void press(int key) { down_.insert(key); }
    // True when the release ends a press seen here. A repeat's release keeps
    // the key down: the real release is still to come.
    bool release(int key, bool autoRepeat) {
        if (autoRepeat)
            return false;
        return down_.remove(key);
    }
    // Focus moved away: the releases of keys held now go elsewhere, and the
    // presses must not count for a release that comes back later.
    void forgetAll() { down_.clear(); }

private:
    QSet<int> down_;
};

} // namespace tarnwick
