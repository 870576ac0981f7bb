// Runs a launch script the way the editor's scripts expect a command
// interpreter to: line by line, in the working folder, whatever each line
// returns. "@echo OFF" stops the echo of the lines that follow; an "@" at the
// start of a line hides that line alone. Every other non-empty line goes to
// /bin/sh -c.
//
// Usage: tarnwick-batch SCRIPT
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

// The editor writes one byte per character in Latin-1, while file names on
// disk and the shell speak UTF-8: "Caf\xe9.java" must reach javac as the
// name that the editor's file dialog showed.
std::string latin1ToUtf8(const std::string& line) {
    std::string out;
    out.reserve(line.size());
    for (const unsigned char c : line) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xc0 | (c >> 6));
            out += char(0x80 | (c & 0x3f));
        }
    }
    return out;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

// Lines end at LF; a CR before it belongs to the line break.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start <= bytes.size()) {
        auto end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

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

    bool echo = true;
    int status = 0;
    for (const std::string& raw : linesOf(bytes)) {
        std::string line = latin1ToUtf8(raw);
        const bool hidden = !line.empty() && line.front() == '@';
        if (hidden)
            line.erase(0, 1);
        const std::string command = trimmed(line);
        if (command.empty())
            continue;
        const std::string word = lowered(command);
        if (word == "echo off" || word == "echo on") {
            echo = word == "echo on";
            continue;
        }
        if (echo && !hidden) {
            std::printf("%s>%s\n", workingFolder().c_str(), command.c_str());
            std::fflush(stdout);
        }
        // system() runs /bin/sh -c and ignores Ctrl+C while the line runs, so
        // an interrupted javac still leaves the script to reach its last line.
        const int result = std::system(command.c_str());
        status = WIFEXITED(result) ? WEXITSTATUS(result) : 1;
    }
    return status;
}
