// Clears the terminal and its scroll-back, so a launch script starts on an
// empty console. Writes nothing when its output is not a terminal: there is
// nothing to clear, and escape codes would only litter a file or a pipe.
#include <unistd.h>

int main() {
    if (!isatty(STDOUT_FILENO))
        return 0;
    // Cursor home, erase the screen, erase the scroll-back (xterm's "3J").
    static const char clear[] = "\033[H\033[2J\033[3J";
    return write(STDOUT_FILENO, clear, sizeof clear - 1) == sizeof clear - 1 ? 0 : 1;
}
