#pragma once

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace tarnwick::e2e {

// A private X display (Xvfb) with or without a window manager (openbox), the
// editor as built running on it, and the user's hands: real key and mouse
// events through xdotool (XTEST), so focus and key auto-repeat behave as they
// do for a person at the keyboard. Everything started on the display is
// killed when the Desktop goes, consoles and their children included.
class Desktop {
public:
    enum class WindowManager { Openbox, None };

    // Every process on the display runs in the given locale (LC_ALL), the
    // editor included: it decides the editor's code page.
    explicit Desktop(WindowManager wm = WindowManager::Openbox,
                     const QString& locale = QStringLiteral("C.UTF-8"));
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Empty once the display (and window manager) run; else what failed.
    QString startError() const { return startError_; }
    QString display() const { return display_; }

    // Starts build/bin/tarnwick in the folder, with the given variables
    // added to its environment, and waits for its main window.
    bool startEditor(const QString& workingFolder, const QProcessEnvironment& extra = {});
    bool waitForEditorExit(int ms = 10000);
    // Starts another program on this display (stopped with the Desktop).
    QProcess* startProgram(const QString& program, const QStringList& args);
    bool editorRunning() const;

    // xdotool, with its words as arguments; returns its standard output.
    QString xdotool(const QStringList& args) const;
    void keys(const QStringList& names) const;
    void type(const QString& text) const;
    // Holds a key down for the given time, so that it auto-repeats.
    void holdKey(const QString& name, int ms) const;
    void click(QPoint screen, int holdMs = 0) const;

    // Window ids whose title matches the regular expression, on this display.
    QStringList windows(const QString& titlePattern) const;
    // Waits until a window with a matching title exists; returns its id.
    QString waitForWindow(const QString& titlePattern, int ms = 15000) const;
    bool waitForNoWindow(const QString& titlePattern, int ms = 15000) const;
    // Waits until the window holding the keyboard focus has a matching title.
    bool waitForFocus(const QString& titlePattern, int ms = 15000) const;
    QString focusedTitle() const;
    // Waits until a terminal window (xterm) started by the editor has the focus.
    bool waitForTerminalFocus(int ms = 15000) const;
    // The window's client area on the screen.
    QRect geometry(const QString& windowId) const;
    // What the screen shows now, read from Xvfb's frame buffer.
    QImage screen() const;

    // Busy loops on every core, until stopLoad() or the Desktop goes.
    void startLoad(int loops);
    void stopLoad();

    // Processes other than the display server that run on this display.
    QStringList clients() const;
    // Stops everything on the display, then the display; returns the
    // processes that survived ("pid name"), which should be none.
    QStringList stop();
    // Xvfb's windows by WM_CLASS rather than by title.
    QStringList windowsOfClass(const QString& classPattern) const;

private:
    QProcess* startInOwnGroup(const QString& program, const QStringList& args,
                              const QString& folder = {}, const QProcessEnvironment& extra = {});
    void killClients();

    QString locale_;
    QTemporaryDir frameBuffer_;
    QString display_;
    QString startError_;
    std::vector<std::unique_ptr<QProcess>> processes_;
    QProcess* xvfb_ = nullptr;
    QProcess* editor_ = nullptr;
    QList<QProcess*> load_;
    mutable QSet<QChar> mapped_;
};

// The editor's build tree (TARNWICK_BUILD_DIR, set by CTest).
QString buildDir();

} // namespace tarnwick::e2e
