#include "console/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tarnwick {

namespace {

int pipeEnds[2] = {-1, -1};
constexpr int handled[] = {SIGTERM, SIGHUP};

void onSignal(int signalNumber) {
    // Only async-signal-safe calls here; errno belongs to whatever the
    // signal interrupted.
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : handled)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    for (const int signalNumber : handled)
        ::signal(signalNumber, SIG_DFL);
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
    }
}

void TerminationSignals::readPipe() {
    unsigned char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1)
        emit arrived(number);
}

void TerminationSignals::endWith(int signalNumber) {
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
    // Only when the signal is blocked, which the editor never does.
    std::_Exit(128 + signalNumber);
}

} // namespace tarnwick
