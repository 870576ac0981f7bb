// A file manager's part in a drag: a window titled "drag source" that starts a
// real drag (XDND) of the URL of its argument when the mouse button goes down
// on it, and prints what the target did ("copy", "move" or "ignore").
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class DragSource : public QWidget {
    void mousePressEvent(QMouseEvent*) override {
        const QUrl url(QApplication::arguments().value(1));
        auto* mime = new QMimeData; // the drag's
        mime->setUrls({url});
        mime->setText(url.toString()); // as file managers offer them
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::puts(done == Qt::CopyAction ? "copy" : done ? "move" : "ignore");
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as soon as it is said
    DragSource source;
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(0, 0, 120, 120);
    source.show();
    std::puts("ready");
    return app.exec();
}
