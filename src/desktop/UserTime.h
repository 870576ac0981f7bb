#pragma once

#include <QObject>

namespace tarnwick {

// Keeps the time of the user's latest key or mouse button in this
// application, as the X server stamped it: the time a window manager
// compares before it lets a new window take the focus. A menu item or
// shortcut that starts a console runs inside that very event, so its time
// is the time of the action that asked for the console.
class UserTime final : public QObject {
public:
    // Watches every event of the application.
    explicit UserTime(QObject* parent = nullptr);

    // 0 before the first key or button, and where the application does not
    // run on X, whose event times would mean nothing to an X window manager.
    quint32 latest() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    quint32 latest_ = 0;
};

} // namespace tarnwick
