// A file manager's part in a drag: a window titled "drag source" that starts a
// real drag (XDND) of the URLs of its arguments when the mouse button goes
// down on it, and prints what the target did ("copy", "move" or "ignore").
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class DragSource : public QWidget {
public:
    QList<QUrl> urls;

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        mime->setText(urls.first().toString()); // as file managers offer them
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction ? "copy" : done ? "move" : "ignore");
        std::fflush(stdout);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    DragSource source;
    for (int i = 1; i < argc; ++i)
        source.urls << QUrl(QString::fromLocal8Bit(argv[i]));
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(0, 0, 120, 120);
    source.show();
    std::printf("ready\n");
    std::fflush(stdout);
    return source.urls.isEmpty() ? 2 : app.exec();
}
