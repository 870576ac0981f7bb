// An empty Qt window the size of the editor's: the start-up floor that Qt
// itself sets on this machine, measured from outside by bench_desktop. With
// the argument "text" the window shows a line of text, so that Qt also
// loads the font database and a font, as any window with words must.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(538, 370);
    if (app.arguments().contains(QStringLiteral("text")))
        new QLabel(QStringLiteral("File Edit Font.... Run Help"), &window);
    window.show();
    return app.exec();
}
