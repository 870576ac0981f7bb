#include "console/TerminalSearch.h"

#include <QRegularExpression>

namespace tarnwick {

namespace {

KnownTerminal declared(const QString& name, const QStringList& options, const QString& title) {
    return {name, options, CommandForm::Arguments, title, true};
}

KnownTerminal arguments(const QString& name, const QStringList& options, const QString& title,
                        WindowSystem opensOn = WindowSystem::Either) {
    return {name, options, CommandForm::Arguments, title, false, opensOn};
}

KnownTerminal oneString(const QString& name, const QString& option, const QString& title) {
    return {name, {option}, CommandForm::OneString, title};
}

} // namespace

const QList<KnownTerminal>& knownTerminals() {
    // Each entry follows the terminal's own command line as its version in
    // current distributions parses it; each was tried with arguments that
    // hold blanks, quotes and shell characters. Where a terminal has a
    // title option that stops programs from setting their own (terminator,
    // lxterminal, xfce4-terminal), none is passed: the script runner names the console itself.
    // Where each can open its window, from its documentation and Debian 12's
    // build: the GTK 3 and 4 terminals (GNOME Terminal, Console, Ptyxis,
    // Xfce's, MATE's, LXTerminal, Tilix, Terminator, Sakura), the Qt ones
    // (Konsole, QTerminal), Terminology (EFL, built with its Wayland
    // engine), Alacritty (winit), kitty (GLFW) and WezTerm open theirs on
    // either, the toolkit choosing Wayland where WAYLAND_DISPLAY is set;
    // foot is "a Wayland terminal emulator" and nothing else; xterm and
    // urxvt are X clients (Xt, Xlib) that end at once without DISPLAY. The
    // declared choices may name any of them, and are left to try.
    static const QList<KnownTerminal> terminals{
        // Debian's alternative, set by the administrator; its policy makes
        // every provider take -e and -T.
        declared(QStringLiteral("x-terminal-emulator"), {QStringLiteral("-e")},
                 QStringLiteral("-T")),
        // The user's choice per desktop, where the convention is installed.
        declared(QStringLiteral("xdg-terminal-exec"), {}, {}),
        // Desktop terminals first: installed alone they usually mean that
        // desktop. xterm comes last, as the terminal found everywhere.
        arguments(QStringLiteral("gnome-terminal"), {QStringLiteral("--")}, QStringLiteral("-t")),
        arguments(QStringLiteral("konsole"), {QStringLiteral("-e")}, {}),
        // Its -T title would stay fixed, and its initial title is kept in
        // front of the runner's.
        arguments(QStringLiteral("xfce4-terminal"), {QStringLiteral("-x")}, {}),
        arguments(QStringLiteral("mate-terminal"), {QStringLiteral("-x")}, QStringLiteral("-t")),
        // lxterminal takes several words after -e too, but splits a single
        // one at its blanks; the quoted string means the same either way.
        // Its -t title would stay fixed, hiding the runner's.
        oneString(QStringLiteral("lxterminal"), QStringLiteral("-e"), {}),
        // qterminal's -e takes the remaining words; it would split a lone
        // word with its own rules, which do not know the shell's quoting.
        arguments(QStringLiteral("qterminal"), {QStringLiteral("-e")}, {}),
        // GNOME Console runs on X11 too, but up to version 43 at least it
        // shows "Command exited" and keeps the window when the command
        // ends, and its -T shows no title before a program sets one.
        {QStringLiteral("kgx"),
         {QStringLiteral("--")},
         CommandForm::Arguments,
         QStringLiteral("-T"),
         false,
         WindowSystem::Either,
         true},
        arguments(QStringLiteral("ptyxis"), {QStringLiteral("--new-window"), QStringLiteral("--")},
                  {}),
        oneString(QStringLiteral("tilix"), QStringLiteral("-e"), QStringLiteral("-t")),
        arguments(QStringLiteral("terminator"), {QStringLiteral("-x")}, {}),
        oneString(QStringLiteral("sakura"), QStringLiteral("-x"), {}),
        oneString(QStringLiteral("terminology"), QStringLiteral("-e"), QStringLiteral("--title=")),
        arguments(QStringLiteral("alacritty"), {QStringLiteral("-e")}, QStringLiteral("-T")),
        arguments(QStringLiteral("kitty"), {}, QStringLiteral("-T")),
        arguments(QStringLiteral("wezterm"), {QStringLiteral("start"), QStringLiteral("--")}, {}),
        arguments(QStringLiteral("foot"), {}, QStringLiteral("-T"), WindowSystem::WaylandOnly),
        arguments(QStringLiteral("urxvt"), {QStringLiteral("-e")}, QStringLiteral("-T"),
                  WindowSystem::X11Only),
        arguments(QStringLiteral("xterm"), {QStringLiteral("-e")}, QStringLiteral("-T"),
                  WindowSystem::X11Only),
    };
    return terminals;
}

QStringList desktopTerminals(const QString& currentDesktop) {
    // The newest default first: a system that has GNOME's older terminal
    // beside a newer one got the newer one with a later release. GNOME
    // Console comes after GNOME Terminal all the same, as its consoles stay
    // open after their command.
    static const QList<std::pair<QString, QStringList>> desktops{
        {QStringLiteral("GNOME"),
         {QStringLiteral("ptyxis"), QStringLiteral("gnome-terminal"), QStringLiteral("kgx")}},
        {QStringLiteral("X-Cinnamon"), {QStringLiteral("gnome-terminal")}},
        {QStringLiteral("KDE"), {QStringLiteral("konsole")}},
        {QStringLiteral("XFCE"), {QStringLiteral("xfce4-terminal")}},
        {QStringLiteral("MATE"), {QStringLiteral("mate-terminal")}},
        {QStringLiteral("LXQt"), {QStringLiteral("qterminal")}},
        {QStringLiteral("LXDE"), {QStringLiteral("lxterminal")}},
    };
    QStringList names;
    for (const QString& desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const auto& [known, terminals] : desktops) {
            if (desktop.compare(known, Qt::CaseInsensitive) != 0)
                continue;
            for (const QString& terminal : terminals) {
                if (!names.contains(terminal))
                    names.append(terminal);
            }
        }
    }
    return names;
}

QList<KnownTerminal> terminalsToTry(const QList<KnownTerminal>& terminals,
                                    const QProcessEnvironment& environment) {
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    QList<KnownTerminal> usable;
    for (const KnownTerminal& terminal : terminals) {
        if ((terminal.opensOn != WindowSystem::X11Only || x11) &&
            (terminal.opensOn != WindowSystem::WaylandOnly || wayland))
            usable.append(terminal);
    }
    QList<KnownTerminal> ordered;
    for (const KnownTerminal& terminal : std::as_const(usable)) {
        if (terminal.declaredChoice)
            ordered.append(terminal);
    }
    for (const QString& name :
         desktopTerminals(environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")))) {
        for (const KnownTerminal& terminal : std::as_const(usable)) {
            if (terminal.name == name && !terminal.declaredChoice)
                ordered.append(terminal);
        }
    }
    for (const KnownTerminal& terminal : std::as_const(usable)) {
        if (!ordered.contains(terminal))
            ordered.append(terminal);
    }
    return ordered;
}

QString shellQuoted(const QStringList& words) {
    // Single quotes keep everything literally; a quote itself ends the
    // quoted part, is escaped, and a new quoted part begins.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    QStringList quoted;
    for (const QString& word : words) {
        if (plain.match(word).hasMatch())
            quoted.append(word);
        else
            quoted.append(QLatin1Char('\'') +
                          QString(word).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                          QLatin1Char('\''));
    }
    return quoted.join(QLatin1Char(' '));
}

std::optional<TerminalInvocation> terminalInvocation(const QStringList& command,
                                                     const QString& title,
                                                     const QList<KnownTerminal>& terminals,
                                                     const ExecutableLookup& lookup) {
    for (const KnownTerminal& terminal : terminals) {
        const QString program = lookup(terminal.name);
        if (program.isEmpty())
            continue;
        QStringList arguments;
        // Before the command options: xterm and others take everything after
        // -e as the command.
        if (!title.isEmpty() && terminal.titleOption.endsWith(QLatin1Char('=')))
            arguments << terminal.titleOption + title;
        else if (!title.isEmpty() && !terminal.titleOption.isEmpty())
            arguments << terminal.titleOption << title;
        arguments << terminal.commandOptions;
        if (terminal.form == CommandForm::OneString)
            arguments << shellQuoted(command);
        else
            arguments << command;
        return TerminalInvocation{program, arguments};
    }
    return std::nullopt;
}

QString terminalNames(const QList<KnownTerminal>& terminals) {
    QStringList names;
    for (const KnownTerminal& terminal : terminals)
        names.append(terminal.name);
    return names.join(QStringLiteral(", "));
}

} // namespace tarnwick
