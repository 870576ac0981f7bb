// Runs a launch script the way the editor's scripts expect a command
// interpreter to: line by line, in the working folder, whatever each line
// returns. BatchScript decides what each line does; this file only runs it.
//
// Usage: tarnwick-batch SCRIPT
#include "BatchScript.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-batch SCRIPT\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "tarnwick-batch: cannot read %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    file.close();

    const std::vector<tarnwick::batch::Step> steps = tarnwick::batch::parseScript(bytes);
    if (isatty(STDOUT_FILENO)) {
        // The terminal's title names the script, as "ESC ] 0 ; title BEL"
        // sets it in xterm and the terminals that follow it.
        const std::string name =
            std::strrchr(argv[1], '/') ? std::strrchr(argv[1], '/') + 1 : argv[1];
        std::printf("\033]0;%s\007", tarnwick::batch::consoleTitle(name, steps).c_str());
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
        const int result = std::system(step.command.c_str());
        status = WIFEXITED(result) ? WEXITSTATUS(result) : 1;
    }
    return status;
}
