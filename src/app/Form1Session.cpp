// The desktop's session: the session manager's question before a logout, and
// the saved state that the rest of the program follows (the logout inhibitor
// and the emergency copy in main()).
#include "app/Form1.h"

#include "app/SessionEnd.h"
#include "textarea/Text1.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace tarnwick {

void Form1::followSessionManager() {
    // Qt asks for a direct connection: the manager is only valid during the
    // call.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &Form1::commitData,
            Qt::DirectConnection);
    // After the connection that marks the text unsaved, so the state is
    // already changed here. Followed once the event is over: New and Open
    // replace the text as a change, and only then mark it saved, which must
    // not reach the desktop as a moment of unsaved text.
    connect(text1_, &Text1::aboutToChange, this, [this] {
        sessionEndAgreed_ = false;
        if (state_.isSaved != lastSaved_)
            QMetaObject::invokeMethod(this, &Form1::followSaved, Qt::QueuedConnection);
    });
}

bool Form1::sessionMayEnd() {
    document::Parts parts = documentParts();
    const bool mayEnd = mayEndSession(parts);
    sessionEndAgreed_ = mayEnd && !state_.isSaved;
    followSaved();
    return mayEnd;
}

void Form1::commitData(QSessionManager& manager) {
    // Saved text needs no turn to ask. Without interaction nothing may be
    // asked; the text stays unsaved, and if the session ends all the same
    // the emergency copy keeps it.
    if (state_.isSaved || !manager.allowsInteraction())
        return;
    // Giving the turn back tells the session manager "go on"; a cancel is
    // carried by the turn's end, which Qt sends once this returns.
    if (sessionMayEnd())
        manager.release();
    else
        manager.cancel();
}

void Form1::followSaved() {
    if (state_.isSaved == lastSaved_)
        return;
    lastSaved_ = state_.isSaved;
    emit savedChanged(lastSaved_);
}

} // namespace tarnwick
