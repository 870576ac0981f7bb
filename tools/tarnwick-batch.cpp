// Runs a launch script the way the editor's scripts expect a command
// interpreter to: line by line, in the working folder, whatever each line
// returns. BatchScript decides what each line does; this file only runs it.
//
// Usage: tarnwick-batch SCRIPT
//        tarnwick-batch --copy COPY NAME   (a private copy of NAME's bytes,
//                                           removed once read)
#include "BatchScript.h"
#include "CompilerOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string workingFolder() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The whole script, or an error number. Only a regular file is read, and
// opening cannot block on a FIFO put in its place; a private copy is never
// read through a link.
int readScript(const tarnwick::batch::Invocation& invocation, std::string& bytes) {
    const int fd =
        ::open(invocation.file.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC |
                                            (invocation.removeAfterReading ? O_NOFOLLOW : 0));
    if (fd < 0)
        return errno;
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
    char buffer[65536];
    while (error == 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = errno;
        if (got <= 0)
            break;
        bytes.append(buffer, std::size_t(got));
    }
    ::close(fd);
    return error;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::optional<tarnwick::batch::Invocation> invocation =
        tarnwick::batch::parseArguments({argv + 1, argv + argc});
    if (!invocation) {
        std::fprintf(stderr, "%s\n", tarnwick::batch::usage);
        return 2;
    }
    std::string bytes;
    const int readError = readScript(*invocation, bytes);
    // The copy was made for this run alone; nothing else will remove it.
    if (invocation->removeAfterReading)
        ::unlink(invocation->file.c_str());
    if (readError != 0) {
        std::fprintf(stderr, "tarnwick-batch: cannot read %s: %s\n", invocation->file.c_str(),
                     readError == EINVAL ? "not a regular file" : std::strerror(readError));
        return 1;
    }

    const std::vector<tarnwick::batch::Step> steps = tarnwick::batch::parseScript(bytes);
    if (isatty(STDOUT_FILENO)) {
        // The terminal's title names the script, as "ESC ] 0 ; title BEL"
        // sets it in xterm and the terminals that follow it.
        std::printf("\033]0;%s\007",
                    tarnwick::batch::consoleTitle(invocation->name, steps).c_str());
        std::fflush(stdout);
    }

    int status = 0;
    for (const tarnwick::batch::Step& step : steps) {
        if (step.refused) {
            // Like a line that fails: said, and the script goes on.
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", tarnwick::batch::refusalMessage(step.lineNumber).c_str());
            status = 1;
            continue;
        }
        if (step.echoed) {
            std::printf("%s>%s\n", workingFolder().c_str(), step.command.c_str());
            std::fflush(stdout);
        }
        // system() runs /bin/sh -c and ignores Ctrl+C while the line runs, so
        // an interrupted javac still leaves the script to reach its last line.
        const char* messages = std::getenv(tarnwick::batch::compilerMessagesVariable);
        int result = 0;
        if (messages && *messages && tarnwick::batch::isCompilerLine(step.command)) {
            std::string errorOutput;
            result = tarnwick::batch::runKeepingErrorOutput(step.command, errorOutput);
            tarnwick::batch::keepPrivately(
                messages, tarnwick::batch::compilerRecord(workingFolder(), errorOutput));
        } else {
            result = std::system(step.command.c_str());
        }
        status = WIFEXITED(result) ? WEXITSTATUS(result) : 1;
    }
    return status;
}
