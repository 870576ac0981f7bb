// A file manager's part in a drag, for the end-to-end tests: a small window
// titled "drag source" that starts a real drag (XDND) of the URLs given as
// arguments when the mouse button goes down on it, and prints what the
// target did with them ("copy", "move" or "ignore") when the drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("drag source"));
        resize(120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
        // File managers offer the names as text as well.
        mime->setText(urls_.first().toString());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction   ? "copy"
                            : done == Qt::MoveAction ? "move"
                                                     : "ignore");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls << QUrl(QString::fromLocal8Bit(argv[i]));
    if (urls.isEmpty())
        return 2;
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return app.exec();
}
