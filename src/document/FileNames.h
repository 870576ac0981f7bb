#pragma once

#include "platform/PlatformServices.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarnwick::document {

// A name saved without any suffix ("Prog") gets ".java", as the dialog's
// filter promises, so that javac takes it and Open lists it. Any dot counts
// as a suffix the user chose: "Prog.txt", "Prog." and ".hidden" stay as typed.
FileChoice withJavaSuffix(const FileChoice& choice);

// The full path and bare name of a path, as a file dialog would give them.
FileChoice choiceOf(const QString& path);

// The file a drop from the desktop names: exactly one local file. Several
// files, or anything that is not a local file, name none, and the drop is
// refused: which of several files would be "the" document is anyone's guess.
std::optional<QString> droppedFile(const QList<QUrl>& urls);

} // namespace tarnwick::document
