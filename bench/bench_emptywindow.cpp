// An empty Qt window the size of the editor's: the start-up floor that Qt
// itself sets on this machine, measured from outside by bench_desktop.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(538, 370);
    window.show();
    return app.exec();
}
