#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tarnwick {

// A terminal program and the options that make it run a command given as
// the remaining arguments.
struct KnownTerminal {
    QString name;
    QStringList commandOptions;
    bool operator==(const KnownTerminal&) const = default;
};

// The desktop's chosen terminal (x-terminal-emulator) first, then common
// terminals, each with its own way to pass a command.
const QList<KnownTerminal>& knownTerminals();

struct TerminalInvocation {
    QString program;
    QStringList arguments;
    bool operator==(const TerminalInvocation&) const = default;
};

// Finds a program by name; the empty string when there is none.
using ExecutableLookup = std::function<QString(const QString& name)>;

// The first terminal that lookup finds, set up to run command (program and
// arguments); none when no terminal is installed.
std::optional<TerminalInvocation> terminalInvocation(const QStringList& command,
                                                     const QList<KnownTerminal>& terminals,
                                                     const ExecutableLookup& lookup);

// "x-terminal-emulator, gnome-terminal, ..." for the message that none was found.
QString terminalNames(const QList<KnownTerminal>& terminals);

} // namespace tarnwick
