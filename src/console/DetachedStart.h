#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tarnwick {

// Where a started program's late failure goes: report is called in owner's
// thread, from its event loop, and never once owner is gone.
struct LateFailure {
    QObject* owner = nullptr;
    std::function<void(const QString& reason)> report{};
};

// What a watched program's end within the moment means: none when it did
// not fail (it still runs, or ended with status 0 as a terminal does that
// hands its window to a server), else the reason to show: what it wrote on
// standard error, trimmed, or its status when it wrote nothing.
std::optional<QString> failureReason(std::optional<int> waitStatus, const QByteArray& printed);

// Starts program (an absolute path) detached: it is not the editor's child
// and outlives it. Returns as soon as the program runs; false, with the
// reason in error, when it could not be run at all. A watcher process goes
// on watching it for momentMs: when it ends within that time with a failure
// (a terminal that cannot open its window, for want of a display it can
// use or through a broken installation) failedLate hears why, as the user
// would otherwise see nothing at all. What the program writes on standard
// error after the moment is dropped.
bool startDetachedWatched(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory, const QProcessEnvironment& environment,
                          int momentMs, QString* error, const LateFailure& failedLate = {});

} // namespace tarnwick
