#pragma once

// What the script runner does with a launch script, decided without running
// anything: plain C++, so the runner, its tests and the fuzz targets share it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::batch {

// One line that leads to an action: a command to run, or a refusal.
struct Step {
    int lineNumber = 0;   // counted from 1
    std::string command;  // for /bin/sh -c, the script's own bytes; empty when refused
    bool echoed = false;  // shown as "folder>command" before it runs
    bool refused = false; // the line holds a NUL byte and runs nothing

    bool operator==(const Step&) const = default;
};

// Lines end at LF, a CR before the LF belongs to the line break. "@echo OFF"
// and "echo on" (in any case) switch the echo of later lines; an "@" at the
// start of a line hides that line alone; blank lines do nothing.
//
// A shell reads a command as a C string, so it would run only the part of a
// line before a NUL byte; such a line is refused whole.
std::vector<Step> parseScript(std::string_view bytes);

// The console's title while the script runs: the script's name, then the
// commands it runs apart from the console helpers clearscr and keypress
// that frame every launch script: "temc.bat - javac Hello.java". Control
// characters become blanks, so the title cannot end the escape sequence
// that carries it, and it is cut at a character boundary to stay short.
std::string consoleTitle(std::string_view scriptName, const std::vector<Step>& steps);

// What the runner is asked to run, from its arguments: "SCRIPT" reads the
// script under its name; "--copy COPY NAME" reads a private copy of the
// bytes of the script NAME, made for this run alone, and removes it once
// read, so that a later command writing NAME again cannot change what this
// console runs. None for anything else.
struct Invocation {
    std::string file; // what to read
    std::string name; // the script's name for the title, without folders
    bool removeAfterReading = false;

    bool operator==(const Invocation&) const = default;
};
std::optional<Invocation> parseArguments(const std::vector<std::string_view>& arguments);

inline constexpr const char* usage =
    "usage: tarnwick-batch SCRIPT | tarnwick-batch --copy COPY NAME";

// Whether a line runs the Java compiler (its first word is "javac"): what
// it writes to its error output is also kept for the editor, which marks
// the lines the messages name.
bool isCompilerLine(std::string_view command);
// Where to keep it: the editor passes a file of its private folder in this
// variable (src/files/ScriptFiles.h names it too).
inline constexpr const char* compilerMessagesVariable = "TARNWICK_COMPILER_MESSAGES";
// What is kept: the folder the compiler ran in, which the names in its
// messages are relative to, a NUL, then the error output as it came.
std::string compilerRecord(std::string_view folder, std::string_view errorOutput);

// What the runner says on stderr instead of running a refused line.
std::string refusalMessage(int lineNumber);

} // namespace tarnwick::batch
