#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tarnwick {

// How a terminal takes the command it runs after its command options.
enum class CommandForm {
    Arguments, // the program and its arguments as the remaining arguments
    OneString, // one argument that the terminal splits by the shell's quoting rules
};

// The display servers a terminal can open its window on.
enum class WindowSystem {
    Either,      // X11 or Wayland, whichever the session offers
    X11Only,     // needs DISPLAY (on a Wayland session, XWayland's)
    WaylandOnly, // needs WAYLAND_DISPLAY
};

// A terminal program and how to hand it a command and a window title.
struct KnownTerminal {
    QString name;
    QStringList commandOptions;
    CommandForm form = CommandForm::Arguments;
    // "-T" takes the title as the next argument, "--title=" joined to it;
    // empty when the terminal has no option for a plain starting title.
    QString titleOption;
    // Chosen by the system or the user rather than guessed by us: looked for
    // before the desktop's own terminal.
    bool declaredChoice = false;
    WindowSystem opensOn = WindowSystem::Either;
    // Leaves its window open, read-only, once the command has ended: the
    // user closes every console by hand.
    bool keepsWindow = false;
    bool operator==(const KnownTerminal&) const = default;
};

// Every terminal looked for, in the order used when the desktop names none.
const QList<KnownTerminal>& knownTerminals();

// The terminals that come with the desktops named in XDG_CURRENT_DESKTOP
// (a colon-separated list, the most specific first).
QStringList desktopTerminals(const QString& currentDesktop);

// The terminals worth looking for in this environment, in the order to try
// them: the declared choices, then the desktop's own terminals, then the
// rest; only those that can open a window on this session: X-only
// terminals where DISPLAY is set, Wayland-only ones where WAYLAND_DISPLAY is.
QList<KnownTerminal> terminalsToTry(const QList<KnownTerminal>& terminals,
                                    const QProcessEnvironment& environment);

// Words joined into one string that a POSIX shell, and GLib's
// g_shell_parse_argv that GTK terminals use, split back into the same words.
QString shellQuoted(const QStringList& words);

struct TerminalInvocation {
    QString program;
    QStringList arguments;
    bool operator==(const TerminalInvocation&) const = default;
};

// Finds a program by name; the empty string when there is none.
using ExecutableLookup = std::function<QString(const QString& name)>;

// The first terminal that lookup finds, set up to run command (program and
// arguments) in a window with the given title; none when no terminal is
// installed.
std::optional<TerminalInvocation> terminalInvocation(const QStringList& command,
                                                     const QString& title,
                                                     const QList<KnownTerminal>& terminals,
                                                     const ExecutableLookup& lookup);

// "x-terminal-emulator, gnome-terminal, ..." for the message that none was found.
QString terminalNames(const QList<KnownTerminal>& terminals);

} // namespace tarnwick
