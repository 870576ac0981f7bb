#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tarnwick {

// The text of an X startup notification message: kind ("new" or "remove")
// followed by KEY="value" pairs, values quoted with backslash escapes.
QByteArray startupMessage(const QByteArray& kind,
                          const QList<std::pair<QByteArray, QString>>& keys);

// The message with its terminating NUL, cut into the 20-byte pieces of the
// client messages that carry it; the last piece padded with NULs.
QList<QByteArray> startupMessagePieces(const QByteArray& message);

// Sends the message to the root window of the editor's X connection, in the
// pieces above. Does nothing where the editor does not run on X, or the
// build had no X11.
void sendStartupMessage(const QByteArray& message);

// Tells the window manager, over the editor's X connection, that a program
// is being started for the user's action at userTime under the startup id:
// a window manager that keeps windows mapped right after the user's last
// key from taking the focus (openbox) lets the started program's window
// take it when its startup id names a launch at or after that key. The
// sequence is ended after a while for programs that never end it
// themselves. Does nothing where the editor does not run on X.
void announceStartup(const QString& id, const QString& name, quint32 userTime);

} // namespace tarnwick
