// Takes the README's pictures of every window of the real program on a
// private X display with a window manager, as the end-to-end tests run it:
//   tarnwick-screenshots <folder>
// writes main-window.png, font-dialog.png, about-box.png and message-box.png
// into the folder. Built with the end-to-end tests; run through the target
// "screenshots", which writes docs/screenshots.
#include "e2e/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using namespace tarnwick::e2e;

namespace {

const QByteArray hello = "public class Hello {\n"
                         "\tpublic static void main(String[] args) {\n"
                         "\t\tSystem.out.println(\"Hello from Tarnwick\");\n"
                         "\t}\n"
                         "}\n";

// The window with the frame the window manager drew around it.
QRect framed(const Desktop& desktop, const QString& window) {
    QRect rect = desktop.geometry(window);
    QProcess xprop;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    xprop.setProcessEnvironment(env);
    xprop.start(QStringLiteral("xprop"), {"-id", window, "_NET_FRAME_EXTENTS"});
    xprop.waitForFinished();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
            .match(QString::fromLatin1(xprop.readAllStandardOutput()));
    if (m.hasMatch())
        rect.adjust(-m.captured(1).toInt(), -m.captured(3).toInt(), m.captured(2).toInt(),
                    m.captured(4).toInt());
    return rect;
}

// Waits for the window to hold the focus and to be drawn, then saves it.
bool shoot(const Desktop& desktop, const QString& title, const QString& file) {
    if (!desktop.waitForFocus(title)) {
        std::fprintf(stderr, "no window \"%s\"; focus on \"%s\"\n", qPrintable(title),
                     qPrintable(desktop.focusedTitle()));
        return false;
    }
    // The pointer out of the picture.
    desktop.xdotool({QStringLiteral("mousemove"), QStringLiteral("1023"), QStringLiteral("767")});
    QTest::qWait(800);
    const QImage picture = desktop.screen().copy(framed(desktop, desktop.waitForWindow(title)));
    if (picture.isNull() || !picture.save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    Session s;
    s.write(QStringLiteral("Hello.java"), hello);
    if (const QString error = s.start(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (const QString error = s.open(QStringLiteral("Hello.java")); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Desktop& d = *s.desktop;
    const QString main = Session::titleOf(QStringLiteral("Hello.java"));
    bool ok = shoot(d, main, out.filePath(QStringLiteral("main-window.png")));

    d.keys({QStringLiteral("alt+o")});
    ok = shoot(d, QStringLiteral("^Font\\.\\.\\.$"),
               out.filePath(QStringLiteral("font-dialog.png"))) &&
         ok;
    d.keys({QStringLiteral("Escape")});
    d.waitForFocus(main);

    d.keys({QStringLiteral("alt+h"), QStringLiteral("a")});
    ok = shoot(d, QStringLiteral("^About "), out.filePath(QStringLiteral("about-box.png"))) && ok;
    d.keys({QStringLiteral("Escape")});
    d.waitForFocus(main);

    d.keys({QStringLiteral("alt+h"), QStringLiteral("c")});
    ok =
        shoot(d, QStringLiteral("^Conditions$"), out.filePath(QStringLiteral("message-box.png"))) &&
        ok;
    d.keys({QStringLiteral("Return")});

    const QStringList left = d.stop();
    for (const QString& process : left)
        std::fprintf(stderr, "left running: %s\n", qPrintable(process));
    return ok && left.isEmpty() ? 0 : 1;
}
