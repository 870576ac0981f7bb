#include "desktop/StartupNotification.h"

#include <QGuiApplication>
#include <QTimer>

namespace tarnwick {

namespace {

constexpr int pieceSize = 20; // the data of a format-8 client message

} // namespace

QByteArray startupMessage(const QByteArray& kind,
                          const QList<std::pair<QByteArray, QString>>& keys) {
    QByteArray message = kind + ':';
    for (const auto& [key, value] : keys) {
        QByteArray quoted = value.toUtf8();
        quoted.replace('\\', "\\\\").replace('"', "\\\"");
        message += ' ' + key + "=\"" + quoted + '"';
    }
    return message;
}

QList<QByteArray> startupMessagePieces(const QByteArray& message) {
    QByteArray whole = message + '\0';
    whole.append(QByteArray((pieceSize - whole.size() % pieceSize) % pieceSize, '\0'));
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < whole.size(); at += pieceSize)
        pieces.append(whole.mid(at, pieceSize));
    return pieces;
}

void announceStartup(const QString& id, const QString& name, quint32 userTime) {
    sendStartupMessage(startupMessage("new", {{"ID", id},
                                              {"NAME", name},
                                              {"SCREEN", QStringLiteral("0")},
                                              {"TIMESTAMP", QString::number(userTime)}}));
    // GTK and Qt terminals end the sequence when their window shows; xterm
    // and others never do, and the window manager would show the busy
    // pointer until its own time-out.
    QTimer::singleShot(10000, qApp, [id] {
        sendStartupMessage(startupMessage("remove", {{"ID", id}}));
    });
}

} // namespace tarnwick
