#pragma once

#include <QByteArray>
#include <QString>

namespace tarnwick {

// The main window's document and typing state.
struct EditorState {
    bool isSaved = true;
    QString filePath;
    QString fileTitle;
    bool saveCompleted = false;
    int indentLevel = 0;
    int lastKeyCode = 0;
    // Bytes, not a QString: what is cut is pasted back exactly.
    QByteArray clipText;
};

} // namespace tarnwick
