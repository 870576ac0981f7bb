// Files dropped from the desktop: one file opens as with File, Open.
#include "app/Form1.h"

#include "document/DocumentCommands.h"
#include "document/FileNames.h"
#include "textarea/Text1.h"

#include <QDropEvent>
#include <QMimeData>

namespace tarnwick {

void Form1::acceptFileDrops() {
    setAcceptDrops(true);
    // The text area takes drops of text itself, and would insert a dropped
    // file's name as text: file drops are looked at here first.
    text1_->viewport()->installEventFilter(this);
}

bool Form1::fileDragEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData()->hasUrls())
        return false;
    const std::optional<QString> path = document::droppedFile(drop->mimeData()->urls());
    if (!path) {
        // Refused while still dragging, so the pointer says so.
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // After the drop has finished: the question about unsaved text must
        // not keep the file manager's drag waiting.
        QMetaObject::invokeMethod(
            this, [this, file = *path] { openDropped(file); }, Qt::QueuedConnection);
    }
    return true;
}

void Form1::openDropped(const QString& path) {
    document::Parts parts = documentParts();
    document::openDropped(parts, path);
    followSaved();
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!fileDragEvent(event))
        QMainWindow::dragEnterEvent(event);
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    if (!fileDragEvent(event))
        QMainWindow::dragMoveEvent(event);
}

void Form1::dropEvent(QDropEvent* event) {
    if (!fileDragEvent(event))
        QMainWindow::dropEvent(event);
}

} // namespace tarnwick
