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

// Whether the file a choice names is the file every command reaches by it.
// Qt spells file names in UTF-8 whatever the locale, while the Run menu
// hands the name to the shell and javac in the code page's bytes: in a
// single-byte locale a name beyond ASCII is one file on disk and another
// for javac. A name Qt could not read at all shows U+FFFD in its place.
bool nameIsExact(const FileChoice& choice, CodePage codePage);

// The full path and bare name of a path, as a file dialog would give them.
FileChoice choiceOf(const QString& path);

// The file a drop from the desktop names: exactly one local file. Several
// files, or anything that is not a local file, name none, and the drop is
// refused: which of several files would be "the" document is anyone's guess.
std::optional<QString> droppedFile(const QList<QUrl>& urls);

} // namespace tarnwick::document
