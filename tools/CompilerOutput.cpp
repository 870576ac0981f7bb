#include "CompilerOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tarnwick::batch {

namespace {

// javac says a few kilobytes; a line that says more still shows it all.
constexpr std::size_t keptAtMost = 4 << 20;

bool writeAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t wrote = ::write(fd, data, length);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            return false;
        data += wrote;
        length -= std::size_t(wrote);
    }
    return true;
}

// Passes what is readable now to the console and the kept bytes; false at
// the end of the pipe.
bool pass(int from, std::string& kept) {
    char buffer[65536];
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    if (got == 0)
        return false;
    writeAll(STDERR_FILENO, buffer, std::size_t(got));
    if (kept.size() < keptAtMost)
        kept.append(buffer, std::min(std::size_t(got), keptAtMost - kept.size()));
    return true;
}

} // namespace

int runKeepingErrorOutput(const std::string& command, std::string& kept) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::system(command.c_str());
    struct sigaction ignore {
    }, oldInterrupt{}, oldQuit{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &oldInterrupt);
    ::sigaction(SIGQUIT, &ignore, &oldQuit);

    const pid_t child = ::fork();
    if (child == 0) {
        ::sigaction(SIGINT, &oldInterrupt, nullptr);
        ::sigaction(SIGQUIT, &oldQuit, nullptr);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int status = -1;
    if (child > 0) {
        // Until the pipe ends; a program the line left running in the
        // background may hold it open, so the line's end is also watched.
        bool ended = false;
        while (!ended) {
            pollfd watched{pipeFds[0], POLLIN, 0};
            const int ready = ::poll(&watched, 1, 100);
            if (ready > 0 && !pass(pipeFds[0], kept))
                break;
            if (ready == 0 && ::waitpid(child, &status, WNOHANG) == child) {
                ended = true;
                ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
                for (errno = 0; pass(pipeFds[0], kept) && errno != EAGAIN; errno = 0) {
                }
            }
        }
        if (!ended)
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
    }
    ::close(pipeFds[0]);
    ::sigaction(SIGINT, &oldInterrupt, nullptr);
    ::sigaction(SIGQUIT, &oldQuit, nullptr);
    return status;
}

bool keepPrivately(const std::string& path, const std::string& bytes) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return false;
    const std::string folder = path.substr(0, slash);
    // lstat: a link to another's folder does not pass.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return false;
    std::string temporary = folder + "/.tarnwick-messages.XXXXXX";
    // mkostemp creates it exclusively, mode 600.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes.data(), bytes.size());
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace tarnwick::batch
