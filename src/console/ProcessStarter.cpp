#include "console/ProcessStarter.h"

#include "console/CommandLineSplit.h"
#include "console/DetachedStart.h"
#include "console/HelperLocation.h"
#include "files/ScriptFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace tarnwick {

namespace {

const QString scriptRunner = QStringLiteral("tarnwick-batch");

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// The shell named for this user in the password database, else /bin/sh.
QString userLoginShell() {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_shell && *entry->pw_shell)
        return QString::fromLocal8Bit(entry->pw_shell);
    return QStringLiteral("/bin/sh");
}

bool isRunnable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Finds a program as the started process will: names with a slash relative
// to the working folder, bare names along the given PATH.
QString findProgram(const QString& name, const QString& workingDirectory,
                    const QProcessEnvironment& environment) {
    if (name.contains(QLatin1Char('/'))) {
        const QString path = QDir(workingDirectory).absoluteFilePath(name);
        return isRunnable(path) ? path : QString();
    }
    const QStringList folders =
        environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return QStandardPaths::findExecutable(name, folders);
}

bool endsWithBat(const QString& name) {
    return name.endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive);
}

// What tells the console's window that the user's own action asked for
// it. On X11 the startup notification id: a terminal built on GTK or Qt
// puts the time after "_TIME" on its new window as the user's time, so that
// the window manager lets it take the focus from the editor the user was
// typing in. On Wayland the activation token, in both variables: GTK 4, Qt
// and GLib's launchers read XDG_ACTIVATION_TOKEN, GTK 3 reads the token
// from DESKTOP_STARTUP_ID. An id or token the editor itself was started
// with belongs to its own start and must not reach the console.
void setStartupNotification(QProcessEnvironment& environment, quint32 userTime,
                            const QString& activationToken) {
    environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    if (!activationToken.isEmpty()) {
        environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), activationToken);
        environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), activationToken);
    } else if (userTime != 0) {
        environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"),
                           QStringLiteral("tarnwick-%1-%2_TIME%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(userTime));
    }
}

} // namespace

ConsoleSetup defaultConsoleSetup() {
    ConsoleSetup setup;
    setup.helperDirectory = helperDirectoryFor(QCoreApplication::applicationDirPath());
    setup.workingDirectory = QDir::currentPath();
    setup.environment = QProcessEnvironment::systemEnvironment();
    if (const std::optional<QString> messages =
            scriptfiles::compilerMessagesPath(setup.environment))
        setup.environment.insert(scriptfiles::compilerMessagesVariable, *messages);
    setup.loginShell = userLoginShell();
    return setup;
}

namespace {

// The launch without its program yet: where and with what it runs.
ConsoleLaunch launchBase(const ConsoleSetup& setup) {
    ConsoleLaunch launch;
    launch.workingDirectory = setup.workingDirectory;
    launch.environment = setup.environment;
    // Scripts call clearscr and keypress by bare name, so the helpers come
    // before anything else of the same name.
    const QString path = setup.environment.value(QStringLiteral("PATH"));
    launch.environment.insert(QStringLiteral("PATH"),
                              path.isEmpty() ? setup.helperDirectory
                                             : setup.helperDirectory + QLatin1Char(':') + path);
    return launch;
}

// The script runner, or none with the reason.
std::optional<QString> scriptRunnerIn(const ConsoleSetup& setup, QString* error) {
    const QString runner = QDir(setup.helperDirectory).filePath(scriptRunner);
    if (!isRunnable(runner)) {
        setError(error, QStringLiteral("The script runner %1 was not found").arg(runner));
        return std::nullopt;
    }
    return runner;
}

// The launch with a terminal running command under title.
std::optional<ConsoleLaunch> inTerminal(ConsoleLaunch launch, const QStringList& command,
                                        const QString& title, const ConsoleSetup& setup,
                                        QString* error) {
    const QList<KnownTerminal> usable = terminalsToTry(setup.terminals, setup.environment);
    const std::optional<TerminalInvocation> terminal =
        terminalInvocation(command, title, usable, [&](const QString& terminalName) {
            return findProgram(terminalName, setup.workingDirectory, launch.environment);
        });
    if (!terminal) {
        setError(error, QStringLiteral("No terminal program that can open a window here was found "
                                       "(looked for %1)")
                            .arg(terminalNames(usable)));
        return std::nullopt;
    }
    launch.program = terminal->program;
    launch.arguments = terminal->arguments;
    setStartupNotification(launch.environment, setup.userTime, setup.activationToken);
    return launch;
}

bool startLaunch(const ConsoleLaunch& launch, const ConsoleSetup& setup, QString* error,
                 const LateFailure& failedLate) {
    // The id in the environment alone is not enough for every window
    // manager: openbox believes a launch time only from the announcement.
    if (const QString id = launch.environment.value(QStringLiteral("DESKTOP_STARTUP_ID"));
        !id.isEmpty() && setup.activationToken.isEmpty() && setup.announce)
        setup.announce(id, QFileInfo(launch.program).fileName(), setup.userTime);
    // Detached: the editor never waits for a console, and a console outlives
    // the editor that started it. The watch goes on without the editor
    // waiting for it: a terminal fails only once it has reached its display
    // server or loaded its plugins, which takes xterm, GTK and Qt ones a few
    // tens of milliseconds but was seen to take konsole, missing a platform
    // plugin, and foot on KWin nearly half a second on a loaded machine.
    // Three seconds leave room for that; a terminal that stays as long has
    // opened its window.
    constexpr int momentMs = 3000;
    return startDetachedWatched(launch.program, launch.arguments, launch.workingDirectory,
                                launch.environment, momentMs, error, failedLate);
}

} // namespace

std::optional<ConsoleLaunch> planConsoleLaunch(const QString& commandLine,
                                               const ConsoleSetup& setup, QString* error) {
    const ConsoleLaunch launch = launchBase(setup);
    QStringList command = splitCommandLine(commandLine);
    if (command.isEmpty()) {
        setError(error, QStringLiteral("The command line is empty"));
        return std::nullopt;
    }
    const QString name = command.first();
    // What runs, as the console's title; the script runner names a script's
    // commands itself once it has read them.
    QString title = command.join(QLatin1Char(' '));
    if (endsWithBat(name)) {
        const std::optional<QString> runner = scriptRunnerIn(setup, error);
        if (!runner)
            return std::nullopt;
        if (!QFileInfo(QDir(setup.workingDirectory).filePath(name)).isFile()) {
            setError(error, QStringLiteral("There is no script %1 in %2")
                                .arg(name, QDir::toNativeSeparators(setup.workingDirectory)));
            return std::nullopt;
        }
        command.prepend(*runner);
        title = name;
    } else if (name.compare(QStringLiteral("command.com"), Qt::CaseInsensitive) == 0) {
        command.first() = setup.loginShell;
        title = setup.loginShell;
    } else if (findProgram(name, setup.workingDirectory, launch.environment).isEmpty()) {
        // Checked here because the terminal would show the failure for an
        // instant and close.
        setError(error, QStringLiteral("No program named %1 was found").arg(name));
        return std::nullopt;
    }
    return inTerminal(launch, command, title, setup, error);
}

std::optional<ConsoleLaunch> planScriptLaunch(const QString& scriptName, const QString& copy,
                                              const ConsoleSetup& setup, QString* error) {
    const std::optional<QString> runner = scriptRunnerIn(setup, error);
    if (!runner)
        return std::nullopt;
    if (!QFileInfo(copy).isFile()) {
        setError(error, QStringLiteral("There is no copy %1 of the script").arg(copy));
        return std::nullopt;
    }
    return inTerminal(launchBase(setup), {*runner, QStringLiteral("--copy"), copy, scriptName},
                      scriptName, setup, error);
}

bool startInTerminal(const QString& commandLine, const ConsoleSetup& setup, QString* error,
                     const LateFailure& failedLate) {
    const std::optional<ConsoleLaunch> launch = planConsoleLaunch(commandLine, setup, error);
    return launch && startLaunch(*launch, setup, error, failedLate);
}

namespace {

LateFailure removingCopy(const QString& copy, const LateFailure& failedLate) {
    return {failedLate.owner, [copy, report = failedLate.report](const QString& reason) {
                // A terminal that failed never ran the script runner, which
                // would have removed it; the name is the start's own.
                QFile::remove(copy);
                if (report)
                    report(reason);
            }};
}

} // namespace

bool startScriptInTerminal(const QString& scriptName, const QByteArray& bytes,
                           const ConsoleSetup& setup, QString* error,
                           const LateFailure& failedLate) {
    const std::optional<QString> copy =
        scriptfiles::privateCopy(scriptName, bytes, setup.environment, error);
    if (!copy)
        return false;
    const std::optional<ConsoleLaunch> launch = planScriptLaunch(scriptName, *copy, setup, error);
    if (launch && startLaunch(*launch, setup, error, removingCopy(*copy, failedLate)))
        return true;
    // Nobody else will ever read it.
    QFile::remove(*copy);
    return false;
}

} // namespace tarnwick
