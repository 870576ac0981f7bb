#include "console/DetachedStart.h"

#include <QByteArrayList>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick {

namespace {

// What the watcher process tells the editor, each a tag and an int.
constexpr char tagPid = 'p';    // the program's process id
constexpr char tagExec = 'x';   // execve or chdir failed with this errno
constexpr char tagStatus = 'e'; // the program ended within the moment: its wait status

struct Report {
    char tag;
    int value;
};

void tell(int fd, char tag, int value) {
    const Report report{tag, value};
    [[maybe_unused]] const ssize_t written = ::write(fd, &report, sizeof report);
}

long long nowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// Bytes that stay alive for execve, and the pointer arrays into them. Made
// before fork: the child of a program with threads may call only
// async-signal-safe functions.
struct CStrings {
    QByteArrayList bytes;
    std::vector<char*> pointers;
    explicit CStrings(QByteArrayList list) : bytes(std::move(list)) {
        for (QByteArray& b : bytes)
            pointers.push_back(b.data());
        pointers.push_back(nullptr);
    }
};

// Runs in the forked watcher: starts the program in a session of its own,
// waits for the moment, tells the editor and ends, so that the program is
// left to init.
[[noreturn]] void watch(const char* directory, char* const* argv, char* const* envp, int report,
                        int errors, int momentMs) {
    ::setsid();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &standard, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const pid_t program = ::fork();
    if (program == 0) {
        ::dup2(errors, STDERR_FILENO);
        if (::chdir(directory) == 0)
            ::execve(argv[0], argv, envp);
        tell(report, tagExec, errno);
        ::_exit(127);
    }
    if (program < 0) {
        tell(report, tagExec, errno);
        ::_exit(1);
    }
    tell(report, tagPid, program);
    for (const long long end = nowMs() + momentMs; nowMs() < end; ::poll(nullptr, 0, 10)) {
        int status = 0;
        if (::waitpid(program, &status, WNOHANG) == program) {
            tell(report, tagStatus, status);
            break;
        }
    }
    ::_exit(0);
}

QString failure(int status) {
    if (WIFSIGNALED(status))
        return QStringLiteral("it was ended by signal %1").arg(WTERMSIG(status));
    return QStringLiteral("it ended at once with status %1").arg(WEXITSTATUS(status));
}

} // namespace

bool startDetachedWatched(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory, const QProcessEnvironment& environment,
                          int momentMs, QString* error, qint64* pid) {
    QByteArrayList argv{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argv << QFile::encodeName(argument);
    QByteArrayList envp;
    for (const QString& variable : environment.toStringList())
        envp << variable.toLocal8Bit();
    CStrings args(argv), env(envp);
    const QByteArray directory = QFile::encodeName(workingDirectory);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // A file in memory rather than a pipe: a program still running after
    // the moment must never meet a pipe whose reader has gone.
    const int errors = ::memfd_create("tarnwick-stderr", MFD_CLOEXEC);
    const pid_t watcher = errors < 0 ? -1 : ::fork();
    if (watcher == 0) {
        ::close(report[0]);
        watch(directory.constData(), args.pointers.data(), env.pointers.data(), report[1], errors,
              momentMs);
    }
    const int forkError = errno;
    ::close(report[1]);
    QList<Report> reports;
    for (Report r{}; watcher > 0;) {
        const ssize_t got = ::read(report[0], &r, sizeof r);
        if (got == ssize_t(sizeof r))
            reports << r;
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(report[0]);
    while (watcher > 0 && ::waitpid(watcher, nullptr, 0) < 0 && errno == EINTR) {
    }
    QByteArray printed;
    if (errors >= 0) {
        char buffer[4096];
        for (ssize_t got; (got = ::pread(errors, buffer, sizeof buffer, printed.size())) > 0;)
            printed.append(buffer, got);
        ::close(errors);
    }
    QString reason = watcher < 0 ? QString::fromLocal8Bit(std::strerror(forkError)) : QString();
    bool started = watcher > 0;
    for (const Report& r : std::as_const(reports)) {
        if (r.tag == tagPid && pid)
            *pid = r.value;
        else if (r.tag == tagExec)
            reason = QString::fromLocal8Bit(std::strerror(r.value)), started = false;
        else if (r.tag == tagStatus && (!WIFEXITED(r.value) || WEXITSTATUS(r.value) != 0))
            started = false;
    }
    if (!started && reason.isEmpty()) {
        reason = QString::fromLocal8Bit(printed).trimmed();
        if (reason.isEmpty())
            reason = failure(reports.isEmpty() ? 0 : reports.last().value);
    } else if (started && !printed.isEmpty()) {
        // Still running: what it said so far goes where it would have gone.
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, printed.constData(), size_t(printed.size()));
    }
    if (!started && error)
        *error = reason;
    return started;
}

} // namespace tarnwick
