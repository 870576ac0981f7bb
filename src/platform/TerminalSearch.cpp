#include "platform/TerminalSearch.h"

namespace tarnwick {

const QList<KnownTerminal>& knownTerminals() {
    // Every option listed takes the rest of the arguments as the command and
    // its arguments, so nothing has to be quoted into one string.
    static const QList<KnownTerminal> terminals{
        {QStringLiteral("x-terminal-emulator"), {QStringLiteral("-e")}},
        {QStringLiteral("gnome-terminal"), {QStringLiteral("--")}},
        {QStringLiteral("konsole"), {QStringLiteral("-e")}},
        {QStringLiteral("xfce4-terminal"), {QStringLiteral("-x")}},
        {QStringLiteral("mate-terminal"), {QStringLiteral("-x")}},
        {QStringLiteral("terminator"), {QStringLiteral("-x")}},
        {QStringLiteral("alacritty"), {QStringLiteral("-e")}},
        {QStringLiteral("kitty"), {}},
        {QStringLiteral("xterm"), {QStringLiteral("-e")}},
    };
    return terminals;
}

std::optional<TerminalInvocation> terminalInvocation(const QStringList& command,
                                                     const QList<KnownTerminal>& terminals,
                                                     const ExecutableLookup& lookup) {
    for (const KnownTerminal& terminal : terminals) {
        const QString program = lookup(terminal.name);
        if (!program.isEmpty())
            return TerminalInvocation{program, terminal.commandOptions + command};
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
