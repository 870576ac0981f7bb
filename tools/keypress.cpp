// Waits for one key, so a console started by a launch script stays open
// until its output has been read. Returns at once when its input is not a
// terminal or is at end of file, so a script run without a terminal never
// hangs.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <termios.h>
#include <unistd.h>

namespace {

termios savedMode;
bool modeChanged = false;

void restoreMode() {
    if (modeChanged)
        tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
}

// Ctrl+C or a closed terminal must not leave the terminal without echo.
void onSignal(int signal) {
    restoreMode();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main() {
    std::fputs("Press any key to continue . . . ", stdout);
    std::fflush(stdout);

    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &savedMode) == 0) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(signal, onSignal);
        termios raw = savedMode;
        // One byte, unbuffered by lines and not echoed; signals stay on.
        raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        modeChanged = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        char key = 0;
        // End of file (read gives 0) or an error ends the wait as a key does.
        while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
        }
        restoreMode();
    }
    std::fputs("\n", stdout);
    return 0;
}
