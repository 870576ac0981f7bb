#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tarnwick {

// Starts program (an absolute path) detached: it is not the editor's child
// and outlives it. A program that ends within momentMs with a failure
// status counts as not started, as a missing one does: error receives what
// it wrote on standard error, trimmed, or its status when it wrote nothing.
// A terminal that cannot open its window (no display it can use, a broken
// installation) ends that way at once, and the user would otherwise see
// nothing at all. What the program writes on standard error after the
// moment is dropped. pid receives the program's process id.
bool startDetachedWatched(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory, const QProcessEnvironment& environment,
                          int momentMs, QString* error, qint64* pid = nullptr);

} // namespace tarnwick
