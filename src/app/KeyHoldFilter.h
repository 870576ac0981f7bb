#pragma once

#include "app/HeldKeys.h"

#include <QObject>

namespace tarnwick {

// Watches every key of the application, so that a command can tell whether
// the key that triggers it is held down and repeating.
class KeyHoldFilter : public QObject {
    Q_OBJECT

public:
    explicit KeyHoldFilter(QObject* parent = nullptr);

    // Whether the key press being handled now repeats a held key.
    bool repeating() const { return repeating_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HeldKeys held_;
    bool repeating_ = false;
};

} // namespace tarnwick
