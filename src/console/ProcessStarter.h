#pragma once

#include "console/DetachedStart.h"
#include "console/TerminalSearch.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tarnwick {

// What a started console depends on besides its command line.
struct ConsoleSetup {
    QString helperDirectory;  // script runner, clearscr, keypress
    QString workingDirectory; // where the command runs
    QProcessEnvironment environment;
    QString loginShell; // what "command.com" opens
    QList<KnownTerminal> terminals = knownTerminals();
    // The X server time of the user's key or click that asked for the
    // console, 0 when unknown. A window manager that keeps new windows from
    // stealing the focus gives it to the console only with this time.
    quint32 userTime = 0;
    // On Wayland, an xdg-activation token made from that key or click: the
    // compositor's counterpart of the time. Empty when unknown.
    QString activationToken{};
    // Tells the display server, before the terminal starts, that a launch
    // under this startup id answers the user's action at userTime (X11's
    // startup notification); unset where there is nobody to tell.
    std::function<void(const QString& id, const QString& program, quint32 userTime)> announce{};
};

// The editor's own setup: helpers beside its executable, the current
// working folder, its own environment and the user's login shell.
ConsoleSetup defaultConsoleSetup();

// A process ready to start: a terminal running the command, with the
// helper folder at the front of PATH and the startup notification id or
// activation token that carries the user's action.
struct ConsoleLaunch {
    QString program;
    QStringList arguments;
    QString workingDirectory;
    QProcessEnvironment environment;
};

// Decides what starting commandLine means, without starting anything: a
// ".bat" name runs through the script runner, "command.com" opens the
// login shell, anything else is a program with its arguments. None, with
// the reason in error, when the program, the script or a terminal is
// missing. The terminal is looked for in the order terminalsToTry gives for
// the setup's environment.
std::optional<ConsoleLaunch> planConsoleLaunch(const QString& commandLine,
                                               const ConsoleSetup& setup, QString* error);

// The same for a launch script run from a private copy of its bytes: the
// script runner reads the copy, removes it and titles the console with the
// script's name, so the console never reads the name that later commands
// write again. None, with the reason, when the copy, the script runner or
// a terminal is missing.
std::optional<ConsoleLaunch> planScriptLaunch(const QString& scriptName, const QString& copy,
                                              const ConsoleSetup& setup, QString* error);

// Starts a command line in a new terminal window without waiting for it.
// A terminal that ends within a few seconds with a failure is told to
// failedLate.
bool startInTerminal(const QString& commandLine, const ConsoleSetup& setup, QString* error,
                     const LateFailure& failedLate = {});

// Starts a launch script's bytes in a new terminal window through a private
// copy (see scriptfiles::privateCopy), which is removed when no terminal
// starts, at once or late.
bool startScriptInTerminal(const QString& scriptName, const QByteArray& bytes,
                           const ConsoleSetup& setup, QString* error,
                           const LateFailure& failedLate = {});

} // namespace tarnwick
