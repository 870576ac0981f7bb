#pragma once

#include "platform/PlatformServices.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarnwick {

// The main window's document and typing state.
struct EditorState {
    bool isSaved = true;
    QString filePath;
    QString fileTitle;
    bool saveCompleted = false;
    // The file as the text last matched it, after Open or a save: a save
    // that finds it otherwise asks before it overwrites another program's
    // change.
    std::optional<FileStamp> diskStamp;
    int indentLevel = 0;
    int lastKeyCode = 0;
    // Bytes, not a QString: what is cut is pasted back exactly.
    QByteArray clipText;
};

} // namespace tarnwick
