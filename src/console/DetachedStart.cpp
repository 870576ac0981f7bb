#include "console/DetachedStart.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

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
constexpr char tagPid = 'p';    // the program runs, with this process id
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
// says once it runs, watches it for the moment, tells the editor and ends,
// so that the program is left to init.
[[noreturn]] void watch(const char* directory, char* const* argv, char* const* envp, int report,
                        int errors, int momentMs) {
    ::setsid();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &standard, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Closed by a successful execve, or given its errno.
    int exec[2];
    if (::pipe2(exec, O_CLOEXEC) != 0) {
        tell(report, tagExec, errno);
        ::_exit(1);
    }
    const pid_t program = ::fork();
    if (program == 0) {
        ::dup2(errors, STDERR_FILENO);
        if (::chdir(directory) == 0)
            ::execve(argv[0], argv, envp);
        const int failed = errno;
        [[maybe_unused]] const ssize_t written = ::write(exec[1], &failed, sizeof failed);
        ::_exit(127);
    }
    if (program < 0) {
        tell(report, tagExec, errno);
        ::_exit(1);
    }
    ::close(exec[1]);
    int failed = 0;
    ssize_t got;
    while ((got = ::read(exec[0], &failed, sizeof failed)) < 0 && errno == EINTR) {
    }
    if (got == ssize_t(sizeof failed)) {
        tell(report, tagExec, failed);
        ::waitpid(program, nullptr, 0);
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

QByteArray printedIn(int errors) {
    QByteArray printed;
    char buffer[4096];
    for (ssize_t got; (got = ::pread(errors, buffer, sizeof buffer, printed.size())) > 0;)
        printed.append(buffer, got);
    return printed;
}

// Reads one report; false at the end of the pipe.
bool readReport(int fd, Report* r) {
    for (;;) {
        const ssize_t got = ::read(fd, r, sizeof *r);
        if (got == ssize_t(sizeof *r))
            return true;
        if (got == 0 || errno != EINTR)
            return false;
    }
}

// The editor's end of a watch that goes on after the start returned: it
// hears the watcher through the report pipe in the event loop and, once
// the watcher ends, reaps it, closes what it held and goes.
class Watch final : public QObject {
public:
    Watch(QObject* owner, pid_t watcher, int report, int errors,
          std::function<void(const QString&)> failed)
        : QObject(owner), watcher_(watcher), report_(report), errors_(errors),
          failed_(std::move(failed)), notifier_(report, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, &Watch::heard);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    ~Watch() override {
        // The editor goes first: the watcher is no longer wanted, and the
        // program runs on without it.
        if (watcher_ > 0) {
            ::kill(watcher_, SIGKILL);
            reap();
        }
        close();
    }

private:
    void heard() {
        Report r{};
        if (readReport(report_, &r)) {
            if (r.tag == tagStatus)
                status_ = r.value;
            return;
        }
        notifier_.setEnabled(false);
        reap();
        const QByteArray printed = printedIn(errors_);
        close();
        const std::optional<QString> reason = failureReason(status_, printed);
        if (reason && failed_) {
            failed_(*reason);
        } else if (!status_ && !printed.isEmpty()) {
            // Still running: what it said so far goes where it would have gone.
            [[maybe_unused]] const ssize_t written =
                ::write(STDERR_FILENO, printed.constData(), size_t(printed.size()));
        }
        deleteLater();
    }
    void reap() {
        while (::waitpid(watcher_, nullptr, 0) < 0 && errno == EINTR) {
        }
        watcher_ = -1;
    }
    void close() {
        for (int* fd : {&report_, &errors_})
            if (*fd >= 0)
                ::close(*fd), *fd = -1;
    }

    pid_t watcher_;
    int report_, errors_;
    std::function<void(const QString&)> failed_;
    std::optional<int> status_;
    QSocketNotifier notifier_;
};

} // namespace

std::optional<QString> failureReason(std::optional<int> waitStatus, const QByteArray& printed) {
    if (!waitStatus || (WIFEXITED(*waitStatus) && WEXITSTATUS(*waitStatus) == 0))
        return std::nullopt;
    const QString said = QString::fromLocal8Bit(printed).trimmed();
    if (!said.isEmpty())
        return said;
    if (WIFSIGNALED(*waitStatus))
        return QStringLiteral("it was ended by signal %1").arg(WTERMSIG(*waitStatus));
    return QStringLiteral("it ended at once with status %1").arg(WEXITSTATUS(*waitStatus));
}

bool startDetachedWatched(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory, const QProcessEnvironment& environment,
                          int momentMs, QString* error, const LateFailure& failedLate) {
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
    QString reason = QString::fromLocal8Bit(std::strerror(errno));
    ::close(report[1]);
    // Only until the program runs or cannot: the editor never waits for
    // the moment, whose end it hears of later.
    Report r{};
    bool running = false;
    while (watcher > 0 && !running && readReport(report[0], &r)) {
        running = r.tag == tagPid;
        if (r.tag == tagExec)
            reason = QString::fromLocal8Bit(std::strerror(r.value));
    }
    QObject* owner = failedLate.owner ? failedLate.owner : QCoreApplication::instance();
    if (running && owner) {
        // Its parent owns it, and it deletes itself once the watcher ends.
        new Watch(owner, watcher, report[0], errors, failedLate.report);
        return true;
    }
    if (watcher > 0 && !running)
        while (::waitpid(watcher, nullptr, 0) < 0 && errno == EINTR) {
        }
    // In a program without an event loop to hear it, the watcher is left to
    // end alone.
    ::close(report[0]);
    if (errors >= 0)
        ::close(errors);
    if (!running && error)
        *error = reason;
    return running;
}

} // namespace tarnwick
